// The host exchange: the element store that holds what Jw_cad handed over in JWC_TEMP.TXT,
// the reader of that file and the writer of the records we hand back.
//
// The store is module state: one object, `Store`, owned here. The reader and InitElementStore
// and ReleaseElementStore act on it. Every other routine takes the store it reads or writes as
// a parameter: the record writers append to the output list of the store they are given and
// keep its writer state, WriteExchangeFile writes the given store's list. Only the top of a
// run (the dialog's events, a sorea-cli command) hands them `Store`.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "exchange/BlockTable.h"
#include "util/Files.h"

namespace sorea {

// Element kinds, as numbered in ElementOrder.
enum ElementKind : int {
  kLine = 1,
  kCircle = 2,
  kArc = 3,
  kText = 4,
  kPoint = 5,
  kCodedPoint = 6,
  kDimension = 7,
  kBlock = 8,
  kSolid2 = 9,   // "sl" with two points
  kSolid3 = 10,  // "sl" with three points
  kSolid4 = 11,  // "sl" with four points
  kSc = 12,
  kSe = 13,
  kSo = 14,
  kSg = 15,
};

// The longest text a record carries and the longest line the writer writes, in bytes; a text
// is cut there at a whole character.
inline constexpr std::size_t kMaxRecordBytes = 255;

// "<ＭＳ ゴシック>" in Shift-JIS: Jw_cad's default font, the current font name of a fresh store.
inline constexpr std::string_view kDefaultFontName = "<\202l\202r \203S\203V\203b\203N>";

// Keywords of the text records, indexed by TextKind 0..9.
inline constexpr std::array<const char*, 10> kTextKeywords = {"ch", "cv", "cs", "cr", "co",
                                                              "cp", "ct", "ck", "cz", "c2"};

struct ElementHeader {
  int PickGroup = 0;
  int LayerGroup = 0;
  int Layer = 0;
  int Color = 1;
  int LineType = 1;
  int LineWidth = 0;
  int Flags = 0;
};

struct LineElement {
  ElementHeader Header;
  int PolylineNumber = 0;
  double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
};

struct CircleElement {
  ElementHeader Header;
  double X = 0, Y = 0, Radius = 0;
};

struct ArcElement {
  ElementHeader Header;
  std::array<double, 7> Values{};  // the first seven values in record order
};

struct TextElement {
  ElementHeader Header;  // colour replaced by the text type's colour
  int Kind = 0;          // TextKind 0..9
  int Attribute = 0;
  int TextType = 1;
  double Width = 0, Height = 0, Spacing = 0;
  double X = 0, Y = 0, Dx = 0, Dy = 0;
  std::string FontName;  // at most kMaxRecordBytes
  std::string Text;      // at most kMaxRecordBytes
};

struct PointElement {
  ElementHeader Header;  // colour replaced by the current point colour
  double X = 0, Y = 0;
};

struct CodedPointElement {
  ElementHeader Header;  // colour replaced by the current point colour
  double X = 0, Y = 0, Scale = 0, Angle = 0;
  int Code = 0;
};

struct DimensionElement {
  ElementHeader Header;
  LineElement Line;
  TextElement Text;  // Kind 2
};

struct BlockElement {  // TJwwEntBlk
  ElementHeader Header;
  double X = 0, Y = 0;
  std::string Name;  // any length
};

// Kinds 9 to 15. Values holds the reals in record order, SolidValueCount of them (Code holds
// the eighth value of kinds 12 and 13).
inline constexpr int SolidValueCount(int kind) {
  constexpr int kCounts[] = {4, 6, 8, 7, 7, 8, 8};
  return kind >= kSolid2 && kind <= kSg ? kCounts[kind - kSolid2] : 0;
}

struct SolidElement {
  ElementHeader Header;
  int ExtendedColor = 0;
  std::array<double, 8> Values{};
  int Code = 0;
};

struct TextType {
  double Width = 3, Height = 3, Spacing = 0;
  int Color = 2;
};

struct FreeTextSize {
  double Width = 2, Height = 2, Spacing = 0;
  int Color = 1;
};

struct PickedPoint {
  bool Set = false;
  double X = 0, Y = 0;
  int Kind = 0;  // PickedPointKind: 0 plain, 1 "-", 2 "ln", 3 "ci", 4 "ch"
};

// One entry of ElementOrder: the kind and the index within that kind's table.
struct ElementRef {
  int Kind;
  int Index;
};

// One entry of the output list. Head marks a record head appended by WriteText or
// WriteDimension: only a head is joined with the entry after it on one physical line.
struct OutputLine {
  std::string Text;  // at most kMaxRecordBytes, never splitting a double-byte character
  bool Head = false;
};

// The attributes the reader tracks line by line and the writer then takes over: what
// ResetWriterState puts back to these values.
struct AttributesInForce {
  int CurrentLayerGroup = 0;
  int CurrentLayer = 0;
  int CurrentLineColor = 1;
  int CurrentLineType = 1;
  int CurrentLineWidth = 0;
  int CurrentTextType = 1;
  FreeTextSize CurrentFreeSize;
  int CurrentTextAttribute = 0;
  std::string CurrentFontName{kDefaultFontName};
  int CurrentPointColor = 1;
  int ExtendedColor = 0;
};

// One flag for each attribute record of the exchange file. The store holds two sets under two
// names: Awaited while reading (the record's first value, the Initial... value in force when
// Jw_cad started us, is still to come) and Due while writing (the record is written whatever
// its value, as Jw_cad must be told every attribute once; all of them after
// ResetWriterState).
struct AttributeFlags {
  bool LayerGroup = true;
  bool Layer = true;
  bool LineColor = true;
  bool LineType = true;
  bool LineWidth = true;
  bool TextType = true;
  bool TextAttribute = true;
  bool Font = true;
  bool PointColor = true;
};

template <std::size_t N>
constexpr std::array<double, N> Filled(double value) {
  std::array<double, N> values{};
  values.fill(value);
  return values;
}

// A default-constructed store is the fresh store of InitElementStore: these initialisers are
// the one place its initial values are set.
struct ElementStore : AttributesInForce {
  // Header values.
  double AxisAngle = 0;
  std::string HostFileName;
  std::array<double, 16> LayerGroupScale = Filled<16>(1.0);
  std::array<double, 2> PaperSize{1189, 841};
  std::array<TextType, 11> TextTypeTable{};  // index 1..10; entry 0 unused
  bool BzSeen = false;
  std::array<double, 4> HnValues{};
  std::vector<int> LayerGroupValues = std::vector<int>(16);
  std::vector<std::string> LayerGroupNames = std::vector<std::string>(16);
  std::vector<int> LayerValues = std::vector<int>(256);  // index group * 16 + layer
  std::vector<std::string> LayerNames = std::vector<std::string>(256);

