// The rules of the transform pass (transform.h) for one part of a pass:
// which records it takes, how a transform's operations reach a record with
// the finite check, and the walk over one record array. None of it knows
// whether a second thread runs another part.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <string_view>
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
const THeadTable& HeadsOf(const TPassWork& work);
[[noreturn]] void Refuse(std::string_view message);
// A rule set a text or head of what is not the record it was given.
[[noreturn]] void RefuseForeignField();
struct TOpsAccess;
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
  // Makes text the content of ref (a text field of the record the rule was
  // given; any other field fails the run).
  void SetText(TTextRef& ref, std::string text) const {
    CheckOwn(&ref);
    detail::SetText(work_, ref, std::move(text));
  }
  // Gives the record (the one the rule was given, or the line or text of a
  // dimension given) the attributes of head (its colour, layer ...).
  template <class E>
  void SetHead(E& record, const TEntHead& head) const {
    CheckOwn(&record.Head);
    detail::SetHead(work_, record.Head, head);
  }
  // The attributes the record had when the pass began (a head set through
  // SetHead is stored once the pass is over).
  template <class E>
  const TEntHead& HeadOf(const E& record) const {
    return detail::HeadsOf(work_)[record.Head];
  }
  // Stops the run: the output is the single line "h#" + message (code page
  // 932 bytes, for the host to show the user) instead of the drawing, exit
  // status 0, as when the transform returns TRunContext::Message. For a
  // record the transform cannot map ("a circle cannot be stretched"); the
  // other records' changes are not written. A message holding CR, LF or
  // NUL fails the run instead.
  [[noreturn]] void Refuse(std::string_view message) const { detail::Refuse(message); }

 private:
  friend struct detail::TOpsAccess;
  // A field the rule sets must lie in the record it was given: a copy of
  // the record is gone by the time the pass stores what was set.
  void CheckOwn(const void* field) const {
    const auto* at = static_cast<const char*>(field);
    if (at < record_ || at >= recordEnd_) detail::RefuseForeignField();
  }

  const X& x_;
  detail::TPassWork& work_;
  mutable bool bad_ = false;
  mutable const char* record_ = nullptr;
  mutable const char* recordEnd_ = nullptr;
};

namespace detail {

// The walk tells the ops which record a rule is given.
struct TOpsAccess {
  template <class X, class E>
  static void Visit(const TRecordOps<X>& ops, const E& record) {
    ops.record_ = reinterpret_cast<const char*>(&record);
    ops.recordEnd_ = ops.record_ + sizeof(E);
  }
};

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
      // A head id outside the table is not taken here; the run refuses it
      // before writing.
      if (!sel.AllEntities) {
        const uint32_t id = run[j].Head.Id;
        if (static_cast<int64_t>(id) >= heads.Count() || heads[id].Group != sel.Group) continue;
      }
      if constexpr (requires { ops.Transform().Record(run[j], ops); }) {
        TOpsAccess::Visit(ops, run[j]);
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
