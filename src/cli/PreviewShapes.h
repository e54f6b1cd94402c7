// The preview's drawing as plain shapes: every element of the store, and every pick, becomes a
// few polylines, polygons, circles and texts in drawing coordinates (y up), styled as Jw_cad
// shows them on white paper.
#pragma once

#include <string>
#include <vector>

#include "cli/SvgPreview.h"
#include "exchange/JwwGaibu.h"

namespace sorea::cli {

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

  // The picks' marks, sized to the whole view rather than to the drawing.
  bool IsPick() const { return Class.rfind("pick", 0) == 0; }
  // The drawing the elements go into, drawn beneath them.
  bool IsContext() const { return Class.rfind("context", 0) == 0; }
};

// The rectangle (x, y up) a set of points takes up; points that are not numbers are passed by.
struct Box {
  bool Any = false;
  double MinX = 0, MinY = 0, MaxX = 0, MaxY = 0;

  void Include(double x, double y);
  void Include(const Box& b);
  double Size() const;  // the larger side
  bool Overlaps(const Box& b, double pad) const;
};

// What a shape covers; a text counts by its anchor only, since it comes with its box or a mark.
Box BoxOf(const Shape& sh);

// The elements of store in their order. Shapes with coordinates that are not numbers, or far
// beyond any drawing, are left out.
std::vector<Shape> PreviewShapes(const ElementStore& store);

// The elements of the drawing a result goes into, in their order and all in kContextColour,
// each class prefixed with "context"; the boxes reserved for texts, a help for judging a
// result's value, are left out.
std::vector<Shape> ContextShapes(const ElementStore& drawing);

// The picks' rings, crosses and numbers, sized to a view of the given extent, after shapes.
void AddPicks(std::vector<Shape>& shapes, const std::vector<PickMark>& picks, double extent);

}  // namespace sorea::cli
