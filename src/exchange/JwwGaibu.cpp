// The element store and its operations: the module state of the host exchange.
#include "exchange/JwwGaibu.h"

namespace sorea {

namespace {
// "<ＭＳ ゴシック>" in Shift-JIS: Jw_cad's default font, the current font name after init.
constexpr std::string_view kDefaultFontName = "<\202l\202r \203S\203V\203b\203N>";

template <typename T>
void Clear(std::deque<T>& table) {
  std::deque<T>().swap(table);
}
}  // namespace

ElementStore Store;

namespace {
// Every element table, ElementOrder and the output list, emptied and their memory given back.
void ClearTables(ElementStore& s) {
  Clear(s.Lines);
  Clear(s.Circles);
  Clear(s.Arcs);
  Clear(s.Texts);
  Clear(s.Points);
  Clear(s.CodedPoints);
  Clear(s.Dimensions);
  Clear(s.Blocks);
  for (auto& table : s.Solids) Clear(table);
  Clear(s.ElementOrder);
  std::vector<OutputLine>().swap(s.Output);
}

// The first-value flags while reading, the due flags of the writer afterwards.
void MarkAllDue(ElementStore& s) {
  s.LayerGroupDue = s.LayerDue = s.LineColorDue = s.LineTypeDue = s.LineWidthDue = s.TextTypeDue =
      true;
  s.TextAttributeDue = s.FontDue = s.PointColorDue = true;
}

void ResetCurrentAttributes(ElementStore& s) {
  s.CurrentLayerGroup = 0;
  s.CurrentLayer = 0;
  s.CurrentLineColor = 1;
  s.CurrentLineType = 1;
  s.CurrentLineWidth = 0;
  s.CurrentTextType = 1;
  s.CurrentFreeSize = FreeTextSize{};
  s.CurrentTextAttribute = 0;
  s.CurrentFontName.assign(kDefaultFontName);
  s.CurrentPointColor = 1;
  s.ExtendedColor = 0;
}
}  // namespace

void InitElementStore() {
  ElementStore& s = Store;
  s.AxisAngle = 0;
  s.HostFileName.clear();
  s.LayerGroupScale.fill(1.0);
  s.PaperSize = {1189, 841};
  s.TextTypeTable.fill(TextType{});
  s.BzSeen = false;
  s.HnValues.fill(0.0);

  s.InitialLayerGroup = 0;
  s.InitialLayer = 0;
  s.InitialLineColor = 1;
  s.InitialLineType = 1;
  s.InitialLineWidth = 0;
  s.InitialTextType = 1;
  s.InitialFreeSize = FreeTextSize{};
  s.InitialFontName.clear();

  s.LayerGroupValues.assign(16, 0);
  s.LayerGroupNames.assign(16, std::string());
  s.LayerValues.assign(256, 0);
  s.LayerNames.assign(256, std::string());

  s.PickedPoints.assign(100, PickedPoint{});
  s.PickedPointCount = 0;

  s.LineWidthSeen = false;
  MarkAllDue(s);

  s.CurrentPickGroup = 0;
  ResetCurrentAttributes(s);
  s.EntityFlags = 0;
  s.PolylineCount = 0;
  s.PolylineOpen = false;
  s.DimensionOpen = false;

  s.PendingDimensionLine = LineElement{};
  s.PendingDimensionLine.X2 = 1;

  ClearTables(s);
}

void ReleaseElementStore() {
  ElementStore& s = Store;
  std::vector<int>().swap(s.LayerGroupValues);
  std::vector<std::string>().swap(s.LayerGroupNames);
  std::vector<int>().swap(s.LayerValues);
  std::vector<std::string>().swap(s.LayerNames);
  std::vector<PickedPoint>().swap(s.PickedPoints);
  s.PickedPointCount = 0;
  ClearTables(s);
}

void ResetWriterState() {
  ElementStore& s = Store;
  MarkAllDue(s);
  ResetCurrentAttributes(s);
}

void AppendElementOrder(int kind, int index) {
  Store.ElementOrder.push_back(ElementRef{kind, index});
}

void StampElementHeader(ElementHeader& header) {
  const ElementStore& s = Store;
  header.PickGroup = s.CurrentPickGroup;
  header.LayerGroup = s.CurrentLayerGroup;
  header.Layer = s.CurrentLayer;
  header.Color = s.CurrentLineColor;
  header.LineType = s.CurrentLineType;
  header.LineWidth = s.CurrentLineWidth;
  header.Flags = s.EntityFlags;
}

}  // namespace sorea
