#include "cadxform/drawing.h"

namespace cadxform {

TDrawing::TDrawing() {
  HsValues.fill(1.0);
  TextKinds.fill(TTextKind{3.0, 3.0, 0.0, 2});
  HnValues.fill(0.0);
  GroupNums.fill(0);
  LayerNums.fill(0);
  HpPoints.fill(THpPoint{false, 0.0, 0.0, 0});
  First.FontName.clear();  // no font line read yet
}

void AddOrder(TDrawing& d, int32_t kind, int32_t index) {
  TOrderEntry& e = d.Order.Append();
  e.Kind = kind;
  e.Index = index;
}

int64_t TotalEntityCount(const TDrawing& d) {
  return int64_t{d.Lines.Count()} + d.Circles.Count() + d.Arcs.Count() + d.Texts.Count() +
         d.Points.Count() + d.Marks.Count() + d.Dims.Count() + d.Blocks.Count() +
         d.Solids2.Count() + d.Solids3.Count() + d.Solids4.Count() + d.ScEnts.Count() +
         d.SeEnts.Count() + d.SoEnts.Count() + d.SgEnts.Count();
}

}  // namespace cadxform
