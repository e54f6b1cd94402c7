#include "cli/PreviewLayout.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace sorea::cli {

namespace {

// Places where small things gather (end marks, a value text, a short overshoot): each becomes
// a magnified detail, since at the scale of the whole drawing they are a few pixels. A busy
// drawing, where small things are everywhere, gets none. big is the whole view's larger side.
std::vector<View> FindDetails(const std::vector<Shape>& shapes, double big) {
  const double kSmall = 0.03 * big;
  const std::size_t kMaxSeeds = 200, kMaxDetails = 4;
  std::vector<Box> clusters;
  for (const Shape& sh : shapes) {
    if (sh.IsPick() || sh.IsContext()) continue;  // shown whole already, or not judged here
    if (sh.Type == ShapeType::Text) continue;     // a text counts by its box
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

}  // namespace

Box FittedBox(const std::vector<Shape>& shapes, bool resultOnly) {
  Box box;
  for (const Shape& sh : shapes)
    if (!resultOnly || !sh.IsContext()) box.Include(BoxOf(sh));
  return box;
}

PreviewLayout LayOut(const std::vector<Shape>& shapes, bool resultOnly, bool details) {
  Box all = FittedBox(shapes, resultOnly);
  double width = all.MaxX - all.MinX, height = all.MaxY - all.MinY;
  double extent = std::max(width, height);
  double minX = all.MinX, minY = all.MinY;
  // Coordinates too far apart for any view: an empty view at the origin, with solid lines only
  // (dashes along a line 1e308 long would never end).
  bool unviewable = all.Any && !std::isfinite(extent);
  if (!all.Any || unviewable) {
    minX = minY = 0;
    width = height = extent = 0;
  }
  if (extent <= 0) extent = std::max(1.0, std::max(std::fabs(minX), std::fabs(minY)) * 1e-3);
  double margin = extent * (resultOnly ? kResultMargin : 0.05);
  PreviewLayout layout;
  const View whole{minX - margin, minY - margin, std::max(width + 2 * margin, extent * 0.1),
                   std::max(height + 2 * margin, extent * 0.1)};
  layout.Whole = whole;
  double big = std::max(whole.W, whole.H);
  const double kPixels = 1200;
  layout.Width = std::max(1L, std::lround(whole.W / big * kPixels));
  layout.Height = std::max(1L, std::lround(whole.H / big * kPixels));
  layout.WholePen = {big / 1000, unviewable ? 0 : big / 150, kPixels / big};
  layout.TotalWidth = layout.Width;
  layout.TotalHeight = layout.Height;
  if (!details || unviewable) return layout;

  // The details in a column on the right of the whole drawing, each a square panel.
  const long kPanel = 400, kGap = 16;
  for (const View& v : FindDetails(shapes, big)) {
    Detail d;
    d.Shows = v;
    d.DrawnWith = {v.W / 330, v.W / 50, static_cast<double>(kPanel) / v.W};
    d.FrameX = (v.X - whole.X) / whole.W * static_cast<double>(layout.Width);
    d.FrameY = (whole.Y + whole.H - (v.Y + v.H)) / whole.H * static_cast<double>(layout.Height);
    d.Left = layout.Width + kGap;
    d.Top = static_cast<long>(layout.Details.size()) * (kPanel + kGap);
    d.Size = kPanel;
    d.Magnification = std::max(1L, std::lround(big / v.W));
    layout.Details.push_back(d);
  }
  if (layout.Details.empty()) return layout;
  const auto count = static_cast<long>(layout.Details.size());
  layout.TotalWidth = layout.Width + kGap + kPanel;
  layout.TotalHeight = std::max(layout.Height, count * kPanel + (count - 1) * kGap);
  return layout;
}

}  // namespace sorea::cli
