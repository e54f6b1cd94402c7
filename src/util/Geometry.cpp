// Plane geometry of the drawing: distances, directions, rotations, segment intersections and
// the drawn length of a text.
//
// Everything is computed in x87 extended precision and rounded to double where a value is
// stored or returned; the coordinates written back to Jw_cad depend on those last bits.

#include <cmath>
#include <string_view>

#include "util/MyFunc.h"
#include "util/X87.h"

namespace sorea {

namespace {

using ld = long double;

// A difference counts as zero when the integer part of d / 1e-8 + 0.5 is 0, which is the
// lopsided window -1.5e-8 < d < 0.5e-8, not |d| < 0.5e-8.
bool CountsAsZero(ld d) {
  return std::truncl(d / kTol8 + 0.5L) == 0;
}

bool WithinBox(double x, double y, double x1, double y1, double x2, double y2) {
  const ld minX = (x1 < x2 ? x1 : x2) - kTol8;
  const ld maxX = (x1 > x2 ? x1 : x2) + kTol8;
  const ld minY = (y1 < y2 ? y1 : y2) - kTol8;
  const ld maxY = (y1 > y2 ? y1 : y2) + kTol8;
  return minX <= x && x <= maxX && minY <= y && y <= maxY;
}

}  // namespace

double Distance(double x1, double y1, double x2, double y2) {
  const ld dx = static_cast<ld>(x2) - x1;
  const ld dy = static_cast<ld>(y2) - y1;
  return static_cast<double>(std::sqrt(dx * dx + dy * dy));
}

double VectorAngle(double dx, double dy) {
  if (std::fabs(dx) < kTol10 && std::fabs(dy) < kTol10) return 0;
  const double a = static_cast<double>(X87Atan2(dy, dx));
  if (a < 0) return static_cast<double>(a + kTwoPi);
  return a;
}

double VectorAngleDeg(double dx, double dy) {
  const double radians = VectorAngle(dx, dy);
  return RoundTo1e10(static_cast<double>(radians * 180.0L / kPi));
}

void RotatePoint(double px, double py, double cx, double cy, double angle, double& nx, double& ny) {
  const double c = static_cast<double>(X87Cos(angle));
  const double s = static_cast<double>(X87Sin(angle));
  const ld ux = static_cast<ld>(px) - cx;
  const ld uy = static_cast<ld>(py) - cy;
  nx = static_cast<double>(cx + c * ux - s * uy);
  ny = static_cast<double>(cy + s * ux + c * uy);
}

void RotatePointDeg(double px, double py, double cx, double cy, double angle, double& nx,
                    double& ny) {
  RotatePoint(px, py, cx, cy, static_cast<double>(DegToRad(angle)), nx, ny);
}

int IntersectSegments(double ax1, double ay1, double ax2, double ay2, double bx1, double by1,
                      double bx2, double by2, double& x, double& y) {
  const bool aVertical = CountsAsZero(static_cast<ld>(ax1) - ax2);
  const bool bVertical = CountsAsZero(static_cast<ld>(bx1) - bx2);
  double px;
  double py;
  if (aVertical && bVertical) return 0;
  if (aVertical) {
    const double mB =
        static_cast<double>((static_cast<ld>(by2) - by1) / (static_cast<ld>(bx2) - bx1));
    px = ax1;
    py = static_cast<double>(by1 + mB * (static_cast<ld>(ax1) - bx1));
  } else if (bVertical) {
    const double mA =
        static_cast<double>((static_cast<ld>(ay2) - ay1) / (static_cast<ld>(ax2) - ax1));
    px = bx1;
    py = static_cast<double>(ay1 + mA * (static_cast<ld>(bx1) - ax1));
  } else {
    const double mA =
        static_cast<double>((static_cast<ld>(ay2) - ay1) / (static_cast<ld>(ax2) - ax1));
    const double mB =
        static_cast<double>((static_cast<ld>(by2) - by1) / (static_cast<ld>(bx2) - bx1));
    const double kA = static_cast<double>(ay1 - static_cast<ld>(mA) * ax1);
    const double kB = static_cast<double>(by1 - static_cast<ld>(mB) * bx1);
    if (CountsAsZero(static_cast<ld>(mA) - mB)) return 0;
    px = static_cast<double>((static_cast<ld>(kB) - kA) / (static_cast<ld>(mA) - mB));
    py = static_cast<double>(static_cast<ld>(mA) * px + kA);
  }
  x = px;
  y = py;
  if (WithinBox(x, y, ax1, ay1, ax2, ay2) && WithinBox(x, y, bx1, by1, bx2, by2)) return 1;
  return 2;
}

double MeasureTextLength(std::string_view text, double width, double spacing) {
  // The total is a stored value: rounded to double after every step.
  double total = 0;
  std::size_t i = 0;
  const std::size_t n = text.size();
  while (i < n) {
    if (IsLeadByte(text[i])) {
      total = static_cast<double>(total + static_cast<ld>(width));
      if (i + 2 < n) total = static_cast<double>(total + static_cast<ld>(spacing));
      i += 2;
    } else {
      if (static_cast<unsigned char>(text[i]) >= 0x20)
        total = static_cast<double>(total + width / 2.0L);
      if (i + 1 < n) total = static_cast<double>(total + spacing / 2.0L);
      i += 1;
    }
  }
  return total;
}

}  // namespace sorea