  // Initial attributes: the first value of each attribute record in the file.
  int InitialLayerGroup = 0;
  int InitialLayer = 0;
  int InitialLineColor = 1;
  int InitialLineType = 1;
  int InitialLineWidth = 0;
  int InitialTextType = 1;
  FreeTextSize InitialFreeSize;
  std::string InitialFontName;

  // Attributes of the line being read (besides AttributesInForce).
  AttributeFlags Awaited;
  AttributeFlags Due;
  int CurrentPickGroup = 0;
  int EntityFlags = 0;
  bool LineWidthSeen = false;
  int PolylineCount = 0;
  bool PolylineOpen = false;
  bool DimensionOpen = false;

  // Picked points: entries 0..99, the reader fills 1..99.
  std::vector<PickedPoint> PickedPoints = std::vector<PickedPoint>(100);
  int PickedPointCount = 0;

  // Element tables, one per kind, in input order.
  template <typename T>
  using Table = BlockTable<T>;
  Table<LineElement> Lines;
  Table<CircleElement> Circles;
  Table<ArcElement> Arcs;
  Table<TextElement> Texts;
  Table<PointElement> Points;
  Table<CodedPointElement> CodedPoints;
  Table<DimensionElement> Dimensions;
  Table<BlockElement> Blocks;
  std::array<Table<SolidElement>, 7> Solids;  // kinds 9..15 at index kind - 9
  Table<ElementRef> ElementOrder;

  // The last line read while a dimension is open: from (0, 0) to (1, 0) until one is read.
  LineElement PendingDimensionLine{ElementHeader{}, 0, 0, 0, 1, 0};

  // The output list the writer collects and WriteExchangeFile writes at close. OutputLost:
  // a record could not be added (memory ran out), so the list is no whole result.
  std::vector<OutputLine> Output;
  bool OutputLost = false;
};

extern ElementStore Store;

// ---- Store operations -----------------------------------------------------------------

void InitElementStore();
void ReleaseElementStore();
void ResetWriterState(ElementStore& store);
void AppendElementOrder(int kind, int index);
void StampElementHeader(ElementHeader& header);

// ---- Reader -----------------------------------------------------------------------------

// path is UTF-8 (converted to a wide path on Windows). True when the file existed and was
// read to its end; anything but a plain file (following links) counts as missing.
bool ReadExchangeFile(const std::string& path);
void ParseExchangeLine(std::string_view line);

// ---- Writer -----------------------------------------------------------------------------

void AppendOutputLine(ElementStore& store, std::string_view text);
void WriteLayerGroup(ElementStore& store, int group);
void WriteLayer(ElementStore& store, int layer);
void WriteLineColor(ElementStore& store, int color);
void WritePointColor(ElementStore& store, int color);
void WriteLineType(ElementStore& store, int type);
void WriteLineWidth(ElementStore& store, int width);
void WriteTextType(ElementStore& store, int type, int color, double width, double height,
                   double spacing);
void WriteTextAttribute(ElementStore& store, int attribute);
void WriteFontName(ElementStore& store, std::string_view name);
void WriteEntityFlags(ElementStore& store, int flags);
void WriteLine(ElementStore& store, double x1, double y1, double x2, double y2);
void WritePoint(ElementStore& store, int code, double x, double y, double scale, double angle);
void WriteText(ElementStore& store, int kind, std::string_view text, double x, double y, double dx,
               double dy);
void WriteDimension(ElementStore& store, std::string_view text, double x1, double y1, double x2,
                    double y2, double x, double y, double dx, double dy);
// Hands the output list back at path (UTF-8), "hq" when it is empty: the file is replaced in
// one step, so it holds the drawing as Jw_cad wrote it or the whole result, never a part. On a
// failure the file is deleted, or where it cannot be, left holding "hq"; a lost output list
// gives "hq" and a problem too. A pipe, a device or a read-only file is not touched.
FileProblem WriteExchangeFile(const std::string& path, const ElementStore& store);

// The largest double whose 15-significant-digit form (FormatGeneral) still lies within a
// double's range: 1.79769313486231E308. Anything larger is written as 1.79769313486232E308,
// which no reader takes for a number.
inline constexpr double kLargestWritable = 1.7976931348623149e308;
// A real the records can carry: finite and at most kLargestWritable in magnitude. The writer
// would put anything else down as a number Jw_cad draws in the wrong place (infinity and NaN
// as "0"), so a routine that writes whole figures checks its values first.
bool WritableReal(double value);

}  // namespace sorea
