// The picture of an exchange file: every element the reader stored, drawn as SVG so that a
// dimension can be judged by eye (which way the marks point, where the value stands).
#pragma once

#include <string>
#include <vector>

#include "exchange/JwwGaibu.h"

namespace sorea::cli {

// A picked point from the exchange file Jw_cad wrote before the job ran, marked and numbered.
// Picks are no part of the drawing: their marks are sized to the view, not to paper mm.
struct PickMark {
  int Number = 0;
  double X = 0, Y = 0;
};

// Sizes that have no drawing length of their own are given in paper mm and drawn at
// paper mm x the layer group scale of the element (the preview does not know the plotting
// scale otherwise). An exchange file without "hs" has scale 1 everywhere.
inline constexpr double kPointRadiusMm = 0.5;  // a plain point
inline constexpr double kBlockSizeMm = 2;      // the diamond of a block reference

// The whole SVG document for the elements of store and the given picks. The view is fitted
// to everything drawn, with a margin; y points up as in the drawing. Never fails: an empty
// store gives a valid, empty picture. With details, places where small things gather (end
// marks, a value text) are shown again, magnified, in a column beside the whole drawing.
std::string BuildPreviewSvg(const ElementStore& store, const std::vector<PickMark>& picks,
                            bool details = false);

}  // namespace sorea::cli
