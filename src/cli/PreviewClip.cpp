#include "cli/PreviewClip.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <utility>

#include "util/X87.h"

namespace sorea::cli {

namespace {

bool Within(const Box& b, const Box& window) {
  return b.Any && window.Any && window.MinX <= b.MinX && b.MaxX <= window.MaxX &&
         window.MinY <= b.MinY && b.MaxY <= window.MaxY;
}

Pt At(const Pt& a, const Pt& b, double t) {
  if (t == 1) return b;
  return {a.X + t * (b.X - a.X), a.Y + t * (b.Y - a.Y)};
}

// The part of the segment a-b inside the window as the parameters [t0, t1] along it; false when
// the segment misses the window.
bool ClipSegment(const Pt& a, const Pt& b, const Box& w, double& t0, double& t1) {
  t0 = 0;
  t1 = 1;
  const double dx = b.X - a.X, dy = b.Y - a.Y;
  const double p[4] = {-dx, dx, -dy, dy};
  const double q[4] = {a.X - w.MinX, w.MaxX - a.X, a.Y - w.MinY, w.MaxY - a.Y};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;  // parallel to this edge and outside it
      continue;
    }
    const double t = q[i] / p[i];
    if (p[i] < 0)
      t0 = std::max(t0, t);
    else
      t1 = std::min(t1, t);
  }
  return t0 <= t1;
}

// The pieces of a polyline inside the window, each a polyline of its own with the shape's style.
void AddPiecesInside(std::vector<Shape>& out, const Shape& sh, const Box& w) {
  std::vector<Pt> run;
  auto flush = [&] {
    if (run.size() >= 2) {
      Shape piece = sh;
      piece.Points = std::move(run);
      out.push_back(std::move(piece));
    }
    run.clear();
  };
  for (std::size_t i = 0; i + 1 < sh.Points.size(); ++i) {
    const Pt &a = sh.Points[i], &b = sh.Points[i + 1];
    double t0 = 0, t1 = 1;
    if (!ClipSegment(a, b, w, t0, t1)) {
      flush();
      continue;
    }
    if (t0 > 0 || run.empty()) {
      flush();
      run.push_back(At(a, b, t0));
    }
    run.push_back(At(a, b, t1));
    if (t1 < 1) flush();
  }
  flush();
}

// A polygon cut to the window one edge after another; its outline along the window's edges
// lies outside the view the window is grown from.
std::vector<Pt> PolygonInside(std::vector<Pt> pts, const Box& w) {
  const double bounds[4] = {w.MinX, w.MaxX, w.MinY, w.MaxY};
  for (int edge = 0; edge < 4 && !pts.empty(); ++edge) {
    const double bound = bounds[edge];
    auto value = [&](const Pt& p) { return edge < 2 ? p.X : p.Y; };
    auto inside = [&](const Pt& p) {
      return edge % 2 == 0 ? value(p) >= bound : value(p) <= bound;
    };
    std::vector<Pt> kept;
    for (std::size_t i = 0; i < pts.size(); ++i) {
      const Pt& prev = pts[(i + pts.size() - 1) % pts.size()];
      const Pt& cur = pts[i];
      if (inside(cur) != inside(prev))
        kept.push_back(At(prev, cur, (bound - value(prev)) / (value(cur) - value(prev))));
      if (inside(cur)) kept.push_back(cur);
    }
    pts = std::move(kept);
  }
  return pts;
}

// The arc of a circle far larger than the window that lies within the circle round the window,
// as a polyline fine enough that its chords do not show; empty when the circle passes the
// window by.
std::vector<Pt> ArcNear(const Shape& circle, const Box& w) {
  const Pt c = circle.Points[0];
  const double r = circle.Radius;
  const double wx = (w.MinX + w.MaxX) / 2, wy = (w.MinY + w.MaxY) / 2;
  const double reach = std::hypot(w.MaxX - w.MinX, w.MaxY - w.MinY) / 2;
  const double d = std::hypot(wx - c.X, wy - c.Y);
  if (d + reach < r || d - reach > r) return {};
  // Where the circle meets the one round the window: the angle from the circle's centre
  // towards the window's, give or take half.
  const double cosHalf = std::clamp((r * r + d * d - reach * reach) / (2 * r * d), -1.0, 1.0);
  const long double half = X87Atan2(std::sqrt(1 - cosHalf * cosHalf), cosHalf);
  const long double towards = X87Atan2(wy - c.Y, wx - c.X);
  const double tolerance = w.Size() / 2000;
  const long double step = 2 * std::sqrt(2 * tolerance / r);
  const int segments = std::clamp(static_cast<int>(std::ceil(2 * half / step)), 8, 720);
  std::vector<Pt> pts;
  for (int i = 0; i <= segments; ++i) {
    const long double a = towards - half + 2 * half * i / segments;
    pts.push_back(
        {static_cast<double>(c.X + r * X87Cos(a)), static_cast<double>(c.Y + r * X87Sin(a))});
  }
  return pts;
}

}  // namespace

bool Meets(const Shape& sh, const Box& window) {
  if (sh.Type != ShapeType::Text) return BoxOf(sh).Overlaps(window, 0);
  const auto n = static_cast<double>(sh.Text.size());  // bytes: at least the characters
  const double reach = sh.FontSize * (1 + std::max(1.0, sh.WidthScale) * n) +
                       std::fabs(sh.LetterSpacing * sh.WidthScale) * n;
  return BoxOf(sh).Overlaps(window, reach);
}

void ClipContext(std::vector<Shape>& shapes, const Box& window) {
  std::vector<Shape> kept;
  kept.reserve(shapes.size());
  for (Shape& sh : shapes) {
    if (!sh.IsContext() || Within(BoxOf(sh), window)) {
      kept.push_back(std::move(sh));
      continue;
    }
    if (!Meets(sh, window)) continue;
    switch (sh.Type) {
      case ShapeType::Text:  // glyphs too large for the picture are left out when drawn
        kept.push_back(std::move(sh));
        break;
      case ShapeType::Polyline:
        AddPiecesInside(kept, sh, window);
        break;
      case ShapeType::Polygon:
        sh.Points = PolygonInside(std::move(sh.Points), window);
        if (sh.Points.size() >= 3) kept.push_back(std::move(sh));
        break;
      case ShapeType::Circle:
        if (sh.Radius <= window.Size()) {  // near enough to be drawn whole
          kept.push_back(std::move(sh));
          break;
        }
        sh.Type = ShapeType::Polyline;
        sh.Filled = false;
        sh.Points = ArcNear(sh, window);
        sh.Radius = 0;
        AddPiecesInside(kept, sh, window);
        break;
    }
  }
  shapes = std::move(kept);
}

}  // namespace sorea::cli
