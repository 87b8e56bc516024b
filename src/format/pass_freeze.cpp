#include "format/pass_freeze.h"

#include "cadxform/record_kinds.h"

namespace cadxform {

void TDrawingHeldStill::Hold(TDrawing& d, bool held) {
  ForEachKind(d, [held](TEntKind, auto& records) { records.held_ = held; });
  d.Order.held_ = held;
  d.Heads.frozen_ = held;
  d.TextPool.held_ = held;
}

TDrawingHeldStill::TDrawingHeldStill(TDrawing& d) : d_(d) {
  if (IsHeld(d)) throw TPassRuleBroken("the transform began a pass inside a pass");
  Hold(d_, true);
}

TDrawingHeldStill::~TDrawingHeldStill() { Hold(d_, false); }

namespace detail {

void RefuseWhileHeld(const char* what) { throw TPassRuleBroken(what); }

}  // namespace detail

}  // namespace cadxform
