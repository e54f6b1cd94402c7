// Draws the element store as SVG. Every element is first turned into a few plain shapes in
// drawing coordinates; once all of them are known the view is fitted and the shapes are
// written with y negated (SVG's y points down, the drawing's up).
#include "cli/SvgPreview.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "util/Cp932.h"
#include "util/MyFunc.h"
#include "util/X87.h"

namespace sorea::cli {
namespace {

struct Pt {
  double X = 0, Y = 0;
};

enum class ShapeType { Polyline, Polygon, Circle, Text };

struct Shape {
  ShapeType Type = ShapeType::Polyline;
  std::string Class;
  std::vector<Pt> Points;  // polyline, polygon; a circle's or a text's anchor is Points[0]
  double Radius = 0;       // circle
  std::string Colour = "#000000";
  int LineType = 1;
  double WidthFactor = 1;  // times the base stroke width
  bool Filled = false;
  double FillOpacity = 1;
  bool Stroked = true;
  // Text: UTF-8, drawn with its baseline a little above the anchor, turned by Angle degrees.
  std::string Text;
  double Angle = 0;
  double FontSize = 0;
  double WidthScale = 1;
  double LetterSpacing = 0;
};

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
  return 2.0;  // widths in 1/100 mm: one visibly heavier pen
}

Pt Along(const Pt& origin, long double angleDeg, long double a, long double b) {
  long double r = DegToRad(angleDeg);
  long double c = X87Cos(r), s = X87Sin(r);
  return {static_cast<double>(origin.X + a * c - b * s),
          static_cast<double>(origin.Y + a * s + b * c)};
}

// Points of an elliptic arc: centre, radius, start and end angle relative to the tilt,
// flatness (minor / major), tilt; counter-clockwise from start to end. closeToCentre and
// closeChord make the outline of a sector or a segment.
std::vector<Pt> ArcPoints(const std::array<double, 8>& v, bool closeToCentre) {
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

class Builder {
 public:
  explicit Builder(const ElementStore& store) : store_(store) {}

  void AddLine(const LineElement& line, const std::string& cls) {
    Shape sh;
    sh.Class = cls;
    sh.Points = {{line.X1, line.Y1}, {line.X2, line.Y2}};
    StyleFrom(sh, line.Header);
    Add(std::move(sh));
  }

  void AddCircle(const CircleElement& c) {
    if (!Finite(c.Radius) || c.Radius <= 0) return;
    Shape sh;
    sh.Type = ShapeType::Circle;
    sh.Class = "circle";
    sh.Points = {{c.X, c.Y}};
    sh.Radius = c.Radius;
    StyleFrom(sh, c.Header);
    Add(std::move(sh));
  }

  void AddArc(const ArcElement& a) {
    std::array<double, 8> v{};
    std::copy(a.Values.begin(), a.Values.end(), v.begin());
    Shape sh;
    sh.Class = "arc";
    sh.Points = ArcPoints(v, false);
    StyleFrom(sh, a.Header);
    Add(std::move(sh));
  }

  void AddText(const TextElement& t, const std::string& cls) {
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
    double length = MeasureTextLength(t.Text, Finite(t.Width) ? t.Width : 0,
                                      Finite(t.Spacing) ? t.Spacing : 0) *
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

    Shape sh;
    sh.Type = ShapeType::Text;
    sh.Class = cls;
    sh.Points = {origin};
    sh.Colour = ColourOf(t.Header.Color);
    sh.Text = Cp932ToUtf8(t.Text);
    sh.Angle = angle;
    sh.FontSize = h;
    sh.WidthScale = w > 0 ? w / h : 1;
    sh.LetterSpacing = d / sh.WidthScale;
    Add(std::move(sh));
  }

  void AddPoint(const PointElement& p) {
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

  // A point marker of Jw_cad's codes 1..11: drawn at its position, turned by its angle (the
  // direction the mark points to) and sized by its scale. Arrow-like marks have their tip at
  // the point and lie behind it; the others are centred on it. Their extents along the
  // direction are the reaches the dimension job allows for them.
  void AddCodedPoint(const CodedPointElement& p) {
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
    const double arrowLength = 7.5, arrowHalf = 2.0, half = 1.25, slash = 2.5;
    switch (p.Code) {
      case 1:   // open triangle
      case 6:   // filled triangle
      case 11:  // open triangle with its axis
        add(ShapeType::Polygon,
            {local(0, 0), local(-arrowLength, arrowHalf), local(-arrowLength, -arrowHalf)},
            p.Code == 6);
        if (p.Code == 11) add(ShapeType::Polyline, {local(0, 0), local(-arrowLength, 0)}, false);
        break;
      case 9:  // chevron
        add(ShapeType::Polyline,
            {local(-arrowLength, arrowHalf), local(0, 0), local(-arrowLength, -arrowHalf)}, false);
        break;
      case 2:  // open square
      case 5:  // filled square
        add(ShapeType::Polygon,
            {local(-half, -half), local(half, -half), local(half, half), local(-half, half)},
            p.Code == 5);
        break;
      case 3:  // ring with an inner ring
        add(ShapeType::Circle, {q}, false, half * k);
        add(ShapeType::Circle, {q}, false, 0.5 * half * k);
        break;
      case 4:  // open circle
      case 7:  // filled circle
        add(ShapeType::Circle, {q}, p.Code == 7, half * k);
        break;
      case 8: {  // tilde across the line at 45 degrees
        std::vector<Pt> pts;
        for (int i = 0; i <= 24; ++i) {
          long double t = -slash + 2.0L * slash * i / 24;
          long double wave = 0.35L * X87Sin(kTwoPi * t / slash);
          Pt onAxis = Along(q, beta - 45.0L, t * k, wave * k);
          pts.push_back(onAxis);
        }
        add(ShapeType::Polyline, std::move(pts), false);
        break;
      }
      case 10:  // slash across the line at 45 degrees
        add(ShapeType::Polyline,
            {Along(q, beta - 45.0L, -slash * k, 0), Along(q, beta - 45.0L, slash * k, 0)}, false);
        break;
      default: {  // a code the dialog does not offer: a cross with its number
        add(ShapeType::Polyline, {local(-half, -half), local(half, half)}, false);
        add(ShapeType::Polyline, {local(-half, half), local(half, -half)}, false);
        Shape label;
        label.Type = ShapeType::Text;
        label.Class = cls + " marker-label";
        label.Points = {local(half, half)};
        label.Colour = colour;
        label.Text = std::to_string(p.Code);
        label.FontSize = 2 * half * k;
        Add(std::move(label));
        break;
      }
    }
  }

  void AddBlock(const BlockElement& b) {
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
    Shape label;
    label.Type = ShapeType::Text;
    label.Class = "block-name";
    label.Points = {{q.X + 1.25 * k, q.Y + 0.25 * k}};
    label.Colour = colour;
    label.Text = Cp932ToUtf8(b.Name);
    label.FontSize = k;
    Add(std::move(label));
  }

  void AddSolid(int kind, const SolidElement& e) {
    Shape sh;
    sh.Class = "solid kind-" + std::to_string(kind);
    StyleFrom(sh, e.Header);
    sh.Colour = ColourOf(e.Header.Color, e.ExtendedColor);
    sh.LineType = 1;
    const auto& v = e.Values;
    switch (kind) {
      case kSolid2:  // two points: a solid stroke
        sh.Points = {{v[0], v[1]}, {v[2], v[3]}};
        sh.WidthFactor = 4;
        break;
      case kSolid3:
        sh.Type = ShapeType::Polygon;
        sh.Points = {{v[0], v[1]}, {v[2], v[3]}, {v[4], v[5]}};
        sh.Filled = true;
        sh.FillOpacity = 0.6;
        break;
      case kSolid4:
        sh.Type = ShapeType::Polygon;
        sh.Points = {{v[0], v[1]}, {v[2], v[3]}, {v[4], v[5]}, {v[6], v[7]}};
        sh.Filled = true;
        sh.FillOpacity = 0.6;
        break;
      case kSc:  // filled sector of an arc
      case kSe:  // filled segment of an arc (closed by its chord)
        sh.Type = ShapeType::Polygon;
        sh.Points = ArcPoints(v, kind == kSc);
        sh.Filled = true;
        sh.FillOpacity = 0.6;
        break;
      default:  // "so", "sg": their four points, lightly filled and dashed
        sh.Type = ShapeType::Polygon;
        sh.Points = {{v[0], v[1]}, {v[2], v[3]}, {v[4], v[5]}, {v[6], v[7]}};
        sh.Filled = true;
        sh.FillOpacity = 0.3;
        sh.LineType = 9;
        break;
    }
    Add(std::move(sh));
  }

  void AddPick(const PickMark& pick, double r) {
    Pt q{pick.X, pick.Y};
    if (!Finite(q)) return;
    Shape ring;
    ring.Type = ShapeType::Circle;
    ring.Class = "pick";
    ring.Points = {q};
    ring.Radius = r;
    ring.Colour = "#ff2080";
    ring.WidthFactor = 1.5;
    Add(std::move(ring));
    Shape cross;
    cross.Class = "pick-cross";
    cross.Colour = ring.Colour;
    cross.Points = {{q.X - r, q.Y}, {q.X + r, q.Y}};
    Add(cross);
    cross.Points = {{q.X, q.Y - r}, {q.X, q.Y + r}};
    Add(std::move(cross));
    Shape label;
    label.Type = ShapeType::Text;
    label.Class = "pick-label";
    label.Points = {{q.X + r, q.Y + r}};
    label.Colour = ring.Colour;
    label.Text = std::to_string(pick.Number);
    label.FontSize = 1.5 * r;
    Add(std::move(label));
  }

  std::string Finish(bool details) const;
  // The larger side of what the elements and the given points take up.
  double Extent(const std::vector<PickMark>& picks) const;

 private:
  void StyleFrom(Shape& sh, const ElementHeader& h) const {
    sh.Colour = ColourOf(h.Color, store_.ExtendedColor);
    sh.LineType = h.LineType;
    sh.WidthFactor = WidthFactorOf(h.LineWidth);
  }

  void Add(Shape sh) {
    // A shape with a coordinate that is not a number, or one far beyond any drawing Jw_cad
    // makes (a bad file), is left out rather than poisoning the view or the renderer.
    const double kFar = 1e9;
    for (const Pt& p : sh.Points)
      if (!Finite(p) || std::fabs(p.X) > kFar || std::fabs(p.Y) > kFar) return;
    if (!(sh.Radius <= kFar) || !(sh.FontSize <= kFar)) return;
    if (sh.Points.empty()) return;
    shapes_.push_back(std::move(sh));
  }

  const ElementStore& store_;
  std::vector<Shape> shapes_;
};

std::string Num(double v) {
  return FormatGeneral(v == 0 ? 0.0 : v);
}
// SVG's y runs downward: every drawing y is written negated.
std::string NumY(double y) {
  return Num(-y);
}

void AppendEscaped(std::string& out, const std::string& utf8) {
  for (char ch : utf8) {
    unsigned char c = static_cast<unsigned char>(ch);
    switch (ch) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&apos;";
        break;
      default:
        if (c >= 0x20 || c == '\t') out += ch;  // XML admits no other control characters
        break;
    }
  }
}

std::string DashArray(int lineType, double unit) {
  // Jw_cad's line types 2..9 as on-off lengths in multiples of unit.
  static const std::vector<std::vector<double>> kPatterns = {
      {},                              // 1 solid
      {1.0, 0.6},                      // 2 dotted 1
      {0.4, 0.6},                      // 3 dotted 2
      {0.15, 0.5},                     // 4 dotted 3
      {3.0, 0.6, 0.3, 0.6},            // 5 chain 1
      {6.0, 0.8, 0.4, 0.8},            // 6 chain 2
      {3.0, 0.6, 0.3, 0.6, 0.3, 0.6},  // 7 double chain 1
      {6.0, 0.8, 0.4, 0.8, 0.4, 0.8},  // 8 double chain 2
      {2.0, 1.0},                      // 9 dashed
  };
  if (lineType < 2 || lineType > 9 || !(unit > 0)) return "";
  std::string out;
  for (double d : kPatterns[static_cast<std::size_t>(lineType - 1)]) {
    if (!out.empty()) out += ' ';
    out += Num(d * unit);
  }
  return out;
}

struct Box {
  bool Any = false;
  double MinX = 0, MinY = 0, MaxX = 0, MaxY = 0;

  void Include(double x, double y) {
    if (!Finite(x) || !Finite(y)) return;
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
  void Include(const Box& b) {
    if (!b.Any) return;
    Include(b.MinX, b.MinY);
    Include(b.MaxX, b.MaxY);
  }
  double Size() const { return std::max(MaxX - MinX, MaxY - MinY); }
  bool Overlaps(const Box& b, double pad) const {
    return Any && b.Any && MinX - pad <= b.MaxX && b.MinX - pad <= MaxX && MinY - pad <= b.MaxY &&
           b.MinY - pad <= MaxY;
  }
};

Box BoxOf(const Shape& sh) {
  Box b;
  if (sh.Type == ShapeType::Circle) {
    b.Include(sh.Points[0].X - sh.Radius, sh.Points[0].Y - sh.Radius);
    b.Include(sh.Points[0].X + sh.Radius, sh.Points[0].Y + sh.Radius);
  } else if (sh.Type == ShapeType::Text) {
    b.Include(sh.Points[0].X, sh.Points[0].Y);  // texts come with their box or a mark
  } else {
    for (const Pt& p : sh.Points) b.Include(p.X, p.Y);
  }
  return b;
}

// A view of the drawing: the square or rectangle (x, y up) it shows.
struct View {
  double X = 0, Y = 0, W = 1, H = 1;  // lower left corner, size
  std::string ViewBox() const { return Num(X) + " " + Num(-(Y + H)) + " " + Num(W) + " " + Num(H); }
};

// withPicks false leaves out the picks' marks, which are sized for the whole view.
// pixelsPerUnit is the view's magnification: a text whose glyphs would be larger than the
// picture (a height of 1e300 in a bad file) is left out, since renderers cannot lay out such
// glyphs; its box stays.
void EmitShapes(std::string& out, const std::vector<Shape>& shapes, double stroke, double dashUnit,
                double pixelsPerUnit, bool withPicks = true) {
  const double kMaxGlyphPixels = 1500;
  for (const Shape& sh : shapes) {
    if (!withPicks && sh.Class.rfind("pick", 0) == 0) continue;
    if (sh.Type == ShapeType::Text &&
        !(sh.FontSize > 0 && sh.FontSize * pixelsPerUnit <= kMaxGlyphPixels &&
          sh.WidthScale >= 1e-3 && sh.WidthScale <= 1e3 &&
          std::fabs(sh.LetterSpacing * sh.WidthScale) * pixelsPerUnit <= kMaxGlyphPixels))
      continue;
    std::string paint;
    if (sh.Type != ShapeType::Text) {
      if (sh.Stroked) {
        paint +=
            " stroke=\"" + sh.Colour + "\" stroke-width=\"" + Num(stroke * sh.WidthFactor) + "\"";
        std::string dash = DashArray(sh.LineType, dashUnit);
        if (!dash.empty()) paint += " stroke-dasharray=\"" + dash + "\"";
      } else {
        paint += " stroke=\"none\"";
      }
      if (sh.Filled) {
        paint += " fill=\"" + sh.Colour + "\"";
        if (sh.FillOpacity < 1) paint += " fill-opacity=\"" + Num(sh.FillOpacity) + "\"";
      } else {
        paint += " fill=\"none\"";
      }
    }
    const std::string cls = "class=\"" + sh.Class + "\"";
    switch (sh.Type) {
      case ShapeType::Polyline:
      case ShapeType::Polygon: {
        if (sh.Type == ShapeType::Polyline && sh.Points.size() == 2) {
          out += "<line " + cls + " x1=\"" + Num(sh.Points[0].X) + "\" y1=\"" +
                 NumY(sh.Points[0].Y) + "\" x2=\"" + Num(sh.Points[1].X) + "\" y2=\"" +
                 NumY(sh.Points[1].Y) + "\"" + paint + "/>\n";
          break;
        }
        out += sh.Type == ShapeType::Polygon ? "<polygon " : "<polyline ";
        out += cls + " points=\"";
        for (std::size_t i = 0; i < sh.Points.size(); ++i) {
          if (i) out += ' ';
          out += Num(sh.Points[i].X) + "," + NumY(sh.Points[i].Y);
        }
        out += "\"" + paint + "/>\n";
        break;
      }
      case ShapeType::Circle:
        out += "<circle " + cls + " cx=\"" + Num(sh.Points[0].X) + "\" cy=\"" +
               NumY(sh.Points[0].Y) + "\" r=\"" + Num(sh.Radius) + "\"" + paint + "/>\n";
        break;
      case ShapeType::Text: {
        // The anchor is the lower left of the text; the baseline sits a little above it so
        // that a full-width character fills the height from the anchor up. A text larger
        // than kLayoutSize is laid out at that size and scaled up: the renderer cannot make
        // fonts of hundreds of thousands of units (texts on a drawing of kilometres).
        const double kLayoutSize = 10000;
        double k = sh.FontSize > kLayoutSize ? sh.FontSize / kLayoutSize : 1;
        double size = sh.FontSize / k;
        out += "<text " + cls + " transform=\"translate(" + Num(sh.Points[0].X) + " " +
               NumY(sh.Points[0].Y) + ") rotate(" + Num(-sh.Angle) + ") scale(" +
               Num(sh.WidthScale * k) + " " + Num(k) + ")\" x=\"0\" y=\"" + Num(-0.12 * size) +
               "\" font-size=\"" + Num(size) + "\"";
        if (sh.LetterSpacing != 0) out += " letter-spacing=\"" + Num(sh.LetterSpacing / k) + "\"";
        out += " fill=\"" + sh.Colour + "\">";
        AppendEscaped(out, sh.Text);
        out += "</text>\n";
        break;
      }
    }
  }
}

const char kGroupOpen[] =
    "<g stroke-linecap=\"round\" stroke-linejoin=\"round\" font-family=\"IPAGothic, MS Gothic, "
    "sans-serif\">\n";

// Places where small things gather (end marks, a value text, a short overshoot): each becomes
// a magnified detail, since at the scale of the whole drawing they are a few pixels. A busy
// drawing, where small things are everywhere, gets none.
std::vector<View> FindDetails(const std::vector<Shape>& shapes, double big) {
  const double kSmall = 0.03 * big;
  const std::size_t kMaxSeeds = 200, kMaxDetails = 4;
  std::vector<Box> clusters;
  for (const Shape& sh : shapes) {
    if (sh.Class.rfind("pick", 0) == 0) continue;  // the picks are shown whole already
    if (sh.Type == ShapeType::Text) continue;      // a text counts by its box
    Box b = BoxOf(sh);
    if (!b.Any || b.Size() > kSmall) continue;
    clusters.push_back(b);
    if (clusters.size() > kMaxSeeds) return {};
  }
  for (bool merged = true; merged;) {
    merged = false;
    for (std::size_t i = 0; i < clusters.size() && !merged; ++i) {
      for (std::size_t j = i + 1; j < clusters.size() && !merged; ++j) {
        double pad = std::max({clusters[i].Size(), clusters[j].Size(), 0.005 * big});
        if (clusters[i].Overlaps(clusters[j], pad)) {
          clusters[i].Include(clusters[j]);
          clusters.erase(clusters.begin() + static_cast<std::ptrdiff_t>(j));
          merged = true;
        }
      }
    }
  }
  if (clusters.size() > kMaxDetails + 2) return {};
  // Top to bottom, then left to right, as one reads the drawing.
  std::sort(clusters.begin(), clusters.end(), [](const Box& a, const Box& b) {
    double ay = a.MinY + a.MaxY, by = b.MinY + b.MaxY;
    return ay != by ? ay > by : a.MinX + a.MaxX < b.MinX + b.MaxX;
  });
  std::vector<View> views;
  for (const Box& c : clusters) {
    if (views.size() == kMaxDetails) break;
    double half = std::max(0.8 * c.Size(), 0.01 * big);
    if (half * 2 > 0.5 * big) continue;  // hardly smaller than the whole: no detail needed
    double cx = (c.MinX + c.MaxX) / 2, cy = (c.MinY + c.MaxY) / 2;
    views.push_back({cx - half, cy - half, 2 * half, 2 * half});
  }
  return views;
}

double Builder::Extent(const std::vector<PickMark>& picks) const {
  Box all;
  for (const Shape& sh : shapes_) all.Include(BoxOf(sh));
  for (const PickMark& p : picks) all.Include(p.X, p.Y);
  return all.Any ? all.Size() : 0;
}

std::string Builder::Finish(bool details) const {
  Box all;
  for (const Shape& sh : shapes_) all.Include(BoxOf(sh));
  double width = all.MaxX - all.MinX, height = all.MaxY - all.MinY;
  double extent = std::max(width, height);
  double minX = all.MinX, minY = all.MinY;
  // Coordinates too far apart for any view: an empty view at the origin, with solid lines only
  // (dashes along a line 1e308 long would never end).
  bool unviewable = all.Any && !Finite(extent);
  if (!all.Any || unviewable) {
    minX = minY = 0;
    width = height = extent = 0;
  }
  if (extent <= 0) extent = std::max(1.0, std::max(std::fabs(minX), std::fabs(minY)) * 1e-3);
  double margin = extent * 0.05;
  View main{minX - margin, minY - margin, std::max(width + 2 * margin, extent * 0.1),
            std::max(height + 2 * margin, extent * 0.1)};
  double big = std::max(main.W, main.H);
  const double kPixels = 1200;
  long pxW = std::max(1L, std::lround(main.W / big * kPixels));
  long pxH = std::max(1L, std::lround(main.H / big * kPixels));
  double stroke = big / 1000;
  double dashUnit = unviewable ? 0 : big / 150;

  std::string out;
  out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  std::vector<View> views =
      details && !unviewable ? FindDetails(shapes_, big) : std::vector<View>{};
  if (views.empty()) {
    out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(pxW) +
           "\" height=\"" + std::to_string(pxH) + "\" viewBox=\"" + main.ViewBox() + "\">\n";
    out += "<rect class=\"background\" x=\"" + Num(main.X) + "\" y=\"" + NumY(main.Y + main.H) +
           "\" width=\"" + Num(main.W) + "\" height=\"" + Num(main.H) + "\" fill=\"#ffffff\"/>\n";
    out += kGroupOpen;
    EmitShapes(out, shapes_, stroke, dashUnit, kPixels / big);
    out += "</g>\n</svg>\n";
    return out;
  }

  // The whole drawing on the left, the details in a column on the right; the outer picture
  // is in pixels, each view a nested svg that clips to its own part of the drawing.
  const long kPanel = 400, kGap = 16;
  long count = static_cast<long>(views.size());
  long totalW = pxW + kGap + kPanel;
  long totalH = std::max(pxH, count * kPanel + (count - 1) * kGap);
  out += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(totalW) +
         "\" height=\"" + std::to_string(totalH) + "\" viewBox=\"0 0 " + std::to_string(totalW) +
         " " + std::to_string(totalH) + "\">\n";
  out += "<rect class=\"background\" x=\"0\" y=\"0\" width=\"" + std::to_string(totalW) +
         "\" height=\"" + std::to_string(totalH) + "\" fill=\"#ffffff\"/>\n";
  out += "<svg class=\"overview\" x=\"0\" y=\"0\" width=\"" + std::to_string(pxW) + "\" height=\"" +
         std::to_string(pxH) + "\" viewBox=\"" + main.ViewBox() + "\">\n";
  out += kGroupOpen;
  EmitShapes(out, shapes_, stroke, dashUnit, kPixels / big);
  for (std::size_t i = 0; i < views.size(); ++i) {
    const View& v = views[i];
    out += "<rect class=\"detail-frame\" x=\"" + Num(v.X) + "\" y=\"" + NumY(v.Y + v.H) +
           "\" width=\"" + Num(v.W) + "\" height=\"" + Num(v.H) +
           "\" stroke=\"#ff7f00\" stroke-width=\"" + Num(stroke) + "\" stroke-dasharray=\"" +
           Num(4 * stroke) + " " + Num(2 * stroke) + "\" fill=\"none\"/>\n";
  }
  out += "</g>\n</svg>\n";
  // The frames' numbers stand in the picture's pixels: a font as large as a drawing of
  // kilometres is more than the renderer can take.
  for (std::size_t i = 0; i < views.size(); ++i) {
    const View& v = views[i];
    double x = (v.X - main.X) / main.W * static_cast<double>(pxW);
    double y = (main.Y + main.H - (v.Y + v.H)) / main.H * static_cast<double>(pxH);
    out += "<text class=\"detail-number\" x=\"" + Num(x - 2) + "\" y=\"" + Num(y) +
           "\" text-anchor=\"end\" font-size=\"20\" font-family=\"sans-serif\" "
           "fill=\"#ff7f00\">" +
           std::to_string(i + 1) + "</text>\n";
  }
  for (std::size_t i = 0; i < views.size(); ++i) {
    const View& v = views[i];
    long top = static_cast<long>(i) * (kPanel + kGap);
    out += "<svg class=\"detail\" x=\"" + std::to_string(pxW + kGap) + "\" y=\"" +
           std::to_string(top) + "\" width=\"" + std::to_string(kPanel) + "\" height=\"" +
           std::to_string(kPanel) + "\" viewBox=\"" + v.ViewBox() + "\">\n";
    out += kGroupOpen;
    EmitShapes(out, shapes_, v.W / 330, v.W / 50, static_cast<double>(kPanel) / v.W, false);
    out += "</g>\n</svg>\n";
    out += "<rect class=\"detail-border\" x=\"" + std::to_string(pxW + kGap) + "\" y=\"" +
           std::to_string(top) + "\" width=\"" + std::to_string(kPanel) + "\" height=\"" +
           std::to_string(kPanel) + "\" stroke=\"#ff7f00\" fill=\"none\"/>\n";
    out += "<text class=\"detail-label\" x=\"" + std::to_string(pxW + kGap + 6) + "\" y=\"" +
           std::to_string(top + 20) +
           "\" font-size=\"16\" font-family=\"sans-serif\" "
           "fill=\"#ff7f00\">" +
           std::to_string(i + 1) + ": x" + std::to_string(std::max(1L, std::lround(big / v.W))) +
           "</text>\n";
  }
  out += "</svg>\n";
  return out;
}

}  // namespace

std::string BuildPreviewSvg(const ElementStore& store, const std::vector<PickMark>& picks,
                            bool details) {
  Builder b(store);
  for (const ElementRef& ref : store.ElementOrder) {
    if (ref.Index < 0) continue;
    auto i = static_cast<std::size_t>(ref.Index);
    switch (ref.Kind) {
      case kLine:
        if (i < store.Lines.size()) b.AddLine(store.Lines[i], "line");
        break;
      case kCircle:
        if (i < store.Circles.size()) b.AddCircle(store.Circles[i]);
        break;
      case kArc:
        if (i < store.Arcs.size()) b.AddArc(store.Arcs[i]);
        break;
      case kText:
        if (i < store.Texts.size()) b.AddText(store.Texts[i], "text");
        break;
      case kPoint:
        if (i < store.Points.size()) b.AddPoint(store.Points[i]);
        break;
      case kCodedPoint:
        if (i < store.CodedPoints.size()) b.AddCodedPoint(store.CodedPoints[i]);
        break;
      case kDimension:
        if (i < store.Dimensions.size()) {
          b.AddLine(store.Dimensions[i].Line, "dimension-line");
          b.AddText(store.Dimensions[i].Text, "dimension-text");
        }
        break;
      case kBlock:
        if (i < store.Blocks.size()) b.AddBlock(store.Blocks[i]);
        break;
      default:
        if (ref.Kind >= kSolid2 && ref.Kind <= kSg) {
          const auto& table = store.Solids[static_cast<std::size_t>(ref.Kind - kSolid2)];
          if (i < table.size()) b.AddSolid(ref.Kind, table[i]);
        }
        break;
    }
  }
  double extent = b.Extent(picks);
  double ring = Finite(extent) && extent > 0 ? 0.012 * extent : 1.0;
  for (const PickMark& p : picks) b.AddPick(p, ring);
  return b.Finish(details);
}

}  // namespace sorea::cli
