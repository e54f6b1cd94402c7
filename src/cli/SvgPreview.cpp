// Draws the element store as SVG: the elements become shapes, the shapes fix the views, and
// each view is written with every shape in it.
#include "cli/SvgPreview.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <string>
#include <vector>

#include "cli/PreviewClip.h"
#include "cli/PreviewLayout.h"
#include "cli/PreviewShapes.h"
#include "cli/SvgWriter.h"

namespace sorea::cli {

namespace {

const char kDetailColour[] = "#ff7f00";

std::string ViewBox(const View& v) {
  return SvgNumber(v.X) + " " + SvgNumber(-(v.Y + v.H)) + " " + SvgNumber(v.W) + " " +
         SvgNumber(v.H);
}

// A rectangle of the drawing, its top left corner in SVG's terms; the paint follows.
SvgWriter& Rect(SvgWriter& svg, const char* cls, const View& v) {
  return svg.Start("rect")
      .Attr("class", cls)
      .Num("x", v.X)
      .Y("y", v.Y + v.H)
      .Num("width", v.W)
      .Num("height", v.H);
}

// A nested picture or a panel of the whole one, in the picture's pixels.
SvgWriter& PixelBox(SvgWriter& svg, const char* element, const char* cls, long left, long top,
                    long width, long height) {
  return svg.Start(element)
      .Attr("class", cls)
      .Int("x", left)
      .Int("y", top)
      .Int("width", width)
      .Int("height", height);
}

void OpenGroup(SvgWriter& svg) {
  svg.Start("g")
      .Attr("stroke-linecap", "round")
      .Attr("stroke-linejoin", "round")
      .Attr("font-family", "IPAGothic, MS Gothic, sans-serif")
      .Open();
}

// The anchor is the lower left of the text; the baseline sits a little above it so that a
// full-width character fills the height from the anchor up. A text larger than kLayoutSize is
// laid out at that size and scaled up: the renderer cannot make fonts of hundreds of thousands
// of units (texts on a drawing of kilometres).
void DrawText(SvgWriter& svg, const Shape& sh) {
  const double kLayoutSize = 10000;
  double k = sh.FontSize > kLayoutSize ? sh.FontSize / kLayoutSize : 1;
  double size = sh.FontSize / k;
  svg.Start("text")
      .Attr("class", sh.Class)
      .Attr("transform", "translate(" + SvgNumber(sh.Points[0].X) + " " +
                             SvgNumber(-sh.Points[0].Y) + ") rotate(" + SvgNumber(-sh.Angle) +
                             ") scale(" + SvgNumber(sh.WidthScale * k) + " " + SvgNumber(k) + ")")
      .Attr("x", "0")
      .Num("y", -0.12 * size)
      .Num("font-size", size);
  if (sh.LetterSpacing != 0) svg.Num("letter-spacing", sh.LetterSpacing / k);
  svg.Attr("fill", sh.Colour).Content(sh.Text);
}

void Paint(SvgWriter& svg, const Shape& sh, const Pen& pen) {
  if (sh.Stroked) {
    svg.Attr("stroke", sh.Colour).Num("stroke-width", pen.Stroke * sh.WidthFactor);
    std::string dash = DashArray(sh.LineType, pen.DashUnit);
    if (!dash.empty()) svg.Attr("stroke-dasharray", dash);
  } else {
    svg.Attr("stroke", "none");
  }
  if (sh.Filled) {
    svg.Attr("fill", sh.Colour);
    if (sh.FillOpacity < 1) svg.Num("fill-opacity", sh.FillOpacity);
  } else {
    svg.Attr("fill", "none");
  }
}

Box WindowOf(const View& v) {
  Box b;
  b.Include(v.X, v.Y);
  b.Include(v.X + v.W, v.Y + v.H);
  return b;
}

// A detail leaves out the picks' marks, which are sized for the whole view, and the context
// outside its own view. A text whose glyphs would be larger than the picture (a height of 1e300
// in a bad file) is left out, since renderers cannot lay out such glyphs; its box stays.
void DrawShapes(SvgWriter& svg, const std::vector<Shape>& shapes, const Pen& pen,
                const View* detail = nullptr) {
  const double kMaxGlyphPixels = 1500;
  const Box window = detail ? WindowOf(*detail) : Box{};
  for (const Shape& sh : shapes) {
    if (detail && (sh.IsPick() || (sh.IsContext() && !Meets(sh, window)))) continue;
    switch (sh.Type) {
      case ShapeType::Polyline:
      case ShapeType::Polygon:
        if (sh.Type == ShapeType::Polyline && sh.Points.size() == 2) {
          svg.Start("line").Attr("class", sh.Class).Num("x1", sh.Points[0].X);
          svg.Y("y1", sh.Points[0].Y).Num("x2", sh.Points[1].X).Y("y2", sh.Points[1].Y);
        } else {
          svg.Start(sh.Type == ShapeType::Polygon ? "polygon" : "polyline");
          svg.Attr("class", sh.Class).Points("points", sh.Points);
        }
        Paint(svg, sh, pen);
        svg.End();
        break;
      case ShapeType::Circle:
        svg.Start("circle").Attr("class", sh.Class).Num("cx", sh.Points[0].X);
        svg.Y("cy", sh.Points[0].Y).Num("r", sh.Radius);
        Paint(svg, sh, pen);
        svg.End();
        break;
      case ShapeType::Text:
        if (sh.FontSize > 0 && sh.FontSize * pen.PixelsPerUnit <= kMaxGlyphPixels &&
            sh.WidthScale >= 1e-3 && sh.WidthScale <= 1e3 &&
            std::fabs(sh.LetterSpacing * sh.WidthScale) * pen.PixelsPerUnit <= kMaxGlyphPixels) {
          DrawText(svg, sh);
        }
        break;
    }
  }
}

// The whole drawing with the frames of its details and their numbers, which stand in the
// picture's pixels: a font as large as a drawing of kilometres is more than the renderer takes.
void DrawWholeWithFrames(SvgWriter& svg, const std::vector<Shape>& shapes,
                         const PreviewLayout& layout) {
  PixelBox(svg, "svg", "overview", 0, 0, layout.Width, layout.Height)
      .Attr("viewBox", ViewBox(layout.Whole))
      .Open();
  OpenGroup(svg);
  DrawShapes(svg, shapes, layout.WholePen);
  const double stroke = layout.WholePen.Stroke;
  for (const Detail& d : layout.Details) {
    Rect(svg, "detail-frame", d.Shows)
        .Attr("stroke", kDetailColour)
        .Num("stroke-width", stroke)
        .Attr("stroke-dasharray", SvgNumber(4 * stroke) + " " + SvgNumber(2 * stroke))
        .Attr("fill", "none")
        .End();
  }
  svg.Close("g");
  svg.Close("svg");
  for (std::size_t i = 0; i < layout.Details.size(); ++i) {
    const Detail& d = layout.Details[i];
    svg.Start("text")
        .Attr("class", "detail-number")
        .Num("x", d.FrameX - 2)
        .Num("y", d.FrameY)
        .Attr("text-anchor", "end")
        .Attr("font-size", "20")
        .Attr("font-family", "sans-serif")
        .Attr("fill", kDetailColour)
        .Content(std::to_string(i + 1));
  }
}

void DrawDetail(SvgWriter& svg, const std::vector<Shape>& shapes, const Detail& d,
                std::size_t number) {
  PixelBox(svg, "svg", "detail", d.Left, d.Top, d.Size, d.Size)
      .Attr("viewBox", ViewBox(d.Shows))
      .Open();
  OpenGroup(svg);
  DrawShapes(svg, shapes, d.DrawnWith, &d.Shows);
  svg.Close("g");
  svg.Close("svg");
  PixelBox(svg, "rect", "detail-border", d.Left, d.Top, d.Size, d.Size)
      .Attr("stroke", kDetailColour)
      .Attr("fill", "none")
      .End();
  svg.Start("text")
      .Attr("class", "detail-label")
      .Int("x", d.Left + 6)
      .Int("y", d.Top + 20)
      .Attr("font-size", "16")
      .Attr("font-family", "sans-serif")
      .Attr("fill", kDetailColour)
      .Content(std::to_string(number) + ": x" + std::to_string(d.Magnification));
}

}  // namespace

std::string BuildPreviewSvg(const ElementStore& store, const PreviewOptions& options) {
  // The drawing the elements go into first, so that they are drawn over it.
  std::vector<Shape> shapes;
  if (options.Context) shapes = ContextShapes(*options.Context);
  std::vector<Shape> own = PreviewShapes(store);
  shapes.insert(shapes.end(), std::make_move_iterator(own.begin()),
                std::make_move_iterator(own.end()));
  // The picks are sized to what the view takes in; with nothing of the result to fit, all.
  auto fitted = [&](bool resultOnly) {
    Box box = FittedBox(shapes, resultOnly);
    for (const PickMark& p : options.Picks) box.Include(p.X, p.Y);
    return box;
  };
  const bool resultOnly = options.Fit == PreviewFit::Result && fitted(true).Any;
  const Box fit = fitted(resultOnly);
  const double around = resultOnly ? 1 + 2 * kResultMargin : 1;
  AddPicks(shapes, options.Picks, fit.Any ? fit.Size() * around : 0);
  const PreviewLayout layout = LayOut(shapes, resultOnly, options.Details);
  if (resultOnly) {
    // The drawing is cut a little beyond the view: its far parts would only burden the renderer.
    const View& w = layout.Whole;
    const double grow = 0.1 * std::max(w.W, w.H);
    ClipContext(shapes, WindowOf(View{w.X - grow, w.Y - grow, w.W + 2 * grow, w.H + 2 * grow}));
  }
  SvgWriter svg;
  svg.Start("svg")
      .Attr("xmlns", "http://www.w3.org/2000/svg")
      .Int("width", layout.TotalWidth)
      .Int("height", layout.TotalHeight);
  if (layout.Details.empty()) {
    svg.Attr("viewBox", ViewBox(layout.Whole)).Open();
    Rect(svg, "background", layout.Whole).Attr("fill", "#ffffff").End();
    OpenGroup(svg);
    DrawShapes(svg, shapes, layout.WholePen);
    svg.Close("g");
    svg.Close("svg");
    return svg.Take();
  }
  // The whole drawing on the left, the details in a column on the right; the outer picture is
  // in pixels, each view a nested svg that clips to its own part of the drawing.
  svg.Attr("viewBox",
           "0 0 " + std::to_string(layout.TotalWidth) + " " + std::to_string(layout.TotalHeight))
      .Open();
  PixelBox(svg, "rect", "background", 0, 0, layout.TotalWidth, layout.TotalHeight)
      .Attr("fill", "#ffffff")
      .End();
  DrawWholeWithFrames(svg, shapes, layout);
  for (std::size_t i = 0; i < layout.Details.size(); ++i) {
    DrawDetail(svg, shapes, layout.Details[i], i + 1);
  }
  svg.Close("svg");
  return svg.Take();
}

}  // namespace sorea::cli
