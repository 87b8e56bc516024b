// The transform pass: one walk over the records of a drawing that a
// transform changes in place. The pass owns everything but the maths: the
// record kinds, which records take part (every one, or only the first-seen
// layer group), whether a large drawing is shared between two threads, the
// check that every changed value is a finite number, and the texts and
// attributes set on a second thread. A transform is a type that says what
// it does to
//   Point(double& x, double& y)     a position   (required unless Record rules cover every kind)
//   Vector(double& dx, double& dy)  a text's direction vector      (optional)
//   Length(double& v)               a radius, size or text size    (optional)
//   Degrees(double& a)              an arc's tilt, a mark's angle  (optional)
//   Radians(double& a)              a solid arc's or ring's tilt   (optional)
// each a const member; what it leaves out stays unchanged. Where a record
// kind needs a rule of its own, the transform adds a const member
// Record(E& record, const TRecordOps<X>& ops) for that kind E (a text, a
// dimension ...); ops applies the transform's operations with the check,
// sets new texts (SetText) and new attributes (SetHead): see record_ops.h
// for what a rule may touch.
//
//   struct TShift { double Dx; void Point(double& x, double&) const { x += Dx; } };
//   const bool finite = TransformDrawing(d, TShift{5}, TSelection::Of(d, true));
//   // finite false: the drawing must not be written ("h#" +
//   // kOutOfRangeMessage instead; RunExternalTransform in run.h does so).
//
// Block references are never changed (nothing writes them).
#pragma once

#include <functional>
#include <string_view>

#include "cadxform/drawing.h"
#include "cadxform/record_ops.h"

namespace cadxform {

// Message for the host when a transform would store a value that is not a
// finite number (a coordinate or size beyond the range of doubles), written
// as the only line "h#" + message instead of the drawing:
// "座標が大きすぎるため変換できません" in code page 932.
inline constexpr std::string_view kOutOfRangeMessage =
    "\x8D\xC0\x95\x57\x82\xAA\x91\xE5\x82\xAB\x82\xB7\x82\xAC\x82\xE9\x82\xBD\x82\xDF\x95\xCF\x8A\xB7"
    "\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1";

namespace detail {
// The run's choice of threads (the library's own; a run hands it to the
// pass through TRunContext, run.h).
struct TRunThreads;
// Runs walk over d's records on one thread or two as threads says (nullptr:
// the library's defaults); false when a part noted a value that is not
// finite.
bool RunPass(TDrawing& d, const TRunThreads* threads, const std::function<void(TPassWork&)>& walk);
}  // namespace detail

// Applies x to the records of d that sel takes, kind by kind in kind-code
// order, on one thread or two as the library chooses (the result is the
// same either way). Returns false when a changed value was not a finite
// number: the records are then left partly changed, and the drawing must
// not be written.
template <class X>
bool TransformDrawing(TDrawing& d, const X& x, TSelection sel) {
  return detail::RunPass(d, nullptr, detail::WalkOf(d, x, sel));
}

}  // namespace cadxform
