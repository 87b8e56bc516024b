#include "exchange/write_state.h"

namespace cadxform {

void ResetAttrState(TWriteState& w, const TDrawing& d) {
  w.PendingAttr.fill(true);
  w.Last = TAttrs();
  w.First = d.First;
}

}  // namespace cadxform
