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

#include <cstdint>
#include <functional>
#include <string_view>

#include "cadxform/drawing.h"
#include "cadxform/record_kinds.h"
#include "cadxform/record_ops.h"
#include "cadxform/text_pool.h"

namespace cadxform {

// Message for the host when a transform would store a value that is not a
// finite number (a coordinate or size beyond the range of doubles), written
// as the only line "h#" + message instead of the drawing:
// "座標が大きすぎるため変換できません" in code page 932.
inline constexpr std::string_view kOutOfRangeMessage =
    "\x8D\xC0\x95\x57\x82\xAA\x91\xE5\x82\xAB\x82\xB7\x82\xAC\x82\xE9\x82\xBD\x82\xDF\x95\xCF\x8A\xB7"
    "\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1";

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

// Runs pass over the records as cut says: on this thread with a part whose
// Share is the records before the cut, and on a second thread with a part
// for the rest; then stores the second part's texts in pool. When no
// thread can be started (or cut is kOneThread), one part with every record
// runs here. What the second thread threw is rethrown here. Returns true
// when every part's values were finite.
bool RunInParts(TTextPool& pool, TPassCut cut, const std::function<void(TPassPart&)>& pass);

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
