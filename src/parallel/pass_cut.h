// Where the transform pass cuts a drawing's record arrays for two threads,
// as the run's policy says.
#pragma once

#include "cadxform/drawing.h"
#include "cadxform/transform.h"
#include "parallel/path_policy.h"

namespace cadxform {

// The cut a transform pass over d uses under policy: the arrays cut at
// PassCutNum / PassCutDen for two threads from TwoThreadPassFrom entities
// on, else kOneThread.
inline TPassCut PassCutFor(const TDrawing& d, const TPathPolicy& policy) {
  if (d.Order.Count() < policy.TwoThreadPassFrom) return kOneThread;
  return TPassCut{policy.PassCutNum, policy.PassCutDen};
}

}  // namespace cadxform
