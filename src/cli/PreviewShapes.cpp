// Elements into shapes. Sizes without a drawing length of their own (points, point markers,
// block marks, text heights) are paper mm at the layer group scale of the element; the point
// markers take their geometry from the end-mark code, so that the preview shows the reach the
// dimension job allows for.
#include "cli/PreviewShapes.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <string>
#include <vector>

#include "cli/StoreElements.h"
#include "dimension/Dimension.h"
#include "util/Cp932.h"
#include "util/MyFunc.h"
#include "util/X87.h"

namespace sorea::cli {

void Box::Include(double x, double y) {
  if (!std::isfinite(x) || !std::isfinite(y)) return;
  if (!Any) {
    MinX = MaxX = x;
    MinY = MaxY = y;
    Any = true;
  }
  MinX = std::min(MinX, x);
  MaxX = std::max(MaxX, x);
  MinY = std::min(MinY, y);
  MaxY = std::max(MaxY, y);
}

void Box::Include(const Box& b) {
  if (!b.Any) return;
  Include(b.MinX, b.MinY);
  Include(b.MaxX, b.MaxY);
}

double Box::Size() const {
  return std::max(MaxX - MinX, MaxY - MinY);
}

bool Box::Overlaps(const Box& b, double pad) const {
  return Any && b.Any && MinX - pad <= b.MaxX && b.MinX - pad <= MaxX && MinY - pad <= b.MaxY &&
         b.MinY - pad <= MaxY;
}

Box BoxOf(const Shape& sh) {
  Box b;
  if (sh.Type == ShapeType::Circle) {
    b.Include(sh.Points[0].X - sh.Radius, sh.Points[0].Y - sh.Radius);
    b.Include(sh.Points[0].X + sh.Radius, sh.Points[0].Y + sh.Radius);
  } else if (sh.Type == ShapeType::Text) {
    b.Include(sh.Points[0].X, sh.Points[0].Y);
  } else {
    for (const Pt& p : sh.Points) b.Include(p.X, p.Y);
  }
  return b;
}

namespace {

bool Finite(double v) {
  return std::isfinite(v);
}
bool Finite(const Pt& p) {
  return Finite(p.X) && Finite(p.Y);
}

// Jw_cad's colour numbers 1..9 as they read on white paper; 2 (white on the screen) is black.
std::string ColourOf(int colour, int extended = 0) {
  static const char* const kPalette[10] = {"#000000", "#0090c0", "#000000", "#00a000", "#b09000",
                                           "#d000d0", "#0000e0", "#505050", "#e00000", "#909090"};
  if (colour == 10) {
    if (extended >= 1 && extended <= 9) return kPalette[extended];
    return "#e07000";  // an SXF colour: one colour that stands out from the nine
  }
  if (colour >= 1 && colour <= 9) return kPalette[colour];
  return "#000000";
}

double ScaleOfGroup(const ElementStore& store, int group) {
  if (group < 0 || group > 15) group = 0;
  double s = store.LayerGroupScale[static_cast<std::size_t>(group)];
  return Finite(s) && s > 0 ? s : 1.0;
}

double WidthFactorOf(int width) {
  if (width <= 1) return 1.0;
  if (width <= 16) return 0.5 + 0.5 * width;
  return 2;  // widths in 1/100 mm: one visibly heavier pen
}

Pt Along(const Pt& origin, long double angleDeg, long double a, long double b) {
  long double r = DegToRad(angleDeg);
  long double c = X87Cos(r), s = X87Sin(r);
  return {static_cast<double>(origin.X + a * c - b * s),
          static_cast<double>(origin.Y + a * s + b * c)};
}

// Points of an elliptic arc from its first seven values: centre, radius, start and end angle
// relative to the tilt, flatness (minor / major), tilt; counter-clockwise from start to end.
// closeToCentre makes the outline of a sector.
std::vector<Pt> ArcPoints(std::span<const double> v, bool closeToCentre) {
  std::vector<Pt> pts;
  double cx = v[0], cy = v[1], r = v[2], start = v[3], end = v[4], flat = v[5], tilt = v[6];
  if (!Finite(cx) || !Finite(cy) || !Finite(r) || !Finite(start) || !Finite(end) || r <= 0)
    return pts;
  if (!Finite(flat)) flat = 1;
  if (!Finite(tilt)) tilt = 0;
  long double span = static_cast<long double>(end) - start;
  span = std::fmod(span, 360.0L);
  if (span <= 1e-9L) span += 360.0L;
  int segments = std::max(8, static_cast<int>(std::ceil(static_cast<double>(span) / 3.0)));
  long double tiltRad = DegToRad(tilt);
  long double ct = X87Cos(tiltRad), st = X87Sin(tiltRad);
  for (int i = 0; i <= segments; ++i) {
    long double t = DegToRad(start + span * i / segments);
    long double lx = r * X87Cos(t), ly = static_cast<long double>(r) * flat * X87Sin(t);
    pts.push_back(
        {static_cast<double>(cx + lx * ct - ly * st), static_cast<double>(cy + lx * st + ly * ct)});
  }
  if (closeToCentre) pts.push_back({cx, cy});
  return pts;
}

// The corners of a solid of kind 9, 10, 11, 14 or 15: its values taken in pairs.
std::vector<Pt> CornersOf(const SolidElement& e, int kind) {
  std::vector<Pt> pts;
  for (int i = 0; i + 1 < SolidValueCount(kind); i += 2) {
    pts.push_back(
        {e.Values[static_cast<std::size_t>(i)], e.Values[static_cast<std::size_t>(i + 1)]});
  }
  return pts;
}

Shape Label(std::string cls, Pt at, std::string colour, std::string text, double size) {
  Shape label;
  label.Type = ShapeType::Text;
  label.Class = std::move(cls);
  label.Points = {at};
  label.Colour = std::move(colour);
  label.Text = std::move(text);
  label.FontSize = size;
  return label;
}

// A shape with a coordinate that is not a number, or one far beyond any drawing Jw_cad makes
// (a bad file), is left out rather than poisoning the view or the renderer.
void Keep(std::vector<Shape>& shapes, Shape sh) {
  const double kFar = 1e9;
  for (const Pt& p : sh.Points)
    if (!Finite(p) || std::fabs(p.X) > kFar || std::fabs(p.Y) > kFar) return;
  if (!(sh.Radius <= kFar) || !(sh.FontSize <= kFar)) return;
  if (sh.Points.empty()) return;
  shapes.push_back(std::move(sh));
}

class Builder {
 public:
  explicit Builder(const ElementStore& store) : store_(store) {}

