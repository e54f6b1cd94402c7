// The element store and its operations: the module state of the host exchange.
#include "exchange/JwwGaibu.h"

#include <utility>

namespace sorea {

ElementStore Store;

void InitElementStore() {
  // Swapping in a fresh store also gives the old tables' memory back.
  ElementStore fresh;
  std::swap(Store, fresh);
}

void ReleaseElementStore() {
  ElementStore& s = Store;
  std::vector<int>().swap(s.LayerGroupValues);
  std::vector<std::string>().swap(s.LayerGroupNames);
  std::vector<int>().swap(s.LayerValues);
  std::vector<std::string>().swap(s.LayerNames);
  std::vector<PickedPoint>().swap(s.PickedPoints);
  s.PickedPointCount = 0;
  s.Lines.Release();
  s.Circles.Release();
  s.Arcs.Release();
  s.Texts.Release();
  s.Points.Release();
  s.CodedPoints.Release();
  s.Dimensions.Release();
  s.Blocks.Release();
  for (auto& table : s.Solids) table.Release();
  s.ElementOrder.Release();
  std::vector<OutputLine>().swap(s.Output);
}

void ResetWriterState(ElementStore& store) {
  store.Due = AttributeFlags();
  AttributesInForce fresh;
  std::swap(static_cast<AttributesInForce&>(store), fresh);
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
