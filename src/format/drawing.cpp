#include "cadxform/drawing.h"

#include "cadxform/record_kinds.h"
#include "format/drawing_memory.h"
#include "platform/block_memory.h"

namespace cadxform {

TDrawing::TDrawing() : memory_(NewBlockSource()) {
  HsValues.fill(1.0);
  TextKinds.fill(TTextKind{3.0, 3.0, 0.0, 2});
  HnValues.fill(0.0);
  GroupNums.fill(0);
  LayerNums.fill(0);
  HpPoints.fill(THpPoint{false, 0.0, 0.0, 0});
  First.FontName.clear();  // no font line read yet
}

void TDrawing::TMemoryRelease::operator()(detail::TBlockMemory* memory) const { FreeBlockSource(memory); }

detail::TBlockMemory& detail::TDrawingMemory::Of(TDrawing& d) { return *d.memory_; }

void detail::AddOrder(TDrawing& d, int32_t kind, int32_t index) {
  TOrderEntry& e = d.Order.Append();
  e.Kind = kind;
  e.Index = index;
}

int64_t TotalEntityCount(const TDrawing& d) {
  int64_t n = 0;
  ForEachKind(d, [&](TEntKind, const auto& records) { n += records.Count(); });
  return n;
}

}  // namespace cadxform
