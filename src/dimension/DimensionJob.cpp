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

void WriteSegment(ElementStore& store, const DimSegment& segment) {
  WriteEntityFlags(store, kDimensionFlags);
  WriteLine(store, segment.From.X, segment.From.Y, segment.To.X, segment.To.Y);
}

void WriteValueTextType(ElementStore& store, const ValueTextSize& size) {
  WriteTextType(store, size.Number, size.Color, size.Width, size.Height, size.Spacing);
}

}  // namespace

DrawingLengths ToDrawingUnits(const DimensionSettings& settings, double scale) {
  auto toDrawing = [scale](double paper) {
    return static_cast<double>(static_cast<long double>(paper) * scale);
  };
  return {toDrawing(settings.ExtensionGap), toDrawing(settings.ExtensionOvershoot),
          toDrawing(settings.ReverseOvershoot)};
}

DimensionDrawing DrawVerticalDimension(const DimensionSettings& settings,
                                       const DrawingLengths& lengths, const DimensionPicks& picks,
                                       double scale, const DimensionLayout& ends,
                                       const ElementStore& store) {
  const double axis = store.AxisAngle;
  DimensionDrawing d;
  d.Layout = ends;
  d.DimensionFigure = settings.DimensionFigure;
  d.ExtensionLines = ExtensionLines(picks, axis, lengths.ExtensionGap, lengths.ExtensionOvershoot);
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
  d.EndMarks = DrawEndMarks(settings, lengths.ReverseOvershoot, scale, l);
  return d;
}

bool Writable(const DimensionDrawing& d, const ElementStore& store) {
  auto point = [](const DimPoint& p) { return WritableReal(p.X) && WritableReal(p.Y); };
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

void WriteVerticalDimension(const DimensionDrawing& d, ElementStore& store) {
  // The new elements take the attributes in force in the drawing; points take the line colour.
  WriteLayerGroup(store, store.InitialLayerGroup);
  WriteLayer(store, store.InitialLayer);
  WriteLineColor(store, store.InitialLineColor);
  WritePointColor(store, store.InitialLineColor);
  WriteLineType(store, store.InitialLineType);
  WriteLineWidth(store, store.InitialLineWidth);
  WriteFontName(store, store.InitialFontName);

  for (const DimSegment& line : d.ExtensionLines) WriteSegment(store, line);

  const DimensionLayout& l = d.Layout;
  if (d.DimensionFigure) {
    // One entity carries the whole line and the value; Jw_cad cuts it itself.
    WriteValueTextType(store, d.Size);
    WriteDimension(store, d.ValueText, l.LineStart.X, l.LineStart.Y, l.LineEnd.X, l.LineEnd.Y,
                   l.ValueOrigin.X, l.ValueOrigin.Y, kTextDx, kTextDy);
  } else {
    for (const DimSegment& part : d.LineParts) WriteSegment(store, part);
    WriteValueTextType(store, d.Size);
    WriteTextAttribute(store, 0);
    WriteEntityFlags(store, kDimensionFlags);
    WriteText(store, kValueTextKind, d.ValueText, l.ValueOrigin.X, l.ValueOrigin.Y, kTextDx,
              kTextDy);
  }

  for (const EndMarkPart& part : d.EndMarks) {
    if (part.IsMarker) {
      WriteEntityFlags(store, kDimensionFlags);
      WritePoint(store, part.Code, part.At.X, part.At.Y, part.Scale, part.Angle);
    } else {
      WriteSegment(store, part.Stroke);
    }
  }

  // The drawing's own text type is in force again after the new elements.
  WriteTextType(store, store.InitialTextType, store.InitialFreeSize.Color,
                store.InitialFreeSize.Width, store.InitialFreeSize.Height,
                store.InitialFreeSize.Spacing);
}

}  // namespace sorea
