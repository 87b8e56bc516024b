// The thread part of the transform pass: the only file of the pass that
// knows about threads. The walk over the records (cadxform/transform.h)
// runs as if there were one thread.
#include <cassert>

#include "cadxform/transform.h"
#include "parallel/pass_cut.h"
#include "parallel/worker_thread.h"

namespace cadxform {

namespace {

// Runs pass over every record on this thread.
bool RunWhole(TTextPool& pool, const std::function<void(TPassPart&)>& pass) {
  TPassPart whole(pool, TRecordShare(), nullptr);
  pass(whole);
  return whole.AllFinite();
}

}  // namespace

TPassCut DefaultPassCut(const TDrawing& d) { return PassCutFor(d, TPathPolicy()); }

bool RunInParts(TTextPool& pool, TPassCut cut, const std::function<void(TPassPart&)>& pass) {
  assert(cut.Num >= 0 && cut.Den > 0);
  if (cut.Num >= cut.Den) return RunWhole(pool, pass);
  TPendingTexts pending;
  TPassPart second(pool, TRecordShare{cut.Num, cut.Den, cut.Den}, &pending);
  TWorkerThread worker;
  if (!worker.Start([&] { pass(second); })) return RunWhole(pool, pass);
  TPassPart first(pool, TRecordShare{0, cut.Num, cut.Den}, nullptr);
  pass(first);
  worker.Finish();
  // The second part's texts, in the order it made them.
  for (auto& [ref, text] : pending) *ref = pool.AddShort(text);
  return first.AllFinite() && second.AllFinite();
}

}  // namespace cadxform
