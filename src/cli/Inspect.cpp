// sorea-cli inspect FILE: reads an exchange file the way the dialog does at show and prints
// the element store as JSON (UTF-8) on stdout.
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CliCommands.h"
#include "exchange/JwwGaibu.h"
#include "util/Cp932.h"
#include "util/MyFunc.h"

namespace sorea::cli {

namespace {

// JSON text collected in memory and flushed to stdout in large pieces.
class Json {
 public:
  ~Json() { Flush(); }

  void Raw(std::string_view text) {
    out_.append(text);
    if (out_.size() > (1u << 20)) Flush();
  }

  // A Shift-JIS text as a JSON string.
  void Text(std::string_view cp932) { Utf8(Cp932ToUtf8(cp932)); }

  void Utf8(std::string_view utf8) {
    std::string s = "\"";
    for (char ch : utf8) {
      const auto c = static_cast<unsigned char>(ch);
      if (c == '"' || c == '\\') {
        s.push_back('\\');
        s.push_back(ch);
      } else if (c < 0x20 || c == 0x7f) {
        static constexpr char kHex[] = "0123456789abcdef";
        s += "\\u00";
        s.push_back(kHex[c >> 4]);
        s.push_back(kHex[c & 15]);
      } else {
        s.push_back(ch);
      }
    }
    s.push_back('"');
    Raw(s);
  }

  void Real(double value) {
    std::string text = FormatGeneral(value);
    if (IsJsonNumber(text)) {
      Raw(text);
    } else {
      Utf8(text);  // infinities and the like stay readable without breaking the JSON
    }
  }

  void Int(int value) { Raw(std::to_string(value)); }
  void Bool(bool value) { Raw(value ? "true" : "false"); }

  // "key": with a comma before every key but the first of its object.
  void Key(std::string_view key) {
    if (needComma_) Raw(",");
    Raw("\"");
    Raw(key);
    Raw("\":");
    needComma_ = false;
  }
  void Open(char bracket) {
    Raw(std::string_view(&bracket, 1));
    needComma_ = false;
  }
  void Close(char bracket) {
    Raw(std::string_view(&bracket, 1));
    needComma_ = true;
  }
  void Item() {
    if (needComma_) Raw(",");
    needComma_ = false;
  }
  void Done() { needComma_ = true; }

  void Flush() {
    std::fwrite(out_.data(), 1, out_.size(), stdout);
    out_.clear();
  }

 private:
  static bool IsJsonNumber(std::string_view t) {
    std::size_t i = 0;
    auto digits = [&] {
      std::size_t start = i;
      while (i < t.size() && t[i] >= '0' && t[i] <= '9') ++i;
      return i > start;
    };
    if (i < t.size() && t[i] == '-') ++i;
    if (i < t.size() && t[i] == '0') {
      ++i;
    } else if (!digits()) {
      return false;
    }
    if (i < t.size() && t[i] == '.') {
      ++i;
      if (!digits()) return false;
    }
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
      ++i;
      if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
      if (!digits()) return false;
    }
    return i == t.size();
  }

