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
#include <vector>

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

// The records of each array that one part of a pass visits: indices
// [n * From / Den, n * To / Den) of an array of n records. The default is
// every record.
struct TRecordShare {
  int32_t From = 0, To = 1, Den = 1;

  int32_t Begin(int32_t n) const { return static_cast<int32_t>(int64_t{n} * From / Den); }
  int32_t End(int32_t n) const { return static_cast<int32_t>(int64_t{n} * To / Den); }
};

// Text contents made on the second thread of a pass, stored once it is
// done: only one thread adds to the drawing's text pool.
using TPendingTexts = std::vector<std::pair<TTextRef*, std::string>>;

// One part of a pass, as RunInParts (transform.h) hands it out: the records it visits,
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

}  // namespace cadxform
