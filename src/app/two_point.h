// Two-point similarity transform: turns, uniformly scales and moves entities
// so that indicated points 1 and 2 land on two destination points, then
// queues the whole output ("hd" and every stored entity).
#pragma once

#include <string_view>

#include "app/transform_common.h"
#include "cadxform/drawing.h"
#include "cadxform/emit.h"
#include "cadxform/write_state.h"

namespace cadxform {

// Message queued instead of any output when the indicated points or the
// destination points coincide: "同一点指示をしないで下さい" in code page 932.
inline constexpr std::string_view kSamePointMessage =
    "\x93\xaf\x88\xea\x93\x5f\x8e\x77\x8e\xa6\x82\xf0\x82\xb5\x82\xc8\x82\xa2\x82\xc5\x89\xba"
    "\x82\xb3\x82\xa2";

// Maps S1 = d.HpPoints[1] to D1 = (DestX1, DestY1) and S2 = d.HpPoints[2] to
// D2 = (DestX2, DestY2) by a rotation about S1, a uniform scaling and a
// translation (never a mirror). Unset indicated points count as (0, 0).
//
// Derived once: theta = AngleDeg(D2 - D1) - AngleDeg(S2 - S1) degrees (not
// normalised, so within [-360, 360]) and s = |D1D2| / |S1S2|.
//
// When |S1S2| or |D1D2| is below 1e-8, only the line "h#" + kSamePointMessage
// is queued in w: no record changes, no "hd", no EmitAll.
//
// Otherwise the selected records of d (all when AllEntities, else those
// whose head Group equals d.First.Group) are changed in place, then "hd" is
// queued and EmitAll is called with no overrides, polling escapeKeyDown.
// Per record:
//   - positions are mapped (turned about S1, scaled, moved onto D1);
//   - radii and mark sizes are scaled by s; degree angles become
//     NormDeg(a + theta); radian solid tilts are turned through degrees;
//   - text direction vectors are turned but not scaled;
//   - when s differs from 1 by more than 1e-10, a text leaves its numbered
//     kind (Kind 0) and its sizes are scaled, and a dimension also gets its
//     text re-measured (length rounded to 8 decimals, real form);
//   - a text beginning with "^@BM" keeps its vector, kind and sizes and has
//     its number list rewritten instead (see RewriteParamText).
// Block references are neither changed nor written.
//
// Large drawings are transformed and written on two threads, as policy says
// (PassCutFor, TPathPolicy); the result is the same as on one.
//
// When a changed value (a position, vector, size, angle, re-measured length
// or number of a parameter list) would not be a finite number, only the
// line "h#" + kOutOfRangeMessage (transform_common.h) is queued: no "hd", no
// entity. The records of d are then left partly changed.
//
// Example: S1 (0,0), S2 (10,0), D1 (100,100), D2 (100,120) give theta 90,
// s 2: a line (10,0)-(10,5) becomes (100,120)-(90,120), a radius 3 becomes
// 6, an arc tilt of 300 becomes 30.
void TwoPointTransform(TDrawing& d, TWriteState& w, bool AllEntities, double DestX1, double DestY1,
                       double DestX2, double DestY2,
                       const TEscapeKeySource& escapeKeyDown = TEscapeKeySource(),
                       const TPathPolicy& policy = TPathPolicy());

}  // namespace cadxform
