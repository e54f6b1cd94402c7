// sorea-cli inspect FILE: reads an exchange file the way the dialog does at show and prints
// the element store as JSON (UTF-8) on stdout.
#include <cstdio>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/Arguments.h"
#include "cli/CliCommands.h"
#include "cli/JsonWriter.h"
#include "cli/StoreElements.h"
#include "exchange/JwwGaibu.h"
#include "util/Cp932.h"

namespace sorea::cli {

namespace {

// Fields of one type, each by its key.
template <typename T>
using Named = std::initializer_list<std::pair<std::string_view, T>>;

void Ints(JsonWriter& j, Named<int> fields) {
  for (const auto& [key, value] : fields) j.Key(key).Int(value);
}
void Reals(JsonWriter& j, Named<double> fields) {
  for (const auto& [key, value] : fields) j.Key(key).Number(value);
}
// Shift-JIS texts of the store.
void Texts(JsonWriter& j, Named<std::string_view> fields) {
  for (const auto& [key, value] : fields) j.Key(key).String(Cp932ToUtf8(value));
}

template <typename Container>
void RealArray(JsonWriter& j, std::string_view key, const Container& values, std::size_t count) {
  j.Key(key).BeginArray();
  for (std::size_t i = 0; i < count && i < values.size(); ++i) j.Number(values[i]);
  j.EndArray();
}

// A text size: a text's own, and with a colour the text-type table's entries and the free size.
void Size(JsonWriter& j, double width, double height, double spacing) {
  Reals(j, {{"Width", width}, {"Height", height}, {"Spacing", spacing}});
}
template <typename TextSize>
void SizeWithColour(JsonWriter& j, const TextSize& size) {
  Size(j, size.Width, size.Height, size.Spacing);
  Ints(j, {{"Color", size.Color}});
}

void Header(JsonWriter& j, const ElementHeader& h) {
  j.Key("Header").BeginObject();
  Ints(j, {{"PickGroup", h.PickGroup},
           {"LayerGroup", h.LayerGroup},
           {"Layer", h.Layer},
           {"Color", h.Color},
           {"LineType", h.LineType},
           {"LineWidth", h.LineWidth},
           {"Flags", h.Flags}});
  j.EndObject();
}

// The header and the position of an element that stands at one point.
void Placed(JsonWriter& j, const ElementHeader& h, double x, double y) {
  Header(j, h);
  Reals(j, {{"X", x}, {"Y", y}});
}

void Fields(JsonWriter& j, const LineElement& l) {
  Header(j, l.Header);
  Ints(j, {{"PolylineNumber", l.PolylineNumber}});
  Reals(j, {{"X1", l.X1}, {"Y1", l.Y1}, {"X2", l.X2}, {"Y2", l.Y2}});
}

void Fields(JsonWriter& j, const CircleElement& c) {
  Placed(j, c.Header, c.X, c.Y);
  Reals(j, {{"Radius", c.Radius}});
}

void Fields(JsonWriter& j, const ArcElement& a) {
  Header(j, a.Header);
  RealArray(j, "Values", a.Values, 7);
}

void Fields(JsonWriter& j, const TextElement& t) {
  Header(j, t.Header);
  Ints(j, {{"TextKind", t.Kind}, {"Attribute", t.Attribute}, {"TextType", t.TextType}});
  Size(j, t.Width, t.Height, t.Spacing);
  Reals(j, {{"X", t.X}, {"Y", t.Y}, {"Dx", t.Dx}, {"Dy", t.Dy}});
  Texts(j, {{"FontName", t.FontName}, {"Text", t.Text}});
}

void Fields(JsonWriter& j, const PointElement& p) {
  Placed(j, p.Header, p.X, p.Y);
}

void Fields(JsonWriter& j, const CodedPointElement& p) {
  Placed(j, p.Header, p.X, p.Y);
  Reals(j, {{"Scale", p.Scale}, {"Angle", p.Angle}});
  Ints(j, {{"Code", p.Code}});
}

void Fields(JsonWriter& j, const DimensionElement& d) {
  Header(j, d.Header);
  j.Key("Line").BeginObject();
  Fields(j, d.Line);
  j.EndObject().Key("Text").BeginObject();
  Fields(j, d.Text);
  j.EndObject();
}

void Fields(JsonWriter& j, const BlockElement& b) {
  Placed(j, b.Header, b.X, b.Y);
  Texts(j, {{"Name", b.Name}});
}

void SolidFields(JsonWriter& j, const SolidElement& e, int kind) {
  Header(j, e.Header);
  Ints(j, {{"ExtendedColor", e.ExtendedColor}});
  RealArray(j, "Values", e.Values, static_cast<std::size_t>(SolidValueCount(kind)));
  if (kind == kSc || kind == kSe) Ints(j, {{"Code", e.Code}});
}

const char* KindName(int kind) {
  static constexpr const char* kNames[] = {
      "",      "line", "circle", "arc", "text", "point", "coded point", "dimension",
      "block", "sl2",  "sl3",    "sl4", "sc",   "se",    "so",          "sg"};
  return kind >= 1 && kind <= 15 ? kNames[kind] : "";
}

void Element(JsonWriter& j, const ElementStore& s, const ElementRef& ref) {
  j.BeginObject();
  Ints(j, {{"Kind", ref.Kind}});
  j.Key("KindName").String(KindName(ref.Kind));
  Ints(j, {{"Index", ref.Index}});
  VisitElement(s, ref,
               Overloaded{[&](const SolidElement& e) { SolidFields(j, e, ref.Kind); },
                          [&](const auto& e) { Fields(j, e); }});
  j.EndObject();
}

// Only the entries the file set: the tables are mostly defaults.
template <typename Table, typename IsSet, typename Print>
void Sparse(JsonWriter& j, std::string_view key, const Table& table, IsSet isSet, Print print) {
  j.Key(key).BeginObject();
  for (std::size_t i = 0; i < table.size(); ++i) {
    if (isSet(table[i])) print(j.Key(std::to_string(i)), table[i]);
  }
  j.EndObject();
}

void LayerTables(JsonWriter& j, const ElementStore& s) {
  auto nonZero = [](int v) { return v != 0; };
  auto named = [](const std::string& name) { return !name.empty(); };
  auto number = [](JsonWriter& w, int v) { w.Int(v); };
  auto text = [](JsonWriter& w, const std::string& name) { w.String(Cp932ToUtf8(name)); };
  Sparse(j, "LayerGroupValues", s.LayerGroupValues, nonZero, number);
  Sparse(j, "LayerGroupNames", s.LayerGroupNames, named, text);
  Sparse(j, "LayerValues", s.LayerValues, nonZero, number);
  Sparse(j, "LayerNames", s.LayerNames, named, text);
}

void PickedPoints(JsonWriter& j, const ElementStore& s) {
  j.Key("PickedPoints").BeginArray();
  for (std::size_t i = 0; i < s.PickedPoints.size(); ++i) {
    const PickedPoint& p = s.PickedPoints[i];
    if (!p.Set) continue;
    j.BeginObject();
    Ints(j, {{"Index", static_cast<int>(i)}});
    Reals(j, {{"X", p.X}, {"Y", p.Y}});
    Ints(j, {{"Kind", p.Kind}});
    j.EndObject();
  }
  j.EndArray();
  Ints(j, {{"PickedPointCount", s.PickedPointCount}});
}

void Counts(JsonWriter& j, const ElementStore& s) {
  auto n = [](const auto& table) { return static_cast<int>(table.size()); };
  j.Key("Counts").BeginObject();
  Ints(j, {{"Lines", n(s.Lines)},
           {"Circles", n(s.Circles)},
           {"Arcs", n(s.Arcs)},
           {"Texts", n(s.Texts)},
           {"Points", n(s.Points)},
           {"CodedPoints", n(s.CodedPoints)},
           {"Dimensions", n(s.Dimensions)},
           {"Blocks", n(s.Blocks)}});
  static constexpr std::string_view kSolidNames[] = {"Solids2", "Solids3", "Solids4", "Sc",
                                                     "Se",      "So",      "Sg"};
  for (std::size_t k = 0; k < s.Solids.size(); ++k) Ints(j, {{kSolidNames[k], n(s.Solids[k])}});
  Ints(j, {{"Elements", n(s.ElementOrder)}});
  j.EndObject();
}

void PrintStore(JsonWriter& j, const ElementStore& s) {
  j.BeginObject();
  Reals(j, {{"AxisAngle", s.AxisAngle}});
  Texts(j, {{"HostFileName", s.HostFileName}});
  RealArray(j, "LayerGroupScale", s.LayerGroupScale, 16);
  RealArray(j, "PaperSize", s.PaperSize, 2);
  j.Key("TextTypeTable").BeginArray();
  for (std::size_t t = 1; t <= 10; ++t) {
    j.BeginObject();
    Ints(j, {{"Type", static_cast<int>(t)}});
    SizeWithColour(j, s.TextTypeTable[t]);
    j.EndObject();
  }
  j.EndArray();
  j.Key("BzSeen").Bool(s.BzSeen);
  RealArray(j, "HnValues", s.HnValues, 4);
  LayerTables(j, s);
  Ints(j, {{"InitialLayerGroup", s.InitialLayerGroup},
           {"InitialLayer", s.InitialLayer},
           {"InitialLineColor", s.InitialLineColor},
           {"InitialLineType", s.InitialLineType},
           {"InitialLineWidth", s.InitialLineWidth},
           {"InitialTextType", s.InitialTextType}});
  j.Key("InitialFreeSize").BeginObject();
  SizeWithColour(j, s.InitialFreeSize);
  j.EndObject();
  Texts(j, {{"InitialFontName", s.InitialFontName}});
  j.Key("LineWidthSeen").Bool(s.LineWidthSeen);
  PickedPoints(j, s);
  Counts(j, s);
  j.Key("Elements").BeginArray();
  for (const ElementRef& ref : s.ElementOrder) Element(j, s, ref);
  j.EndArray();
  j.EndObject();
}

}  // namespace

int RunInspect(const std::vector<std::string>& args) {
  static constexpr CommandUsage kUsage = {
      "sorea-cli inspect",
      "usage: sorea-cli inspect FILE\n"
      "  Reads the exchange file FILE (JWC_TEMP.TXT) and prints what it holds as JSON.\n"};
  Arguments in(args, kUsage);
  std::optional<std::string> file;
  while (in.Next()) {
    if (in.IsOption()) {
      in.Unknown();
    } else {
      in.Positional(file, "file");
    }
  }
  if (!file) in.Problem("no file");
  if (std::optional<int> exit = in.Finish()) return *exit;
  try {
    InitElementStore();
    if (!ReadExchangeFile(*file)) {
      std::fprintf(stderr, "sorea-cli inspect: cannot read %s\n", file->c_str());
      ReleaseElementStore();
      return 1;
    }
    JsonWriter json(
        [](std::string_view text) { std::fwrite(text.data(), 1, text.size(), stdout); });
    PrintStore(json, Store);
    json.Finish();
    std::fflush(stdout);
    ReleaseElementStore();
    return 0;
  } catch (...) {
    std::fputs("sorea-cli inspect: out of memory\n", stderr);
    return 1;
  }
}

}  // namespace sorea::cli
