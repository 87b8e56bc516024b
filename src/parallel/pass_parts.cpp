// The thread part of the transform pass: the only file of the pass that
// knows about threads. The walk over the records (cadxform/record_ops.h)
// runs as if there were one thread.
#include "cadxform/transform.h"
#include "format/pass_freeze.h"
#include "parallel/pass_cut.h"
#include "parallel/path_policy.h"
#include "parallel/worker_thread.h"

namespace cadxform {

using detail::TPassWork;

namespace {

// True for a cut that leaves some records to a second thread.
bool CutsInTwo(TPassCut cut) { return cut.Den > 0 && cut.Num >= 0 && cut.Num < cut.Den; }

// Runs walk over every record on this thread.
bool RunWhole(TDrawing& d, const std::function<void(detail::TPassWork&)>& walk) {
  TPassWork whole(d, TRecordShare(), false);
  {
    const TDrawingHeldStill still(d);
    walk(whole);
  }
  TPassWork* const parts[] = {&whole};
  StorePending(d, parts, 1);
  return whole.AllFinite();
}

}  // namespace

namespace detail {

bool RunPass(TDrawing& d, const TRunThreads* threads, const std::function<void(TPassWork&)>& walk) {
  return RunInParts(d, PassCutFor(d, threads != nullptr ? &threads->Policy : nullptr), walk);
}

}  // namespace detail

bool RunInParts(TDrawing& d, TPassCut cut, const std::function<void(detail::TPassWork&)>& walk) {
  if (!CutsInTwo(cut)) return RunWhole(d, walk);
  TPassWork second(d, TRecordShare{cut.Num, cut.Den, cut.Den}, true);
  TPassWork first(d, TRecordShare{0, cut.Num, cut.Den}, false);
  bool started = false;
  {
    const TDrawingHeldStill still(d);
    TWorkerThread worker;
    started = worker.Start([&] { walk(second); });
    if (started) {
      walk(first);
      worker.Finish();
    }
  }
  if (!started) return RunWhole(d, walk);
  TPassWork* const parts[] = {&first, &second};
  StorePending(d, parts, 2);
  return first.AllFinite() && second.AllFinite();
}

}  // namespace cadxform
