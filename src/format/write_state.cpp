#include "format/write_state.h"

namespace cadxform {

TWriteState::TWriteState() {
  PendingAttr.fill(true);
  First.FontName.clear();  // a drawing without a font line
}

// The buffer forgets its sink before either is destroyed.
TWriteState::~TWriteState() { Out.SetSink(nullptr); }

void ResetAttrState(TWriteState& w, const TDrawing& d) {
  w.PendingAttr.fill(true);
  w.Last = TAttrs();
  w.First = d.First;
}

}  // namespace cadxform
