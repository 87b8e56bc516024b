// The rules of the transform pass (transform.h) for one part of a pass:
// which records it takes, how a transform's operations reach a record with
// the finite check, and the walk over one record array. None of it knows
// whether a second thread runs another part.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <utility>

#include "cadxform/drawing.h"
#include "cadxform/record_kinds.h"
#include "cadxform/text_pool.h"

namespace cadxform {

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

// The library's own workings of the pass, not for transforms.
namespace detail {
// One part of a pass: which records it visits, where its new texts and
// heads wait.
class TPassWork;
int32_t PassFirst(const TPassWork& work, int32_t n);  // first index the part visits of n records
int32_t PassEnd(const TPassWork& work, int32_t n);    // one past its last
void NoteNotFinite(TPassWork& work);
void SetText(TPassWork& work, TTextRef& ref, std::string text);
void SetHead(TPassWork& work, THeadRef& ref, const TEntHead& head);
}  // namespace detail

// A transform x applied to records for one part of a pass: each operation
// calls x's (or leaves the value when x has none) and notes the results in
// the part's finite check. Degree angles are not noted: they come back
// normalised from finite input.
//
// What a Record rule may touch: the record it is given, through these
// operations and directly, and nothing else of the drawing. It may run on
// either of two threads, each with records of its own: a new text goes
// through SetText, a changed attribute through SetHead, both stored once
// the pass is over. The head table and the text pool refuse a new head or
// text while a pass runs (InternHead and TTextPool::Add throw
// std::logic_error, and the run fails).
template <class X>
class TRecordOps {
 public:
  TRecordOps(const X& x, detail::TPassWork& work) : x_(x), work_(work) {}

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
  // Notes a changed value; one that is infinite or not a number fails the
  // pass (the host cannot read it back).
  void Note(double v) const { bad_ |= !std::isfinite(v); }
  bool AllFinite() const { return !bad_; }
  // Makes text the content of ref (a text field of the record).
  void SetText(TTextRef& ref, std::string text) const { detail::SetText(work_, ref, std::move(text)); }
  // Gives the record the attributes of head (its colour, layer ...).
  template <class E>
  void SetHead(E& record, const TEntHead& head) const {
    detail::SetHead(work_, record.Head, head);
  }

 private:
  const X& x_;
  detail::TPassWork& work_;
  mutable bool bad_ = false;
};

namespace detail {

// Applies ops' transform to every record of arr that the part visits and
// sel takes, in index order: its Record rule for the kind, else the kind's
// VisitGeometry (record_kinds.h). Walks each block of the array as one run
// of elements.
template <class X, class T>
void ApplyToArray(const THeadTable& heads, TBlockArray<T>& arr, TSelection sel, const TPassWork& work,
                  const TRecordOps<X>& ops) {
  constexpr int32_t kBlock = TBlockArray<T>::kBlock;
  const int32_t n = arr.Count();
  const int32_t end = PassEnd(work, n);
  for (int32_t i = PassFirst(work, n); i < end;) {
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
void ApplyToArray(const THeadTable&, TBlockArray<TRekEntBlk>&, TSelection, const TPassWork&,
                  const TRecordOps<X>&) {}

// The walk of a pass applying x to the records of d that sel takes, kind by
// kind in kind-code order, for whichever part it is given.
template <class X>
auto WalkOf(TDrawing& d, const X& x, TSelection sel) {
  return [&d, &x, sel](TPassWork& work) {
    const TRecordOps<X> ops(x, work);
    ForEachKind(d, [&](TEntKind, auto& records) { ApplyToArray(d.Heads, records, sel, work, ops); });
    if (!ops.AllFinite()) NoteNotFinite(work);
  };
}

}  // namespace detail

}  // namespace cadxform
