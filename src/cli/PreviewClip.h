// The drawing around a result cut to a window. A view fitted to the result shows a small part
// of the drawing it goes into, and its pen, dashes included, is sized to that part: a line
// thousands of views long, dashed at that pen, is more than a renderer takes, and its far
// coordinates lose precision in the renderer's fixed-point arithmetic.
#pragma once

#include <vector>

#include "cli/PreviewShapes.h"

namespace sorea::cli {

// Whether any of the shape can show in the window; a text by its anchor and a reach of its
// size and length.
bool Meets(const Shape& sh, const Box& window);

// Cuts the context shapes to the window, keeping their order: those wholly outside are left
// out, lines, polylines, polygons and circles crossing its edge keep the part inside (a circle
// as the arc inside). The file's own elements and the picks are kept as they are.
void ClipContext(std::vector<Shape>& shapes, const Box& window);

}  // namespace sorea::cli
