// Where the preview's views stand: the whole drawing fitted into a picture with a margin and,
// when asked for, magnified details of the places where small things gather, in a column
// beside it.
#pragma once

#include <vector>

#include "cli/PreviewShapes.h"

namespace sorea::cli {

// The part of the drawing a view shows: lower left corner and size, y up.
struct View {
  double X = 0, Y = 0, W = 1, H = 1;
};

// How shapes are drawn into a view: the pen's width and the dash unit in drawing units (no
// unit: solid lines only), and the view's magnification in pixels per drawing unit.
struct Pen {
  double Stroke = 0, DashUnit = 0, PixelsPerUnit = 0;
};

// One detail: its view, where its frame stands in the whole drawing's pixels (top left
// corner), and its panel in the picture's pixels.
struct Detail {
  View Shows;
  Pen DrawnWith;
  double FrameX = 0, FrameY = 0;
  long Left = 0, Top = 0, Size = 0;
  long Magnification = 1;  // the detail's scale against the whole drawing's, rounded
};

struct PreviewLayout {
  View Whole;
  Pen WholePen;
  long Width = 1, Height = 1;  // the whole drawing's pixels
  std::vector<Detail> Details;
  long TotalWidth = 1, TotalHeight = 1;  // the picture with the details' column
};

// A view fitted to the result takes in the drawing around it: this share of the result's
// extent each way.
inline constexpr double kResultMargin = 0.75;

// What the view is fitted to: the shapes that are not context with resultOnly, else all.
Box FittedBox(const std::vector<Shape>& shapes, bool resultOnly);

// Fits the whole view to the shapes with a margin, or with resultOnly to those that are not
// context with a wide margin; with details, finds the places to magnify among the file's own
// elements (none where small things are everywhere).
PreviewLayout LayOut(const std::vector<Shape>& shapes, bool resultOnly, bool details);

}  // namespace sorea::cli
