// What both transforms share: visiting the records they take part in, the
// corner points of the polygon solids, which both map alike, and the check
// that every value they store is a finite number.
#pragma once

#include <cmath>
#include <string_view>

#include "cadxform/drawing.h"
#include "cadxform/emit.h"
#include "cadxform/out_buffer.h"
#include "cadxform/write_state.h"

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
  bool AllFinite() const { return !bad_; }

 private:
  mutable bool bad_ = false;
};

// Queues the output of a transform that has changed d: "hd" and every
// entity (EmitAll with no overrides, polling escapeKeyDown), or only the
// line "h#" + kOutOfRangeMessage when check saw a value that is not finite.
inline void QueueTransformOutput(const TDrawing& d, TWriteState& w, const TFiniteCheck& check,
                                 const TEscapeKeySource& escapeKeyDown) {
  if (!check.AllFinite()) {
    AddMessageLine(w.Out, kOutOfRangeMessage);
    return;
  }
  AddOutLine(w.Out, "hd");
  EmitAll(d, w, TEmitOverrides(), escapeKeyDown);
}

// Applies f to every record of arr whose head (in heads) the transform m
// takes (m.Takes(head): every record, or only those of the first layer
// group).
template <class T, class M, class F>
void ForSelected(const THeadTable& heads, TBlockArray<T>& arr, const M& m, F&& f) {
  arr.ForEach([&](T& e) {
    if (m.Takes(heads[e.Head])) f(e);
  });
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