  std::string out_;
  bool needComma_ = false;
};

void KeyReal(Json& j, std::string_view key, double v) {
  j.Key(key);
  j.Real(v);
  j.Done();
}
void KeyInt(Json& j, std::string_view key, int v) {
  j.Key(key);
  j.Int(v);
  j.Done();
}
void KeyText(Json& j, std::string_view key, std::string_view cp932) {
  j.Key(key);
  j.Text(cp932);
  j.Done();
}
void KeyBool(Json& j, std::string_view key, bool v) {
  j.Key(key);
  j.Bool(v);
  j.Done();
}

template <typename Container>
void KeyReals(Json& j, std::string_view key, const Container& values, std::size_t count) {
  j.Key(key);
  j.Open('[');
  for (std::size_t i = 0; i < count && i < values.size(); ++i) {
    j.Item();
    j.Real(values[i]);
    j.Done();
  }
  j.Close(']');
}

void Header(Json& j, const ElementHeader& h) {
  j.Key("Header");
  j.Open('{');
  KeyInt(j, "PickGroup", h.PickGroup);
  KeyInt(j, "LayerGroup", h.LayerGroup);
  KeyInt(j, "Layer", h.Layer);
  KeyInt(j, "Color", h.Color);
  KeyInt(j, "LineType", h.LineType);
  KeyInt(j, "LineWidth", h.LineWidth);
  KeyInt(j, "Flags", h.Flags);
  j.Close('}');
}

void LineFields(Json& j, const LineElement& l) {
  Header(j, l.Header);
  KeyInt(j, "PolylineNumber", l.PolylineNumber);
  KeyReal(j, "X1", l.X1);
  KeyReal(j, "Y1", l.Y1);
  KeyReal(j, "X2", l.X2);
  KeyReal(j, "Y2", l.Y2);
}

void TextFields(Json& j, const TextElement& t) {
  Header(j, t.Header);
  KeyInt(j, "TextKind", t.Kind);
  KeyInt(j, "Attribute", t.Attribute);
  KeyInt(j, "TextType", t.TextType);
  KeyReal(j, "Width", t.Width);
  KeyReal(j, "Height", t.Height);
  KeyReal(j, "Spacing", t.Spacing);
  KeyReal(j, "X", t.X);
  KeyReal(j, "Y", t.Y);
  KeyReal(j, "Dx", t.Dx);
  KeyReal(j, "Dy", t.Dy);
  KeyText(j, "FontName", t.FontName);
  KeyText(j, "Text", t.Text);
}

const char* KindName(int kind) {
  static constexpr const char* kNames[] = {
      "",      "line", "circle", "arc", "text", "point", "coded point", "dimension",
      "block", "sl2",  "sl3",    "sl4", "sc",   "se",    "so",          "sg"};
  return kind >= 1 && kind <= 15 ? kNames[kind] : "";
}

void Element(Json& j, const ElementRef& ref) {
  const ElementStore& s = Store;
  const auto index = static_cast<std::size_t>(ref.Index);
  j.Item();
  j.Open('{');
  KeyInt(j, "Kind", ref.Kind);
  j.Key("KindName");
  j.Utf8(KindName(ref.Kind));
  j.Done();
  KeyInt(j, "Index", ref.Index);
  switch (ref.Kind) {
    case kLine:
      LineFields(j, s.Lines[index]);
      break;
    case kCircle: {
      const CircleElement& c = s.Circles[index];
      Header(j, c.Header);
      KeyReal(j, "X", c.X);
      KeyReal(j, "Y", c.Y);
      KeyReal(j, "Radius", c.Radius);
      break;
    }
    case kArc:
      Header(j, s.Arcs[index].Header);
      KeyReals(j, "Values", s.Arcs[index].Values, 7);
      break;
    case kText:
      TextFields(j, s.Texts[index]);
      break;
    case kPoint:
      Header(j, s.Points[index].Header);
      KeyReal(j, "X", s.Points[index].X);
      KeyReal(j, "Y", s.Points[index].Y);
      break;
    case kCodedPoint: {
      const CodedPointElement& p = s.CodedPoints[index];
      Header(j, p.Header);
      KeyReal(j, "X", p.X);
      KeyReal(j, "Y", p.Y);
      KeyReal(j, "Scale", p.Scale);
      KeyReal(j, "Angle", p.Angle);
      KeyInt(j, "Code", p.Code);
      break;
    }
    case kDimension: {
      const DimensionElement& d = s.Dimensions[index];
      Header(j, d.Header);
      j.Key("Line");
      j.Open('{');
      LineFields(j, d.Line);
      j.Close('}');
      j.Key("Text");
      j.Open('{');
      TextFields(j, d.Text);
      j.Close('}');
      break;
    }
    case kBlock: {
      const BlockElement& b = s.Blocks[index];
      Header(j, b.Header);
      KeyReal(j, "X", b.X);
      KeyReal(j, "Y", b.Y);
      KeyText(j, "Name", b.Name);
      break;
    }
    default: {
      if (ref.Kind < kSolid2 || ref.Kind > kSg) break;
      const SolidElement& e = s.Solids[static_cast<std::size_t>(ref.Kind - kSolid2)][index];
      Header(j, e.Header);
      KeyInt(j, "ExtendedColor", e.ExtendedColor);
      KeyReals(j, "Values", e.Values, static_cast<std::size_t>(SolidValueCount(ref.Kind)));
      if (ref.Kind == kSc || ref.Kind == kSe) KeyInt(j, "Code", e.Code);
      break;
    }
  }
  j.Close('}');
}

void PrintStore(Json& j) {
  const ElementStore& s = Store;
  j.Open('{');
  KeyReal(j, "AxisAngle", s.AxisAngle);
  KeyText(j, "HostFileName", s.HostFileName);
  KeyReals(j, "LayerGroupScale", s.LayerGroupScale, 16);
  KeyReals(j, "PaperSize", s.PaperSize, 2);
  j.Key("TextTypeTable");
  j.Open('[');
  for (std::size_t t = 1; t <= 10; ++t) {
    j.Item();
    j.Open('{');
    KeyInt(j, "Type", static_cast<int>(t));
    KeyReal(j, "Width", s.TextTypeTable[t].Width);
    KeyReal(j, "Height", s.TextTypeTable[t].Height);
    KeyReal(j, "Spacing", s.TextTypeTable[t].Spacing);
    KeyInt(j, "Color", s.TextTypeTable[t].Color);
    j.Close('}');
  }
  j.Close(']');
  KeyBool(j, "BzSeen", s.BzSeen);
  KeyReals(j, "HnValues", s.HnValues, 4);

  // Only the entries the file set: the tables are mostly defaults.
  auto sparse = [&](std::string_view key, auto&& isSet, auto&& print, std::size_t count) {
    j.Key(key);
    j.Open('{');
    for (std::size_t i = 0; i < count; ++i) {
      if (!isSet(i)) continue;
      j.Key(std::to_string(i));
      print(i);
      j.Done();
    }
    j.Close('}');
  };
  sparse(
      "LayerGroupValues", [&](std::size_t i) { return s.LayerGroupValues[i] != 0; },
      [&](std::size_t i) { j.Int(s.LayerGroupValues[i]); }, s.LayerGroupValues.size());
  sparse(
      "LayerGroupNames", [&](std::size_t i) { return !s.LayerGroupNames[i].empty(); },
      [&](std::size_t i) { j.Text(s.LayerGroupNames[i]); }, s.LayerGroupNames.size());
  sparse(
      "LayerValues", [&](std::size_t i) { return s.LayerValues[i] != 0; },
      [&](std::size_t i) { j.Int(s.LayerValues[i]); }, s.LayerValues.size());
  sparse(
      "LayerNames", [&](std::size_t i) { return !s.LayerNames[i].empty(); },
      [&](std::size_t i) { j.Text(s.LayerNames[i]); }, s.LayerNames.size());

  KeyInt(j, "InitialLayerGroup", s.InitialLayerGroup);
  KeyInt(j, "InitialLayer", s.InitialLayer);
  KeyInt(j, "InitialLineColor", s.InitialLineColor);
  KeyInt(j, "InitialLineType", s.InitialLineType);
  KeyInt(j, "InitialLineWidth", s.InitialLineWidth);
  KeyInt(j, "InitialTextType", s.InitialTextType);
  j.Key("InitialFreeSize");
  j.Open('{');
  KeyReal(j, "Width", s.InitialFreeSize.Width);
  KeyReal(j, "Height", s.InitialFreeSize.Height);
  KeyReal(j, "Spacing", s.InitialFreeSize.Spacing);
  KeyInt(j, "Color", s.InitialFreeSize.Color);
  j.Close('}');
  KeyText(j, "InitialFontName", s.InitialFontName);
  KeyBool(j, "LineWidthSeen", s.LineWidthSeen);

  j.Key("PickedPoints");
  j.Open('[');
  for (std::size_t i = 0; i < s.PickedPoints.size(); ++i) {
    const PickedPoint& p = s.PickedPoints[i];
    if (!p.Set) continue;
    j.Item();
    j.Open('{');
    KeyInt(j, "Index", static_cast<int>(i));
    KeyReal(j, "X", p.X);
    KeyReal(j, "Y", p.Y);
    KeyInt(j, "Kind", p.Kind);
    j.Close('}');
  }
  j.Close(']');
  KeyInt(j, "PickedPointCount", s.PickedPointCount);

  j.Key("Counts");
  j.Open('{');
  auto count = [&](std::string_view key, std::size_t n) { KeyInt(j, key, static_cast<int>(n)); };
  count("Lines", s.Lines.size());
  count("Circles", s.Circles.size());
  count("Arcs", s.Arcs.size());
  count("Texts", s.Texts.size());
  count("Points", s.Points.size());
  count("CodedPoints", s.CodedPoints.size());
  count("Dimensions", s.Dimensions.size());
  count("Blocks", s.Blocks.size());
  static constexpr std::string_view kSolidNames[] = {"Solids2", "Solids3", "Solids4", "Sc",
                                                     "Se",      "So",      "Sg"};
  for (std::size_t k = 0; k < s.Solids.size(); ++k) count(kSolidNames[k], s.Solids[k].size());
  count("Elements", s.ElementOrder.size());
  j.Close('}');

  j.Key("Elements");
  j.Open('[');
  for (const ElementRef& ref : s.ElementOrder) Element(j, ref);
  j.Close(']');
  j.Close('}');
  j.Raw("\n");
}

}  // namespace

int RunInspect(const std::vector<std::string>& args) {
  if (args.size() != 1 || args[0].empty() || args[0][0] == '-') {
    std::fputs(
        "usage: sorea-cli inspect FILE\n"
        "  Reads the exchange file FILE (JWC_TEMP.TXT) and prints what it holds as JSON.\n",
        stderr);
    return 2;
  }
  try {
    InitElementStore();
    if (!ReadExchangeFile(args[0])) {
      std::fprintf(stderr, "sorea-cli inspect: cannot read %s\n", args[0].c_str());
      ReleaseElementStore();
      return 1;
    }
    {
      Json json;
      PrintStore(json);
    }
    std::fflush(stdout);
    ReleaseElementStore();
    return 0;
  } catch (...) {
    std::fputs("sorea-cli inspect: out of memory\n", stderr);
    return 1;
  }
}

}  // namespace sorea::cli
