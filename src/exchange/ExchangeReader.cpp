// Reading JWC_TEMP.TXT: what each record does to the element store (Jw_cad's drawing state,
// the attributes in force, the user's picks and every drawing element). ExchangeLines.cpp
// reads the file and splits its lines into fields. Nothing here reports an error: lines we do
// not know are skipped and bad numbers read as 0.
#include <array>
#include <cmath>
#include <initializer_list>
#include <utility>

#include "exchange/JwwGaibu.h"
#include "exchange/ReaderFields.h"
#include "util/MyFunc.h"
#include "util/X87.h"

namespace sorea {

namespace {

// Compiled at each test into a few byte comparisons: a drawing's keyword lines pass through
// dozens of these tests each.
template <std::size_t N>
bool StartsWith(std::string_view f, const char (&prefix)[N]) {
  if (f.size() < N - 1) return false;
  for (std::size_t i = 0; i + 1 < N; ++i) {
    if (f[i] != prefix[i]) return false;
  }
  return true;
}

// f from its (k+1)-th character on; empty when f is shorter.
std::string_view From(std::string_view f, std::size_t k) {
  return f.size() > k ? f.substr(k) : std::string_view();
}

// The single character of f at index k as its own text; empty when f is shorter.
std::string_view CharAt(std::string_view f, std::size_t k) {
  return f.size() > k ? f.substr(k, 1) : std::string_view();
}

int HexDigit(std::string_view c) {
  std::string text = "$";
  text.append(c);
  int v = TextToInt(text);
  return v < 0 || v > 15 ? 0 : v;
}

// Stores value at index when the table holds it (it does not after ReleaseElementStore).
template <typename T, typename V>
void SetAt(std::vector<T>& table, int index, V&& value) {
  if (index >= 0 && static_cast<std::size_t>(index) < table.size()) {
    table[static_cast<std::size_t>(index)] = std::forward<V>(value);
  }
}

template <typename T>
T& NewElement(BlockTable<T>& table, int kind) {
  // The element first: out of memory for either leaves no order entry without its element.
  table.emplace_back();
  try {
    AppendElementOrder(kind, static_cast<int>(table.size()) - 1);
  } catch (...) {
    table.pop_back();
    throw;
  }
  T& element = table.back();
  StampElementHeader(element.Header);
  return element;
}

// What every stored element does to the parse state, except the bare line.
void EndElement() {
  Store.EntityFlags = 0;
  Store.CurrentPickGroup = 0;
  Store.PolylineOpen = false;
  Store.DimensionOpen = false;
}

int TextKindOf(std::string_view f) {
  if (f.size() != 2 || f[0] != 'c') return -1;
  for (std::size_t k = 0; k < kTextKeywords.size(); ++k) {
    if (f[1] == kTextKeywords[k][1]) return static_cast<int>(k);  // each is "c" and one more
  }
  return -1;
}

void FillText(TextElement& t, int kind, const Fields& fl) {
  const ElementStore& s = Store;
  t.Kind = kind;
  t.Attribute = s.CurrentTextAttribute;
  t.TextType = s.CurrentTextType;
  if (s.CurrentTextType >= 1 && s.CurrentTextType <= 10) {
    const TextType& type = s.TextTypeTable[static_cast<std::size_t>(s.CurrentTextType)];
    t.Width = type.Width;
    t.Height = type.Height;
    t.Spacing = type.Spacing;
    t.Header.Color = type.Color;
  } else {
    t.Width = s.CurrentFreeSize.Width;
    t.Height = s.CurrentFreeSize.Height;
    t.Spacing = s.CurrentFreeSize.Spacing;
    t.Header.Color = s.CurrentFreeSize.Color;
  }
  t.X = fl.Real(1);
  t.Y = fl.Real(2);
  t.Dx = fl.Real(3);
  t.Dy = fl.Real(4);
  t.FontName.assign(CutWholeChars(s.CurrentFontName, kMaxRecordBytes));
  t.Text.assign(CutWholeChars(fl[5], kMaxRecordBytes));
}

bool SamePoint(double x1, double y1, double x2, double y2) {
  return std::fabs(static_cast<long double>(x1) - x2) <= kTol10 &&
         std::fabs(static_cast<long double>(y1) - y2) <= kTol10;
}

void StoreSolid(int kind, const double* points, int pointCount) {
  SolidElement& e = NewElement(Store.Solids[static_cast<std::size_t>(kind - kSolid2)], kind);
  e.ExtendedColor = Store.ExtendedColor;
  for (int i = 0; i < pointCount * 2; ++i) e.Values[static_cast<std::size_t>(i)] = points[i];
  EndElement();
}

void StoreThreePointSolid(const Fields& fl) {
  double p[6];
  for (int i = 0; i < 6; ++i) p[i] = fl.Real(i + 1);
  auto same = [&](int a, int b) {
    return SamePoint(p[2 * a], p[2 * a + 1], p[2 * b], p[2 * b + 1]);
  };
  if (same(0, 1)) {
    const double q[4] = {p[0], p[1], p[4], p[5]};
    StoreSolid(kSolid2, q, 2);
  } else if (same(1, 2)) {
    StoreSolid(kSolid2, p, 2);
  } else {
    StoreSolid(kSolid3, p, 3);
  }
}

void StoreFourPointSolid(const Fields& fl) {
  double p[8];
  for (int i = 0; i < 8; ++i) p[i] = fl.Real(i + 1);
  auto same = [&](int a, int b) {
    return SamePoint(p[2 * a], p[2 * a + 1], p[2 * b], p[2 * b + 1]);
  };
  auto pick = [&](std::initializer_list<int> which, int kind) {
    double q[8];
    int k = 0;
    for (int i : which) {
      q[k++] = p[2 * i];
      q[k++] = p[2 * i + 1];
    }
    StoreSolid(kind, q, k / 2);
  };
  if (same(0, 1) && same(0, 2)) {
    pick({0, 3}, kSolid2);
  } else if (same(1, 2) && same(1, 3)) {
    pick({0, 1}, kSolid2);
  } else if (same(0, 1) && same(2, 3)) {
    pick({0, 2}, kSolid2);
  } else if (same(3, 0) || same(3, 1) || same(3, 2)) {
    pick({0, 1, 2}, kSolid3);
  } else if (same(2, 0) || same(2, 1)) {
    pick({0, 1, 3}, kSolid3);
  } else if (same(1, 0)) {
    pick({0, 2, 3}, kSolid3);
  } else {
    pick({0, 1, 2, 3}, kSolid4);
  }
}

// Circles, points, coded points and block references stand at their record's first two values.
template <typename E>
E& Placed(E& element, const Fields& fl) {
  element.X = fl.Real(1);
  element.Y = fl.Real(2);
  return element;
}

// An attribute record's value: the first one in the file is also the initial attribute.
void TakeAttribute(int v, bool& due, int& initial, int& current) {
  if (due) {
    initial = v;
    due = false;
  }
  current = v;
  Store.PolylineOpen = false;
}

void LayerGroupRecord(std::string_view f, const Fields& fl) {
  ElementStore& s = Store;
  const int v = HexDigit(CharAt(f, 2));
  TakeAttribute(v, s.Awaited.LayerGroup, s.InitialLayerGroup, s.CurrentLayerGroup);
  if (fl.Count >= 2) SetAt(s.LayerGroupValues, v, fl.Int(1));
}

void LayerRecord(std::string_view f, const Fields& fl) {
  ElementStore& s = Store;
  const int v = HexDigit(CharAt(f, 2));
  TakeAttribute(v, s.Awaited.Layer, s.InitialLayer, s.CurrentLayer);
  if (fl.Count >= 2) SetAt(s.LayerValues, s.CurrentLayerGroup * 16 + v, fl.Int(1));
}

// "lc", "lt", "lw": the value after the keyword's two letters.
void LineAttributeRecord(std::string_view f, bool& due, int& initial, int& current) {
  TakeAttribute(TextToInt(From(f, 2)), due, initial, current);
}

void TextTypeRecord(std::string_view f, const Fields& fl) {
  ElementStore& s = Store;
  int v = TextToInt(From(f, 2));
  auto freeSize = [&]() { return FreeTextSize{fl.Real(1), fl.Real(2), fl.Real(3), fl.Int(4)}; };
  if (s.Awaited.TextType) {
    s.InitialTextType = v;
    if (v == 0 && fl.Count >= 5) s.InitialFreeSize = freeSize();
    s.Awaited.TextType = false;
  }
  s.CurrentTextType = v;
  if (v == 0 && fl.Count >= 5) s.CurrentFreeSize = freeSize();
  s.PolylineOpen = false;
}

void PickedPointRecord(std::string_view f, const Fields& fl) {
  std::string_view digits = From(f, 2);
  int kind = 0;
  static constexpr std::array<std::string_view, 4> kSuffixes = {"-", "ln", "ci", "ch"};
  for (std::size_t k = 0; k < kSuffixes.size(); ++k) {
    std::size_t at = f.find(kSuffixes[k]);
    if (at != std::string_view::npos && at >= 2) {
      digits = f.substr(2, at - 2);
      kind = static_cast<int>(k) + 1;
    }
  }
  int i = TextToInt(digits);
  if (i < 1 || i > 99 || static_cast<std::size_t>(i) >= Store.PickedPoints.size()) return;
  PickedPoint& p = Store.PickedPoints[static_cast<std::size_t>(i)];
  p.Set = true;
  p.X = fl.Real(1);
  p.Y = fl.Real(2);
  p.Kind = kind;
  ++Store.PickedPointCount;
}

void PickGroupRecord(std::string_view f) {
  std::string_view digits = From(f, 3);
  for (std::string_view suffix : {"ln", "ci", "ch"}) {
    std::size_t at = f.find(suffix);
    if (at != std::string_view::npos && at >= 3) digits = f.substr(3, at - 3);
  }
  Store.CurrentPickGroup = TextToInt(digits);
}

void TextRecord(int kind, const Fields& fl) {
  ElementStore& s = Store;
  if (kind == 2 && s.DimensionOpen) {
    DimensionElement& d = NewElement(s.Dimensions, kDimension);
    d.Line = s.PendingDimensionLine;
    d.Line.PolylineNumber = 0;
    StampElementHeader(d.Text.Header);
    FillText(d.Text, 2, fl);
  } else {
    TextElement& t = NewElement(s.Texts, kText);
    FillText(t, kind, fl);
  }
  EndElement();
}

void BareLine(const Fields& fl) {
  StoreBareLine({fl.Real(0), fl.Real(1), fl.Real(2), fl.Real(3)});
}

}  // namespace

void StoreBareLine(const double (&values)[4]) {
  ElementStore& s = Store;
  LineElement* line;
  if (s.DimensionOpen) {
    line = &s.PendingDimensionLine;
    StampElementHeader(line->Header);
    line->PolylineNumber = 0;
  } else {
    line = &NewElement(s.Lines, kLine);
    line->PolylineNumber = s.PolylineOpen ? s.PolylineCount : 0;
  }
  line->X1 = values[0];
  line->Y1 = values[1];
  line->X2 = values[2];
  line->Y2 = values[3];
  s.EntityFlags = 0;
  s.CurrentPickGroup = 0;
}

void DispatchRecord(const Fields& fl) {
  ElementStore& s = Store;
  const std::string_view f = fl[0];
  const int n = fl.Count;

  if (f.find("file=") != std::string_view::npos) {
    s.HostFileName.assign(From(f, 5));
    return;
  }
  // Every keyword starts with a letter or "#": a field that starts otherwise (a number, as in
  // the bulk of a drawing's lines) can only be a bare line.
  const unsigned char first = f.empty() ? 0 : static_cast<unsigned char>(f[0]);
  if (!((first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z') || first == '#')) {
    if (n == 4) BareLine(fl);
    return;
  }
  if (f == "hk" && n >= 2) {
    s.AxisAngle = fl.Real(1);
    return;
  }
  if (f == "hs" && n >= 17) {
    for (int i = 0; i < 16; ++i) s.LayerGroupScale[static_cast<std::size_t>(i)] = fl.Real(i + 1);
    return;
  }
  if (f == "hzs" && n >= 3) {
    s.PaperSize = {fl.Real(1), fl.Real(2)};
    return;
  }
  if (n >= 11 && (f == "hcw" || f == "hch" || f == "hcd" || f == "hcc")) {
    for (int i = 1; i <= 10; ++i) {
      TextType& type = s.TextTypeTable[static_cast<std::size_t>(i)];
      switch (f[2]) {
        case 'w':
          type.Width = fl.Real(i);
          break;
        case 'h':
          type.Height = fl.Real(i);
          break;
        case 'd':
          type.Spacing = fl.Real(i);
          break;
        default:
          type.Color = fl.Int(i);
          break;
      }
    }
    return;
  }
  if (f == "bz") {
    s.BzSeen = true;
    return;
  }
  if (f == "hn" && n >= 5) {
    for (int i = 0; i < 4; ++i) s.HnValues[static_cast<std::size_t>(i)] = fl.Real(i + 1);
    return;
  }
  if (StartsWith(f, "lgn")) {
    SetAt(s.LayerGroupNames, s.CurrentLayerGroup, std::string(From(f, 3)));
    return;
  }
  if (StartsWith(f, "lyn")) {
    SetAt(s.LayerNames, s.CurrentLayerGroup * 16 + s.CurrentLayer, std::string(From(f, 3)));
    return;
  }
  if (StartsWith(f, "lg")) return LayerGroupRecord(f, fl);
  if (StartsWith(f, "ly")) return LayerRecord(f, fl);
  if (StartsWith(f, "lc")) {
    LineAttributeRecord(f, s.Awaited.LineColor, s.InitialLineColor, s.CurrentLineColor);
    if (s.CurrentLineColor == 10 && n >= 2) s.ExtendedColor = fl.Int(1);
    return;
  }
  if (StartsWith(f, "lt")) {
    return LineAttributeRecord(f, s.Awaited.LineType, s.InitialLineType, s.CurrentLineType);
  }
  if (StartsWith(f, "lw")) {
    LineAttributeRecord(f, s.Awaited.LineWidth, s.InitialLineWidth, s.CurrentLineWidth);
    s.LineWidthSeen = true;
    return;
  }
  if (StartsWith(f, "cn$")) {
    std::string_view name = From(f, 3);
    if (s.InitialFontName.empty()) s.InitialFontName.assign(name);
    s.CurrentFontName.assign(name);
    s.PolylineOpen = false;
    return;
  }
  if (StartsWith(f, "cn")) return TextTypeRecord(f, fl);
  if (StartsWith(f, "cc")) {
    int v = TextToInt(CharAt(f, 2));
    s.CurrentTextAttribute = v < 0 || v > 8 ? 0 : v;
    s.PolylineOpen = false;
    return;
  }
  if (f.size() == 2 && f[0] == 'z' && f[1] >= '1' && f[1] <= '5') {
    s.EntityFlags |= 1 << (f[1] - '1');
    return;
  }
  if (StartsWith(f, "pn")) {
    s.CurrentPointColor = TextToInt(From(f, 2));
    s.PolylineOpen = false;
    return;
  }
  if (f == "pl") {
    ++s.PolylineCount;
    s.PolylineOpen = true;
    s.DimensionOpen = false;
    return;
  }
  if (f == "msg") {
    s.DimensionOpen = true;
    s.PolylineOpen = false;
    return;
  }
  if (f == "#") {
    s.PolylineOpen = false;
    s.DimensionOpen = false;
    return;
  }
  if (StartsWith(f, "hp") && n >= 3) return PickedPointRecord(f, fl);
  if (StartsWith(f, "hhp")) return PickGroupRecord(f);
  if (f == "ci" && n == 4) {
    Placed(NewElement(s.Circles, kCircle), fl).Radius = fl.Real(3);
    return EndElement();
  }
  if (f == "ci" && n >= 8) {
    ArcElement& a = NewElement(s.Arcs, kArc);
    for (int i = 0; i < 7; ++i) a.Values[static_cast<std::size_t>(i)] = fl.Real(i + 1);
    return EndElement();
  }
  if (n >= 6) {
    int kind = TextKindOf(f);
    if (kind >= 0) return TextRecord(kind, fl);
  }
  if (f == "pt" && n == 3) {
    Placed(NewElement(s.Points, kPoint), fl).Header.Color = s.CurrentPointColor;
    return EndElement();
  }
  if (f == "pt" && n >= 6) {
    CodedPointElement& p = Placed(NewElement(s.CodedPoints, kCodedPoint), fl);
    p.Header.Color = s.CurrentPointColor;
    p.Scale = fl.Real(3);
    p.Angle = fl.Real(4);
    p.Code = fl.Int(5);
    return EndElement();
  }
  if (f == "BL" && n >= 4) {
    Placed(NewElement(s.Blocks, kBlock), fl).Name.assign(fl[3]);
    return EndElement();
  }
  if (f == "sl" && n == 5) {
    double p[4];
    for (int i = 0; i < 4; ++i) p[i] = fl.Real(i + 1);
    return StoreSolid(kSolid2, p, 2);
  }
  if (f == "sl" && n == 7) return StoreThreePointSolid(fl);
  if (f == "sl" && n >= 9) return StoreFourPointSolid(fl);
  if (n >= 9 && (f == "sc" || f == "se" || f == "so" || f == "sg")) {
    const int kind = f == "sc" ? kSc : f == "se" ? kSe : f == "so" ? kSo : kSg;
    SolidElement& e = NewElement(s.Solids[static_cast<std::size_t>(kind - kSolid2)], kind);
    e.ExtendedColor = s.ExtendedColor;
    const int reals = SolidValueCount(kind);
    for (int i = 0; i < reals; ++i) e.Values[static_cast<std::size_t>(i)] = fl.Real(i + 1);
    if (reals == 7) e.Code = fl.Int(8);
    return EndElement();
  }
  if (n == 4) BareLine(fl);
}

}  // namespace sorea