  void Element(const LineElement& line) { AddLine(line, "line"); }

  void Element(const CircleElement& c) {
    if (!Finite(c.Radius) || c.Radius <= 0) return;
    Shape sh;
    sh.Type = ShapeType::Circle;
    sh.Class = "circle";
    sh.Points = {{c.X, c.Y}};
    sh.Radius = c.Radius;
    StyleFrom(sh, c.Header);
    Add(std::move(sh));
  }

  void Element(const ArcElement& a) {
    Shape sh;
    sh.Class = "arc";
    sh.Points = ArcPoints(a.Values, false);
    StyleFrom(sh, a.Header);
    Add(std::move(sh));
  }

  void Element(const TextElement& t) { AddText(t, "text"); }

  void Element(const PointElement& p) {
    Shape sh;
    sh.Type = ShapeType::Circle;
    sh.Class = "point";
    sh.Points = {{p.X, p.Y}};
    sh.Radius = kPointRadiusMm * ScaleOfGroup(store_, p.Header.LayerGroup);
    sh.Colour = ColourOf(p.Header.Color);
    sh.Filled = true;
    sh.Stroked = false;
    Add(std::move(sh));
  }

  void Element(const CodedPointElement& p);

  void Element(const DimensionElement& d) {
    AddLine(d.Line, "dimension-line");
    AddText(d.Text, "dimension-text");
  }

  void Element(const BlockElement& b) {
    Pt q{b.X, b.Y};
    if (!Finite(q)) return;
    double k = kBlockSizeMm * ScaleOfGroup(store_, b.Header.LayerGroup);
    Shape sh;
    sh.Type = ShapeType::Polygon;
    sh.Class = "block";
    sh.Points = {{q.X + k, q.Y}, {q.X, q.Y + k}, {q.X - k, q.Y}, {q.X, q.Y - k}};
    StyleFrom(sh, b.Header);
    sh.LineType = 1;
    const std::string colour = sh.Colour;
    Add(std::move(sh));
    // The name: a quarter of the mark's size right of its right corner and above its middle.
    const Pt nameAt{q.X + (k + k / 4), q.Y + k / 4};
    Add(Label("block-name", nameAt, colour, Cp932ToUtf8(b.Name), k));
  }

  void Solid(int kind, const SolidElement& e) {
    Shape sh;
    sh.Class = "solid kind-" + std::to_string(kind);
    StyleFrom(sh, e.Header);
    sh.Colour = ColourOf(e.Header.Color, e.ExtendedColor);
    sh.LineType = 1;
    if (kind == kSolid2) {  // two points: a solid stroke
      sh.WidthFactor = 4;
    } else {
      sh.Type = ShapeType::Polygon;
      sh.Filled = true;
      sh.FillOpacity = 0.6;
    }
    // A sector of an arc closes at the centre, a segment by its chord.
    sh.Points = kind == kSc || kind == kSe ? ArcPoints(e.Values, kind == kSc) : CornersOf(e, kind);
    if (kind == kSo || kind == kSg) {  // lightly filled and dashed
      sh.FillOpacity = 0.3;
      sh.LineType = 9;
    }
    Add(std::move(sh));
  }

