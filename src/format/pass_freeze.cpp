#include "format/pass_freeze.h"

namespace cadxform {

TDrawingHeldStill::TDrawingHeldStill(TDrawing& d)
    : d_(d), headsWere_(d.Heads.frozen_), textsWere_(d.TextPool.held_) {
  d_.Heads.frozen_ = true;
  d_.TextPool.held_ = true;
}

TDrawingHeldStill::~TDrawingHeldStill() {
  d_.Heads.frozen_ = headsWere_;
  d_.TextPool.held_ = textsWere_;
}

}  // namespace cadxform
