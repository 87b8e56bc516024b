// Where the transform pass cuts a drawing's record arrays for two threads,
// and the pass with an explicit cut (the run sequence, the tests).
#pragma once

#include <cstdint>
#include <functional>

#include "cadxform/drawing.h"
#include "cadxform/record_ops.h"
#include "parallel/path_policy.h"
#include "transforms/pass_work.h"

namespace cadxform {

// Where a pass cuts each record array when a second thread takes part: this
// thread visits the first Num / Den of every array, the second thread the
// rest. Num >= Den (kOneThread) keeps the whole pass on this thread; a cut
// outside 0 <= Num, 0 < Den does too. Each record's update depends on
// nothing but the record and the transform, so the result is the same for
// every cut.
struct TPassCut {
  int32_t Num, Den;
};
inline constexpr TPassCut kOneThread{1, 1};

// The cut a transform pass over d uses under policy: the arrays cut at
// PassCutNum / PassCutDen for two threads from TwoThreadPassFrom entities
// on, else kOneThread.
inline TPassCut PassCutFor(const TDrawing& d, const TPathPolicy& policy) {
  if (d.Order.Count() < policy.TwoThreadPassFrom) return kOneThread;
  return TPassCut{policy.PassCutNum, policy.PassCutDen};
}

// The same for a run's policy, nullptr meaning the library's defaults.
inline TPassCut PassCutFor(const TDrawing& d, const TPathPolicy* policy) {
  return PassCutFor(d, policy != nullptr ? *policy : TPathPolicy());
}

// Runs walk over d's records as cut says: on this thread with a part whose
// records are those before the cut, and on a second thread with a part for
// the rest; then stores the texts and heads the parts set (the first
// part's, then the second's). When no thread can be started (or cut is
// kOneThread or no valid cut), one part with every record runs here. The
// head table refuses new heads while the walk runs. What the second thread
// threw is rethrown here. Returns true when every part's values were
// finite.
bool RunInParts(TDrawing& d, TPassCut cut, const std::function<void(detail::TPassWork&)>& walk);

// TransformDrawing with an explicit cut.
template <class X>
bool TransformDrawing(TDrawing& d, const X& x, TSelection sel, TPassCut cut) {
  return RunInParts(d, cut, detail::WalkOf(d, x, sel));
}

}  // namespace cadxform