  std::vector<Shape> Take() { return std::move(shapes_); }

 private:
  void AddLine(const LineElement& line, const std::string& cls) {
    Shape sh;
    sh.Class = cls;
    sh.Points = {{line.X1, line.Y1}, {line.X2, line.Y2}};
    StyleFrom(sh, line.Header);
    Add(std::move(sh));
  }

  void AddText(const TextElement& t, const std::string& cls);

  void StyleFrom(Shape& sh, const ElementHeader& h) const {
    sh.Colour = ColourOf(h.Color, store_.ExtendedColor);
    sh.LineType = h.LineType;
    sh.WidthFactor = WidthFactorOf(h.LineWidth);
  }

  void Add(Shape sh) { Keep(shapes_, std::move(sh)); }

  const ElementStore& store_;
  std::vector<Shape> shapes_;
};

void Builder::AddText(const TextElement& t, const std::string& cls) {
  double s = ScaleOfGroup(store_, t.Header.LayerGroup);
  double h = Finite(t.Height) && t.Height > 0 ? t.Height * s : 0;
  double w = Finite(t.Width) && t.Width > 0 ? t.Width * s : 0;
  double d = Finite(t.Spacing) ? t.Spacing * s : 0;
  double angle = 0;
  if (Finite(t.Dx) && Finite(t.Dy) && (t.Dx != 0 || t.Dy != 0))
    angle = static_cast<double>(X87Atan2(t.Dy, t.Dx) * 180.0L / kPi);
  Pt origin{t.X, t.Y};
  if (!Finite(origin) || h <= 0) return;
  // The box Jw_cad reserves for the text: its length is what the dimension job centres.
  double length =
      MeasureTextLength(t.Text, Finite(t.Width) ? t.Width : 0, Finite(t.Spacing) ? t.Spacing : 0) *
      s;
  if (!Finite(length)) length = 0;
  Shape box;
  box.Type = ShapeType::Polygon;
  box.Class = cls + "-box";
  box.Points = {origin, Along(origin, angle, length, 0), Along(origin, angle, length, h),
                Along(origin, angle, 0, h)};
  box.Colour = "#c0c0c0";
  box.LineType = 2;
  box.WidthFactor = 0.5;
  Add(std::move(box));

  Shape sh = Label(cls, origin, ColourOf(t.Header.Color), Cp932ToUtf8(t.Text), h);
  sh.Angle = angle;
  sh.WidthScale = w > 0 ? w / h : 1;
  // Jw_cad puts half the spacing after a half-width character and the whole after a full-width
  // one; a renderer spaces all characters alike, so the text's spacing is spread evenly over
  // its gaps, which fills the box (exactly when all its characters are of one width).
  int gaps = -1;
  for (std::size_t i = 0; i < t.Text.size(); i += IsLeadByte(t.Text[i]) ? 2 : 1) ++gaps;
  const double spacing = Finite(t.Spacing) ? t.Spacing : 0;
  sh.LetterSpacing =
      (gaps > 0 ? MeasureTextLength(t.Text, 0, spacing) * s / gaps : d) / sh.WidthScale;
  Add(std::move(sh));
}

// A point marker of Jw_cad's codes 1..11: drawn at its position, turned by its angle (the
// direction the mark points to) and sized by its scale. Arrow-like marks have their tip at the
// point and lie behind it; the others are centred on it.
void Builder::Element(const CodedPointElement& p) {
  Pt q{p.X, p.Y};
  if (!Finite(q)) return;
  double scale = Finite(p.Scale) && std::fabs(p.Scale) > 1e-8 ? std::fabs(p.Scale) : 1.0;
  double k = scale * ScaleOfGroup(store_, p.Header.LayerGroup);
  double beta = Finite(p.Angle) ? p.Angle : 0;
  const std::string cls = "marker code-" + std::to_string(p.Code);
  const std::string colour = ColourOf(p.Header.Color);
  auto local = [&](double a, double b) { return Along(q, beta, a * k, b * k); };
  auto add = [&](ShapeType type, std::vector<Pt> pts, bool filled, double radius = 0) {
    Shape sh;
    sh.Type = type;
    sh.Class = cls;
    sh.Points = std::move(pts);
    sh.Radius = radius;
    sh.Colour = colour;
    sh.Filled = filled;
    Add(std::move(sh));
  };
  const auto length = static_cast<double>(kMarkerArrowLength);
  const auto width = static_cast<double>(kMarkerArrowHalfWidth);
  const auto half = static_cast<double>(kMarkerHalfSize);
  const double reach = 2 * half;  // of the slash and the tilde, each way along their slant
  const MarkerShape shape = PointMarkerShape(p.Code);
  switch (shape) {
    case MarkerShape::Triangle:
    case MarkerShape::FilledTriangle:
    case MarkerShape::TriangleWithAxis:
      add(ShapeType::Polygon, {local(0, 0), local(-length, width), local(-length, -width)},
          shape == MarkerShape::FilledTriangle);
      if (shape == MarkerShape::TriangleWithAxis) {
        add(ShapeType::Polyline, {local(0, 0), local(-length, 0)}, false);
      }
      break;
    case MarkerShape::Chevron:
      add(ShapeType::Polyline, {local(-length, width), local(0, 0), local(-length, -width)}, false);
      break;
    case MarkerShape::Square:
    case MarkerShape::FilledSquare:
      add(ShapeType::Polygon,
          {local(-half, -half), local(half, -half), local(half, half), local(-half, half)},
          shape == MarkerShape::FilledSquare);
      break;
    case MarkerShape::RingInRing:
      add(ShapeType::Circle, {q}, false, half * k);
      add(ShapeType::Circle, {q}, false, 0.5 * half * k);
      break;
    case MarkerShape::Circle:
    case MarkerShape::FilledCircle:
      add(ShapeType::Circle, {q}, shape == MarkerShape::FilledCircle, half * k);
      break;
    case MarkerShape::Tilde: {  // a wave across the line at 45 degrees
      std::vector<Pt> pts;
      for (int i = 0; i <= 24; ++i) {
        long double t = -reach + 2.0L * reach * i / 24;
        long double wave = 0.35L * X87Sin(kTwoPi * t / reach);
        pts.push_back(Along(q, beta - 45.0L, t * k, wave * k));
      }
      add(ShapeType::Polyline, std::move(pts), false);
      break;
    }
    case MarkerShape::Slash:  // across the line at 45 degrees
      add(ShapeType::Polyline,
          {Along(q, beta - 45.0L, -reach * k, 0), Along(q, beta - 45.0L, reach * k, 0)}, false);
      break;
    case MarkerShape::None:  // a code the dialog does not offer: a cross with its number
      add(ShapeType::Polyline, {local(-half, -half), local(half, half)}, false);
      add(ShapeType::Polyline, {local(-half, half), local(half, -half)}, false);
      Add(Label(cls + " marker-label", local(half, half), colour, std::to_string(p.Code),
                2 * half * k));
      break;
  }
}

}  // namespace

std::vector<Shape> PreviewShapes(const ElementStore& store) {
  Builder b(store);
  for (const ElementRef& ref : store.ElementOrder) {
    VisitElement(store, ref,
                 Overloaded{[&](const SolidElement& e) { b.Solid(ref.Kind, e); },
                            [&](const auto& e) { b.Element(e); }});
  }
  return b.Take();
}

std::vector<Shape> ContextShapes(const ElementStore& drawing) {
  std::vector<Shape> shapes = PreviewShapes(drawing);
  std::erase_if(shapes, [](const Shape& sh) { return sh.Class.ends_with("-box"); });
  for (Shape& sh : shapes) {
    sh.Class = "context " + sh.Class;
    sh.Colour = kContextColour;
  }
  return shapes;
}

void AddPicks(std::vector<Shape>& shapes, const std::vector<PickMark>& picks, double extent) {
  const double r = Finite(extent) && extent > 0 ? 0.012 * extent : 1.0;
  for (const PickMark& pick : picks) {
    Pt q{pick.X, pick.Y};
    if (!Finite(q)) continue;
    Shape ring;
    ring.Type = ShapeType::Circle;
    ring.Class = "pick";
    ring.Points = {q};
    ring.Radius = r;
    ring.Colour = "#ff2080";
    ring.WidthFactor = 1.5;
    const std::string colour = ring.Colour;
    Keep(shapes, std::move(ring));
    Shape cross;
    cross.Class = "pick-cross";
    cross.Colour = colour;
    cross.Points = {{q.X - r, q.Y}, {q.X + r, q.Y}};
    Keep(shapes, cross);
    cross.Points = {{q.X, q.Y - r}, {q.X, q.Y + r}};
    Keep(shapes, std::move(cross));
    Keep(shapes,
         Label("pick-label", {q.X + r, q.Y + r}, colour, std::to_string(pick.Number), 1.5 * r));
  }
}

}  // namespace sorea::cli
