// The end marks at both ends of the dimension line: a line arrow of two strokes or one of the
// eleven point markers Jw_cad draws from a coded point. When the marks do not fit between the
// ends, or the value stands beyond an end, they turn outward; the dimension line then runs on
// past them (the leader on the value's side, the reverse overshoot elsewhere).
#include <cmath>

#include "dimension/Dimension.h"
#include "util/MyFunc.h"
#include "util/X87.h"

namespace sorea {

namespace {

// Q + length * (cos, sin) of the angle in degrees, each coordinate rounded where it is kept.
EndMarkPart Ray(DimPoint q, double length, long double degrees) {
  const long double rad = DegToRad(degrees);
  EndMarkPart part;
  part.Stroke.From = q;
  part.Stroke.To = {static_cast<double>(static_cast<long double>(q.X) + length * X87Cos(rad)),
                    static_cast<double>(static_cast<long double>(q.Y) + length * X87Sin(rad))};
  return part;
}

// r1 or r2: the mark's reach in drawing units.
double ScaledReach(int kind, const DimensionSettings& settings, double scale) {
  double reach = EndMarkReach(kind, settings.ArrowLength, settings.ArrowAngle);
  if (kind >= 1) reach = static_cast<double>(static_cast<long double>(reach) * settings.MarkScale);
  return static_cast<double>(static_cast<long double>(reach) * scale);
}

}  // namespace

MarkerShape PointMarkerShape(int code) {
  constexpr MarkerShape kShapes[kEndMarkCount] = {
      MarkerShape::None,           MarkerShape::Triangle,     MarkerShape::Square,
      MarkerShape::RingInRing,     MarkerShape::Circle,       MarkerShape::FilledSquare,
      MarkerShape::FilledTriangle, MarkerShape::FilledCircle, MarkerShape::Tilde,
      MarkerShape::Chevron,        MarkerShape::Slash,        MarkerShape::TriangleWithAxis};
  return code >= 1 && code < kEndMarkCount ? kShapes[code] : MarkerShape::None;
}

double EndMarkReach(int kind, double arrowLength, double arrowAngle) {
  if (kind < 0 || kind >= kEndMarkCount) return 0;
  if (kind == 0) {
    return static_cast<double>(static_cast<long double>(arrowLength) *
                               X87Cos(DegToRad(arrowAngle)));
  }
  switch (PointMarkerShape(kind)) {
    case MarkerShape::Triangle:
    case MarkerShape::FilledTriangle:
    case MarkerShape::TriangleWithAxis:
    case MarkerShape::Chevron:
      return static_cast<double>(kMarkerArrowLength);
    case MarkerShape::Tilde:
    case MarkerShape::Slash:
      // Twice the half size each way at 45 degrees: the half size times the root of two.
      return static_cast<double>(sqrtl(2.0L) * kMarkerHalfSize);
    default:
      return static_cast<double>(kMarkerHalfSize);
  }
}

bool MarksReversed(const DimensionSettings& settings, double scale, const DimensionLayout& layout) {
  const double r1 = ScaledReach(settings.StartMark, settings, scale);
  const double r2 = ScaledReach(settings.EndMark, settings, scale);
  const double length = MeasuredLength(layout);
  return static_cast<long double>(r1) + r2 > length || layout.ValueSide != 0;
}

std::vector<EndMarkPart> DrawEndMarks(const DimensionSettings& settings, double reverseOvershoot,
                                      double scale, const DimensionLayout& layout) {
  std::vector<EndMarkPart> parts;
  const bool reversed = MarksReversed(settings, scale, layout);
  const long double turn = reversed ? 180.0L : 0.0L;
  struct End {
    DimPoint q, o;
    int kind;
    int side;
  };
  const End ends[2] = {{layout.LineStart, layout.LineEnd, settings.StartMark, 1},
                       {layout.LineEnd, layout.LineStart, settings.EndMark, 2}};
  for (const End& end : ends) {
    const double dx = static_cast<double>(static_cast<long double>(end.q.X) - end.o.X);
    const double dy = static_cast<double>(static_cast<long double>(end.q.Y) - end.o.Y);
    // Outward along the line at Q, or inward when the marks are reversed.
    double beta = static_cast<double>(VectorAngleDeg(dx, dy) + turn);
    if (beta >= 360) beta = static_cast<double>(static_cast<long double>(beta) - 360.0L);
    const long double outward = static_cast<long double>(beta) + 180.0L;

    if (reversed) {
      if (layout.ValueSide == end.side) {
        // The leader: the line prolonged to the value's box.
        parts.push_back(Ray(end.q, layout.LeaderLength, outward));
      } else if (static_cast<long double>(reverseOvershoot) > kTol10) {
        parts.push_back(Ray(end.q, reverseOvershoot, outward));
      }
    }

    if (end.kind >= 1) {
      // The point marker's scale is the factor itself; Jw_cad sizes the marker.
      EndMarkPart marker;
      marker.IsMarker = true;
      marker.Code = end.kind;
      marker.At = end.q;
      marker.Scale = settings.MarkScale;
      marker.Angle = beta;
      parts.push_back(marker);
    } else {
      const double stroke =
          static_cast<double>(static_cast<long double>(settings.ArrowLength) * scale);
      parts.push_back(Ray(end.q, stroke, outward + settings.ArrowAngle));
      parts.push_back(Ray(end.q, stroke, outward - settings.ArrowAngle));
    }
  }
  return parts;
}

}  // namespace sorea
