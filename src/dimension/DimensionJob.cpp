// The vertical dimension job after the dialog's checks: the whole dimension worked out first,
// then its records appended in the order Jw_cad reads them back.
#include "dimension/Dimension.h"

namespace sorea {

namespace {

// The flag value every line, point and text of the dimension carries ("z3").
constexpr int kDimensionFlags = 4;
// The value text is horizontal in the drawing: direction (10, 0); "cs" is text kind 2.
constexpr double kTextDx = 10;
constexpr double kTextDy = 0;
constexpr int kValueTextKind = 2;

void WriteSegment(const DimSegment& segment) {
  WriteEntityFlags(kDimensionFlags);
  WriteLine(segment.From.x, segment.From.y, segment.To.x, segment.To.y);
}

void WriteValueTextType(const ValueTextSize& size) {
  WriteTextType(size.Number, size.Color, size.Width, size.Height, size.Spacing);
}

}  // namespace

DimensionDrawing DrawVerticalDimension(const DimensionSettings& settings,
                                       const DimensionPicks& picks, double scale,
                                       const DimensionLayout& ends, const ElementStore& store) {
  const double axis = store.AxisAngle;
  DimensionDrawing d;
  d.Layout = ends;
  d.DimensionFigure = settings.DimensionFigure;
  d.ExtensionLines =
      ExtensionLines(picks, axis, settings.ExtensionGap, settings.ExtensionOvershoot);
  d.Size = ResolveValueTextSize(settings.TextTypeChoice, store);
  d.ValueText = BuildValueText(MeasuredLength(d.Layout), settings);
  PlaceValue(picks, axis, scale, d.ValueText, d.Size, d.Layout);

  const DimensionLayout& l = d.Layout;
  if (!d.DimensionFigure) {
    if (l.ValueSide == 0) {
      d.LineParts = {{l.LineStart, l.StartGapPoint}, {l.EndGapPoint, l.LineEnd}};
    } else {
      d.LineParts = {{l.LineStart, l.LineEnd}};
    }
  }
  d.EndMarks = DrawEndMarks(settings, scale, l);
  return d;
}

bool Writable(const DimensionDrawing& d, const ElementStore& store) {
  auto point = [](const DimPoint& p) { return WritableReal(p.x) && WritableReal(p.y); };
  auto segment = [&point](const DimSegment& s) { return point(s.From) && point(s.To); };
  const DimensionLayout& l = d.Layout;
  bool ok = WritableReal(MeasuredLength(l)) && point(l.LineStart) && point(l.LineEnd) &&
            point(l.ValueOrigin);
  for (const DimSegment& line : d.ExtensionLines) ok = ok && segment(line);
  for (const DimSegment& part : d.LineParts) ok = ok && segment(part);
  for (const EndMarkPart& part : d.EndMarks) {
    ok = ok &&
         (part.IsMarker ? point(part.At) && WritableReal(part.Scale) && WritableReal(part.Angle)
                        : segment(part.Stroke));
  }
  // A text type record carries sizes only for the free text type (number 0): the value's, and
  // the drawing's own when it is put back.
  auto sizes = [](double w, double h, double spacing) {
    return WritableReal(w) && WritableReal(h) && WritableReal(spacing);
  };
  const FreeTextSize& free = store.InitialFreeSize;
  if (d.Size.Number == 0) ok = ok && sizes(d.Size.Width, d.Size.Height, d.Size.Spacing);
  if (store.InitialTextType == 0) ok = ok && sizes(free.Width, free.Height, free.Spacing);
  return ok;
}

void WriteVerticalDimension(const DimensionDrawing& d, const ElementStore& store) {
  // The new elements take the attributes in force in the drawing; points take the line colour.
  WriteLayerGroup(store.InitialLayerGroup);
  WriteLayer(store.InitialLayer);
  WriteLineColor(store.InitialLineColor);
  WritePointColor(store.InitialLineColor);
  WriteLineType(store.InitialLineType);
  WriteLineWidth(store.InitialLineWidth);
  WriteFontName(store.InitialFontName);

  for (const DimSegment& line : d.ExtensionLines) WriteSegment(line);

  const DimensionLayout& l = d.Layout;
  if (d.DimensionFigure) {
    // One entity carries the whole line and the value; Jw_cad cuts it itself.
    WriteValueTextType(d.Size);
    WriteDimension(d.ValueText, l.LineStart.x, l.LineStart.y, l.LineEnd.x, l.LineEnd.y,
                   l.ValueOrigin.x, l.ValueOrigin.y, kTextDx, kTextDy);
  } else {
    for (const DimSegment& part : d.LineParts) WriteSegment(part);
    WriteValueTextType(d.Size);
    WriteTextAttribute(0);
    WriteEntityFlags(kDimensionFlags);
    WriteText(kValueTextKind, d.ValueText, l.ValueOrigin.x, l.ValueOrigin.y, kTextDx, kTextDy);
  }

  for (const EndMarkPart& part : d.EndMarks) {
    if (part.IsMarker) {
      WriteEntityFlags(kDimensionFlags);
      WritePoint(part.Code, part.At.x, part.At.y, part.Scale, part.Angle);
    } else {
      WriteSegment(part.Stroke);
    }
  }

  // The drawing's own text type is in force again after the new elements.
  WriteTextType(store.InitialTextType, store.InitialFreeSize.Color, store.InitialFreeSize.Width,
                store.InitialFreeSize.Height, store.InitialFreeSize.Spacing);
}

}  // namespace sorea
