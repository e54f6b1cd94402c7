// The vertical dimension that OK builds: from the dialog's values and the four points picked in
// Jw_cad to the records appended to the output list.
//
// Nothing here knows the dialog: the caller fills a DimensionSettings and hands over the
// element store the routines read. The job first draws the whole dimension as data
// (DrawVerticalDimension), then writes it through the record writers of JwwGaibu.h.
//
// "Vertical" is meant in the drawing's axis frame, the frame turned by the store's AxisAngle.
// Named values are doubles (rounded when assigned); temporaries of one expression stay in
// extended precision.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "exchange/JwwGaibu.h"

namespace sorea {

// The dialog's values as the job reads them, in the order it reads them.
struct DimensionSettings {
  int StartMark = 0;       // ComboBox1, end-mark kind at LineStart
  int EndMark = 0;         // ComboBox2, end-mark kind at LineEnd
  double MarkScale = 1;    // Edit1, factor of the point markers
  double ArrowLength = 3;  // Edit7, paper mm
  double ArrowAngle = 15;  // Edit8, degrees
  int TextTypeChoice = 0;  // ComboBox3: 0 the drawing's text type, n text type n
  std::string Prefix;      // Edit2, already emptied when blank
  std::string Suffix;      // Edit3, likewise
  int PrecisionIndex = 3;  // ComboBox4, count of decimals
  int RoundingMode = 2;    // ComboBox5: truncate, round up, round half
  int ZeroDisplay = 0;     // RadioGroup1: 0 trailing zeros removed, 1 kept
  int UnitChoice = 0;      // RadioGroup2: 0 mm, 1 m
  bool ThousandsCommas = false;
  bool AppendUnit = false;
  bool FullWidth = false;
  bool DimensionFigure = false;
  double ValueLineDistance = 0.5;  // Edit4, saved only
  double ExtensionGap = 2;         // Edit5, paper mm
  double ExtensionOvershoot = 2;   // Edit6, paper mm
  double ReverseOvershoot = 2;     // Edit9, paper mm
};

// The dialog's paper lengths that the dimension takes in drawing units: paper mm x the drawing
// scale s. The arrow length stays in paper mm; the end marks scale it themselves.
struct DrawingLengths {
  double ExtensionGap = 0;
  double ExtensionOvershoot = 0;
  double ReverseOvershoot = 0;
};
DrawingLengths ToDrawingUnits(const DimensionSettings& settings, double scale);

struct DimPoint {
  double X = 0;
  double Y = 0;
};

// Where the dimension's parts lie, in drawing coordinates.
struct DimensionLayout {
  DimPoint LineStart;    // level with P1
  DimPoint LineEnd;      // level with P2
  DimPoint ValueCentre;  // middle-middle point of the value text
  int ValueSide = 0;     // 0 between the ends, 1 beyond LineStart, 2 beyond LineEnd
  double LeaderLength = 0;
  DimPoint StartGapPoint;
  DimPoint EndGapPoint;
  DimPoint ValueOrigin;  // lower-left corner of the value text
};

// The text type that carries the value: number and size in paper mm.
struct ValueTextSize {
  int Number = 1;
  double Width = 3, Height = 3, Spacing = 0;
  int Color = 2;
};

// The four points Jw_cad handed over: P1, P2 measured, P3 the line's position, P4 the value's.
struct DimensionPicks {
  DimPoint P1, P2, P3, P4;
};

// Picked points 1 to 4 of the store; a point the exchange file did not give is (0, 0).
DimensionPicks TakePicks(const ElementStore& store);

// ---- The value text ------------------------------------------------------------------------

// The measured length (drawing units) as the value text: prefix, number, unit mark, suffix.
std::string BuildValueText(double length, const DimensionSettings& settings);

// The prefix or suffix as the job uses it: empty when it holds nothing but blanks, otherwise
// exactly as typed.
std::string SettleAffix(const std::string& typed);

// ---- Geometry -------------------------------------------------------------------------------

// A layout with LineStart and LineEnd set: P3's horizontal position at the heights of P1 and
// P2, in the frame turned by axisAngle (degrees). The rest of the layout stays as constructed.
DimensionLayout ComputeLineEnds(const DimensionPicks& picks, double axisAngle);

// Length of the dimension line from LineStart to LineEnd.
double MeasuredLength(const DimensionLayout& layout);

// The text type and size of the value for the dialog's choice (0: the drawing's type).
ValueTextSize ResolveValueTextSize(int textTypeChoice, const ElementStore& store);

struct DimSegment {
  DimPoint From, To;
};

// The extension line at P1, then at P2. gap and overshoot in drawing units.
std::array<DimSegment, 2> ExtensionLines(const DimensionPicks& picks, double axisAngle, double gap,
                                         double overshoot);

// Decides the value's side, cuts the line or the leader at the value's box and fills the rest
// of layout (LineStart and LineEnd must be set). scale is the drawing scale s.
void PlaceValue(const DimensionPicks& picks, double axisAngle, double scale,
                const std::string& valueText, const ValueTextSize& size, DimensionLayout& layout);

// ---- End marks -----------------------------------------------------------------------------

inline constexpr int kEndMarkCount = 12;

// The point markers Jw_cad draws for codes 1 to 11, in paper mm before MarkScale: triangles
// and the chevron run kMarkerArrowLength from tip to base and are 2 x kMarkerArrowHalfWidth
// wide there; squares have half a side, circles a radius of kMarkerHalfSize; the slash and the
// tilde cross the line at 45 degrees and reach 2 x kMarkerHalfSize to each side.
inline constexpr long double kMarkerArrowLength = 7.5L;
inline constexpr long double kMarkerArrowHalfWidth = 2.0L;
inline constexpr long double kMarkerHalfSize = 1.25L;

enum class MarkerShape {
  None,  // a code outside 1 to 11
  Triangle,
  FilledTriangle,
  TriangleWithAxis,
  Chevron,
  Square,
  FilledSquare,
  RingInRing,
  Circle,
  FilledCircle,
  Tilde,
  Slash,
};
MarkerShape PointMarkerShape(int code);

// Length along the dimension line taken by end mark kind (paper mm, before MarkScale and the
// drawing scale); 0 for a kind outside the table.
double EndMarkReach(int kind, double arrowLength, double arrowAngle);

// Whether the marks turn outward: they do not fit together, or the value stands beyond an end.
bool MarksReversed(const DimensionSettings& settings, double scale, const DimensionLayout& layout);

// One part of an end mark: a stroke (leader, overshoot, arrow stroke) or a point marker.
struct EndMarkPart {
  bool IsMarker = false;
  DimSegment Stroke;
  int Code = 0;  // the marker's
  DimPoint At;
  double Scale = 1, Angle = 0;
};

// Prolongation (leader or overshoot) and mark at LineStart, then at LineEnd.
// reverseOvershoot in drawing units.
std::vector<EndMarkPart> DrawEndMarks(const DimensionSettings& settings, double reverseOvershoot,
                                      double scale, const DimensionLayout& layout);

// ---- The whole dimension -------------------------------------------------------------------

// Everything one OK appends after the attribute header, worked out before any record is
// written.
struct DimensionDrawing {
  DimensionLayout Layout;
  std::string ValueText;
  ValueTextSize Size;
  bool DimensionFigure = false;
  std::array<DimSegment, 2> ExtensionLines;
  // The dimension line as separate records: whole, or its two pieces on either side of the
  // value. Empty when the line and the value are one dimension entity.
  std::vector<DimSegment> LineParts;
  std::vector<EndMarkPart> EndMarks;
};

// The dimension the job writes, after the checks, the save and the zero-length test. ends is
// the layout with LineStart and LineEnd computed (ComputeLineEnds); lengths are the settings'
// lengths in drawing units; scale is the drawing scale s.
DimensionDrawing DrawVerticalDimension(const DimensionSettings& settings,
                                       const DrawingLengths& lengths, const DimensionPicks& picks,
                                       double scale, const DimensionLayout& ends,
                                       const ElementStore& store);

// Whether every coordinate, size and length the dimension would write is a real the records
// can carry (WritableReal): the measured length, the points of every line, stroke and marker,
// the value's origin, the markers' scales and angles, and the free text sizes the text type
// records write. Points or scales that overflow make some of them infinite; such a dimension
// is not written at all.
bool Writable(const DimensionDrawing& drawing, const ElementStore& store);

// Appends the dimension to the output list of store, through its writer state: attribute
// header, extension lines, dimension line and value, end marks, the drawing's text type put
// back. The attributes in force are the store's initial ones.
void WriteVerticalDimension(const DimensionDrawing& drawing, ElementStore& store);

}  // namespace sorea
