#include "format/read_state.h"

namespace cadxform {

TReadState::TReadState(TDrawing& d) {
  FirstUnseen.fill(true);
  PendingDimLine = TLineEnt{};
  PendingDimLine.Head = InternHead(d, TEntHead{0, 0, 0, 1, 1, 0, 0});
  PendingDimLine.X2 = 1.0;
}

}  // namespace cadxform
