// Where the vertical dimension's parts lie: the line's ends, the extension lines, the value's
// side and box, and the cut of the dimension line or the leader at that box.
//
// Every construction happens in the axis frame: a point is taken into it about a centre by
// turning it through -AxisAngle and brought back through +AxisAngle.
#include <cmath>
#include <string>

#include "dimension/Dimension.h"
#include "util/MyFunc.h"
#include "util/X87.h"

namespace sorea {

namespace {

DimPoint Rotate(DimPoint p, DimPoint centre, double degrees) {
  DimPoint r;
  RotatePointDeg(p.X, p.Y, centre.X, centre.Y, degrees, r.X, r.Y);
  return r;
}

// A named sum of two doubles: added in extended precision, rounded when assigned.
double Add(double a, long double b) {
  return static_cast<double>(static_cast<long double>(a) + b);
}

}  // namespace

DimensionPicks TakePicks(const ElementStore& store) {
  DimensionPicks picks;
  DimPoint* targets[4] = {&picks.P1, &picks.P2, &picks.P3, &picks.P4};
  for (std::size_t i = 0; i < 4; ++i) {
    if (i + 1 < store.PickedPoints.size()) {
      targets[i]->X = store.PickedPoints[i + 1].X;
      targets[i]->Y = store.PickedPoints[i + 1].Y;
    }
  }
  return picks;
}

DimensionLayout ComputeLineEnds(const DimensionPicks& picks, double axisAngle) {
  DimensionLayout layout;
  DimPoint r = Rotate(picks.P3, picks.P1, -axisAngle);
  layout.LineStart = Rotate(DimPoint{r.X, picks.P1.Y}, picks.P1, axisAngle);
  r = Rotate(picks.P3, picks.P2, -axisAngle);
  layout.LineEnd = Rotate(DimPoint{r.X, picks.P2.Y}, picks.P2, axisAngle);
  return layout;
}

double MeasuredLength(const DimensionLayout& layout) {
  return Distance(layout.LineStart.X, layout.LineStart.Y, layout.LineEnd.X, layout.LineEnd.Y);
}

ValueTextSize ResolveValueTextSize(int textTypeChoice, const ElementStore& store) {
  ValueTextSize size;
  int n = textTypeChoice;
  if (textTypeChoice == 0) {
    n = store.InitialTextType;
    if (n == 0) {
      size.Number = 0;
      size.Width = store.InitialFreeSize.Width;
      size.Height = store.InitialFreeSize.Height;
      size.Spacing = store.InitialFreeSize.Spacing;
      size.Color = store.InitialFreeSize.Color;
      return size;
    }
  }
  // A drawing whose text type lies outside the ten types takes type 1; the dialog's list holds
  // only 0 to 10, so a choice outside them cannot come from it.
  if (n < 1 || n > 10) n = 1;
  const TextType& type = store.TextTypeTable[static_cast<std::size_t>(n)];
  size.Number = n;
  size.Width = type.Width;
  size.Height = type.Height;
  size.Spacing = type.Spacing;
  size.Color = type.Color;
  return size;
}

std::array<DimSegment, 2> ExtensionLines(const DimensionPicks& picks, double axisAngle, double gap,
                                         double overshoot) {
  std::array<DimSegment, 2> lines;
  const DimPoint measured[2] = {picks.P1, picks.P2};
  for (std::size_t i = 0; i < 2; ++i) {
    const DimPoint& p = measured[i];
    DimPoint r = Rotate(picks.P3, p, -axisAngle);
    // Towards the dimension line; a line level with the point counts as lying to the right.
    long double sigma = r.X >= p.X ? 1.0L : -1.0L;
    lines[i].From = Rotate(DimPoint{Add(p.X, sigma * gap), p.Y}, p, axisAngle);
    lines[i].To = Rotate(DimPoint{Add(r.X, sigma * overshoot), p.Y}, p, axisAngle);
  }
  return lines;
}

void PlaceValue(const DimensionPicks& picks, double axisAngle, double scale,
                const std::string& valueText, const ValueTextSize& size, DimensionLayout& layout) {
  const DimPoint r3 = Rotate(picks.P3, picks.P1, -axisAngle);
  const DimPoint r4 = Rotate(picks.P4, picks.P1, -axisAngle);
  const DimPoint r2 = Rotate(picks.P2, picks.P1, -axisAngle);
  const long double y1 = picks.P1.Y;
  const long double y2 = r2.Y;
  const long double y4 = r4.Y;
  layout.ValueCentre = Rotate(DimPoint{r3.X, r4.Y}, picks.P1, axisAngle);

  // Which side the value stands on; a value level with an end, within the tolerance, counts
  // as lying beyond it.
  layout.ValueSide = 0;
  layout.LeaderLength = 0;
  double theta = 0;
  if (y1 >= y2) {
    if (y4 >= y1 - kTol10) {
      layout.ValueSide = 1;
      layout.LeaderLength = static_cast<double>(y4 - y1);
      theta = static_cast<double>(static_cast<long double>(axisAngle) + 90.0L);
    } else if (y4 <= y2 + kTol10) {
      layout.ValueSide = 2;
      layout.LeaderLength = static_cast<double>(y2 - y4);
      theta = static_cast<double>(static_cast<long double>(axisAngle) + 270.0L);
    }
  } else {
    if (y4 <= y1 + kTol10) {
      layout.ValueSide = 1;
      layout.LeaderLength = static_cast<double>(y1 - y4);
      theta = static_cast<double>(static_cast<long double>(axisAngle) + 270.0L);
    } else if (y4 >= y2 - kTol10) {
      layout.ValueSide = 2;
      layout.LeaderLength = static_cast<double>(y4 - y2);
      theta = static_cast<double>(static_cast<long double>(axisAngle) + 90.0L);
    }
  }

  // The value's box, upright in the drawing, centred on ValueCentre.
  const double e = MeasureTextLength(valueText, size.Width, size.Spacing);
  const double hw = static_cast<double>(static_cast<long double>(e) * scale / 2.0L);
  const double hh = static_cast<double>(static_cast<long double>(size.Height) * scale / 2.0L);
  const double cx = layout.ValueCentre.X;
  const double cy = layout.ValueCentre.Y;
  const double left = Add(cx, -static_cast<long double>(hw));
  const double right = Add(cx, hw);
  const double bottom = Add(cy, -static_cast<long double>(hh));
  const double top = Add(cy, hh);
  // Left, right, top, bottom: each as (x1, y1, x2, y2).
  const double edges[4][4] = {{left, bottom, left, top},
                              {right, bottom, right, top},
                              {left, top, right, top},
                              {left, bottom, right, bottom}};

  const DimPoint& start = layout.LineStart;
  const DimPoint& end = layout.LineEnd;
  if (layout.ValueSide != 0) {
    const DimPoint nearEnd = layout.ValueSide == 1 ? start : end;
    const long double rad = DegToRad(theta);
    const DimPoint farEnd{Add(nearEnd.X, layout.LeaderLength * X87Cos(rad)),
                          Add(nearEnd.Y, layout.LeaderLength * X87Sin(rad))};
    for (const auto& edge : edges) {
      double x = 0, y = 0;
      if (IntersectSegments(nearEnd.X, nearEnd.Y, farEnd.X, farEnd.Y, edge[0], edge[1], edge[2],
                            edge[3], x, y) == 1) {
        const double d = Distance(nearEnd.X, nearEnd.Y, x, y);
        if (d < layout.LeaderLength) layout.LeaderLength = d;
      }
    }
    layout.StartGapPoint = start;
    layout.EndGapPoint = end;
  } else {
    const double length = MeasuredLength(layout);
    double a = length;
    double b = length;
    for (const auto& edge : edges) {
      double x = 0, y = 0;
      if (IntersectSegments(start.X, start.Y, end.X, end.Y, edge[0], edge[1], edge[2], edge[3], x,
                            y) == 1) {
        const double da = Distance(start.X, start.Y, x, y);
        if (da < a) a = da;
        const double db = Distance(end.X, end.Y, x, y);
        if (db < b) b = db;
      }
    }
    const double phi = VectorAngle(Add(end.X, -static_cast<long double>(start.X)),
                                   Add(end.Y, -static_cast<long double>(start.Y)));
    const long double back = static_cast<long double>(phi) + kPi;
    layout.StartGapPoint = DimPoint{Add(start.X, a * X87Cos(phi)), Add(start.Y, a * X87Sin(phi))};
    layout.EndGapPoint = DimPoint{Add(end.X, b * X87Cos(back)), Add(end.Y, b * X87Sin(back))};
  }
  layout.ValueOrigin = DimPoint{left, bottom};
}

}  // namespace sorea
