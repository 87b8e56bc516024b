// The transform pass: one walk over the records of a drawing that a
// transform changes in place. The pass owns everything but the maths: the
// record kinds, which records take part (every one, or only the first-seen
// layer group), the cut of large drawings between two threads, the check
// that every changed value is a finite number, and the texts made on the
// second thread. A transform is a type that says what it does to
//   Point(double& x, double& y)     a position                     (required)
//   Vector(double& dx, double& dy)  a text's direction vector      (optional)
//   Length(double& v)               a radius, size or text size    (optional)
//   Degrees(double& a)              an arc's tilt, a mark's angle  (optional)
//   Radians(double& a)              a solid arc's or ring's tilt   (optional)
// each a const member; what it leaves out stays unchanged. Where a record
// kind needs a rule of its own, the transform adds a const member
// Record(E& record, const TRecordOps<X>& ops) for that kind E (a text, a
// dimension ...); ops applies the transform's operations with the check
// and sets new texts (SetText).
//
//   struct TShift { double Dx; void Point(double& x, double&) const { x += Dx; } };
//   const bool finite = TransformDrawing(d, TShift{5}, TSelection::Of(d, true), DefaultPassCut(d));
//   // finite false: write "h#" + kOutOfRangeMessage instead of the drawing.
//
// Block references are never changed (nothing writes them).
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cadxform/drawing.h"
#include "cadxform/record_kinds.h"
#include "cadxform/text_pool.h"

namespace cadxform {

// Message for the host when a transform would store a value that is not a
// finite number (a coordinate or size beyond the range of doubles), written
// as the only line "h#" + message instead of the drawing:
// "座標が大きすぎるため変換できません" in code page 932.
inline constexpr std::string_view kOutOfRangeMessage =
    "\x8D\xC0\x95\x57\x82\xAA\x91\xE5\x82\xAB\x82\xB7\x82\xAC\x82\xE9\x82\xBD\x82\xDF\x95\xCF\x8A\xB7"
    "\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1";

// Which records a pass changes: every record, or only those whose head
// Group is the drawing's first-seen layer group.
struct TSelection {
  bool AllEntities = true;
  int32_t Group = 0;

  // The tool's scope: every record when allEntities, else the group of the
  // file's first "lg" line.
  static TSelection Of(const TDrawing& d, bool allEntities) { return {allEntities, d.First.Group}; }
  bool Takes(const TEntHead& head) const { return AllEntities || head.Group == Group; }
};

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

// The tool's own cut for d: halves on two threads from 50 000 entities on,
// else kOneThread.
TPassCut DefaultPassCut(const TDrawing& d);

// Text contents made on the second thread of a pass, stored once it is
// done: only one thread adds to the drawing's text pool.
using TPendingTexts = std::vector<std::pair<TTextRef*, std::string>>;

// One part of a pass, as RunInParts hands it out: the records it visits,
// whether every value it noted was finite, and where its new texts go.
class TPassPart {
 public:
  TPassPart(TTextPool& pool, TRecordShare share, TPendingTexts* pending)
      : Share(share), pool_(&pool), pending_(pending) {}

  TRecordShare Share;

  // Notes a changed value; one that is infinite or not a number fails the
  // pass (the host cannot read it back).
  void Note(double v) { bad_ |= !std::isfinite(v); }
  bool AllFinite() const { return !bad_; }

  // Makes text the content of ref: at once, or, on the second thread, once
  // the pass is done (in the order the texts were set).
  void SetText(TTextRef& ref, std::string text) {
    if (pending_ != nullptr) {
      pending_->emplace_back(&ref, std::move(text));
    } else {
      ref = pool_->AddShort(text);
    }
  }

 private:
  TTextPool* pool_;
  TPendingTexts* pending_;
  bool bad_ = false;
};

// Runs pass over the records as cut says: on this thread with a part whose
// Share is the records before the cut, and on a second thread with a part
// for the rest; then stores the second part's texts in pool. When no
// thread can be started (or cut is kOneThread), one part with every record
// runs here. What the second thread threw is rethrown here. Returns true
// when every part's values were finite.
bool RunInParts(TTextPool& pool, TPassCut cut, const std::function<void(TPassPart&)>& pass);

// A transform x applied to records for one part of a pass: each operation
// calls x's (or leaves the value when x has none) and notes the results in
// the part's finite check. Degree angles are not noted: they come back
// normalised from finite input.
template <class X>
class TRecordOps {
 public:
  TRecordOps(const X& x, TPassPart& part) : x_(x), part_(part) {}

  const X& Transform() const { return x_; }

  void Point(double& x, double& y) const {
    x_.Point(x, y);
    Note(x);
    Note(y);
  }
  void Vector(double& dx, double& dy) const {
    if constexpr (requires { x_.Vector(dx, dy); }) {
      x_.Vector(dx, dy);
      Note(dx);
      Note(dy);
    }
  }
  void Length(double& v) const {
    if constexpr (requires { x_.Length(v); }) {
      x_.Length(v);
      Note(v);
    }
  }
  void Degrees(double& a) const {
    if constexpr (requires { x_.Degrees(a); }) x_.Degrees(a);
  }
  void Radians(double& a) const {
    if constexpr (requires { x_.Radians(a); }) {
      x_.Radians(a);
      Note(a);
    }
  }
  void Note(double v) const { part_.Note(v); }
  void SetText(TTextRef& ref, std::string text) const { part_.SetText(ref, std::move(text)); }

 private:
  const X& x_;
  TPassPart& part_;
};

namespace pass_rules {

// Applies ops' transform to every record of arr in part.Share that sel
// takes, in index order: its Record rule for the kind, else the kind's
// VisitGeometry (record_kinds.h). Walks
// each block of the array as one run of elements.
template <class X, class T>
void ApplyToArray(const THeadTable& heads, TBlockArray<T>& arr, TSelection sel, const TPassPart& part,
                  const TRecordOps<X>& ops) {
  constexpr int32_t kBlock = TBlockArray<T>::kBlock;
  const int32_t n = arr.Count();
  const int32_t end = part.Share.End(n);
  for (int32_t i = part.Share.Begin(n); i < end;) {
    T* const run = &arr[i];
    const int32_t len = std::min(end - i, kBlock - i % kBlock);
    for (int32_t j = 0; j < len; ++j) {
      if (!sel.Takes(heads[run[j].Head])) continue;
      if constexpr (requires { ops.Transform().Record(run[j], ops); }) {
        ops.Transform().Record(run[j], ops);
      } else {
        VisitGeometry(run[j], ops);
      }
    }
    i += len;
  }
}

// Block references are never changed.
template <class X>
void ApplyToArray(const THeadTable&, TBlockArray<TRekEntBlk>&, TSelection, const TPassPart&,
                  const TRecordOps<X>&) {}

}  // namespace pass_rules

// Applies x to the records of d that sel takes, kind by kind in kind-code
// order, cut between threads as cut says (the result is the same for every
// cut). Returns false when a changed value was not a finite number: the
// records are then left partly changed, and the drawing must not be
// written (write "h#" + kOutOfRangeMessage instead).
template <class X>
bool TransformDrawing(TDrawing& d, const X& x, TSelection sel, TPassCut cut) {
  return RunInParts(d.TextPool, cut, [&](TPassPart& part) {
    const TRecordOps<X> ops(x, part);
    ForEachKind(d, [&](TEntKind, auto& records) {
      pass_rules::ApplyToArray(d.Heads, records, sel, part, ops);
    });
  });
}

}  // namespace cadxform
