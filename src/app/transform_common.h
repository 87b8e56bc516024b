// What both transforms share: visiting the records they take part in (on
// one thread, or cut in two for two threads), the corner points of the
// polygon solids, which both map alike, and the check that every value they
// store is a finite number.
#pragma once

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "cadxform/drawing.h"
#include "cadxform/emit.h"
#include "cadxform/out_buffer.h"
#include "cadxform/write_state.h"
#include "exchange/emit_split.h"
#include "exchange/path_policy.h"
#include "exchange/worker_thread.h"

namespace cadxform {

// Message queued instead of any output when a transform would store a
// value that is not a finite number (a coordinate or size beyond the range
// of doubles): "座標が大きすぎるため変換できません" in code page 932.
inline constexpr std::string_view kOutOfRangeMessage =
    "\x8D\xC0\x95\x57\x82\xAA\x91\xE5\x82\xAB\x82\xB7\x82\xAC\x82\xE9\x82\xBD\x82\xDF\x95\xCF\x8A\xB7"
    "\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1";

// Remembers whether any value noted was infinite or not a number. The host
// cannot read such a value back, so a transform that meets one writes no
// entity at all.
class TFiniteCheck {
 public:
  void Note(double v) const { bad_ |= !std::isfinite(v); }
  // Takes over what another check (of the other part of a pass) saw.
  void Merge(const TFiniteCheck& other) { bad_ |= other.bad_; }
  bool AllFinite() const { return !bad_; }

 private:
  mutable bool bad_ = false;
};

// Queues the output of a transform that has changed d: "hd" and every
// entity (EmitAll with no overrides, polling escapeKeyDown, segments as
// policy says), or only the line "h#" + kOutOfRangeMessage when check saw a
// value that is not finite.
inline void QueueTransformOutput(const TDrawing& d, TWriteState& w, const TFiniteCheck& check,
                                 const TEscapeKeySource& escapeKeyDown, const TPathPolicy& policy) {
  if (!check.AllFinite()) {
    AddMessageLine(w.Out, kOutOfRangeMessage);
    return;
  }
  AddOutLine(w.Out, "hd");
  EmitAll(d, w, TEmitOverrides(), escapeKeyDown, nullptr, policy);
}

// The records of each array that one part of a pass visits: indices
// [n * From / Den, n * To / Den) of an array of n records. The default is
// every record.
struct TRecordShare {
  int32_t From = 0, To = 1, Den = 1;

  int32_t Begin(int32_t n) const { return static_cast<int32_t>(int64_t{n} * From / Den); }
  int32_t End(int32_t n) const { return static_cast<int32_t>(int64_t{n} * To / Den); }
};

// Where a pass cuts each record array when a second thread takes part: this
// thread visits the first Num / Den of every array, the second thread the
// rest. Num >= Den (kOneThread) keeps the whole pass on this thread. Each
// record's update depends on nothing but the record and the transform, so
// the result is the same for every cut.
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

// Runs a transform pass, pass(part, second), over the records as cut says:
// on this thread with part = m, its Share the records before the cut, and
// on a second thread with part = a copy of m whose Share is the rest and
// second = true. The copy's finite check is then merged into m's; what the
// second thread threw is rethrown here. When no thread can be started,
// pass(m, false) runs over every record here.
template <class M, class Pass>
void RunPass(M& m, TPassCut cut, Pass&& pass) {
  assert(cut.Num >= 0 && cut.Den > 0);
  if (cut.Num >= cut.Den) {
    pass(m, false);
    return;
  }
  M other = m;
  other.Share = TRecordShare{cut.Num, cut.Den, cut.Den};
  TWorkerThread worker;
  const bool started = worker.Start([&] { pass(other, true); });
  if (!started) {
    pass(m, false);
    return;
  }
  m.Share = TRecordShare{0, cut.Num, cut.Den};
  pass(m, false);
  worker.Finish();
  m.Check.Merge(other.Check);
}

// Applies f to the records of arr in m.Share whose head (in heads) the
// transform m takes (m.Takes(head): every record, or only those of the
// first layer group), in index order. Walks each block of the array as
// one run of elements.
template <class T, class M, class F>
void ForSelected(const THeadTable& heads, TBlockArray<T>& arr, const M& m, F&& f) {
  constexpr int32_t kBlock = TBlockArray<T>::kBlock;
  const int32_t n = arr.Count();
  const int32_t end = m.Share.End(n);
  for (int32_t i = m.Share.Begin(n); i < end;) {
    T* const run = &arr[i];
    const int32_t len = std::min(end - i, kBlock - i % kBlock);
    for (int32_t j = 0; j < len; ++j) {
      if (m.Takes(heads[run[j].Head])) f(run[j]);
    }
    i += len;
  }
}

// Maps every corner of the selected two-, three- and four-point solids of d
// with m.Point, in the order of the arrays.
template <class M>
void MapSolidCorners(TDrawing& d, const M& m) {
  ForSelected(d.Heads, d.Solids2, m, [&](TSolid2Ent& e) {
    m.Point(e.X1, e.Y1);
    m.Point(e.X2, e.Y2);
  });
  ForSelected(d.Heads, d.Solids3, m, [&](TSolid3Ent& e) {
    m.Point(e.X1, e.Y1);
    m.Point(e.X2, e.Y2);
    m.Point(e.X3, e.Y3);
  });
  ForSelected(d.Heads, d.Solids4, m, [&](TSolid4Ent& e) {
    m.Point(e.X1, e.Y1);
    m.Point(e.X2, e.Y2);
    m.Point(e.X3, e.Y3);
    m.Point(e.X4, e.Y4);
  });
}

}  // namespace cadxform
