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

// What the view is fitted to: everything drawn, or the file's own elements and the picks with
// a wide margin, so that a small dimension in a large drawing stays readable and the drawing
// around it shows.
enum class PreviewFit { Both, Result };

// The colour of the drawing the elements go into: muted, so that the elements keep their own
// colours on top of it.
inline constexpr char kContextColour[] = "#a8b4c0";

struct PreviewOptions {
  std::vector<PickMark> Picks;
  // The drawing Jw_cad adds the elements to (the file it wrote before the job ran), drawn
  // beneath them in kContextColour; none when null.
  const ElementStore* Context = nullptr;
  PreviewFit Fit = PreviewFit::Both;
  // Places where small things gather (end marks, a value text) shown again, magnified, in a
  // column beside the whole view.
  bool Details = false;
};

// The whole SVG document for the elements of store. The view is fitted as options say, with a
// margin; y points up as in the drawing. Never fails: an empty store gives a valid, empty
// picture.
std::string BuildPreviewSvg(const ElementStore& store, const PreviewOptions& options);

}  // namespace sorea::cli
