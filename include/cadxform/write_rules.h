// Which records the writer writes. A record that cannot be drawn is dropped
// from the output without a word, and the host then deletes that entity
// from the user's drawing: a transform that may leave such records (a snap
// to a grid that collapses a short line, a strong reduction) asks here and
// can refuse instead (TRecordOps::Refuse, record_ops.h) or keep the record.
//
// The tolerance is 1E-8 (drawing units for points and radii, a plain
// number for ratios). Two points coincide when both coordinate differences
// are below it; a radius must exceed it; a ratio or a direction component
// counts as zero up to it.
//   line           written unless its two ends coincide
//   circle         R > 1E-8
//   arc            R > 1E-8 and |Ratio| > 1E-8
//   text           (Dx, Dy) not both within 1E-8 of zero, and a text that is
//                  not blank (only half-width and full-width spaces and
//                  control bytes)
//   point, mark    always (a mark's Code outside -7..11 is written as -3,
//                  a Size within 1E-8 of zero as 1)
//   dimension      its line's ends apart and its text's direction not zero
//                  (a blank text is written as the line's length)
//   block          never (block references are not written back)
//   2-point solid  its points apart; 3-point solid: all three apart
//   4-point solid  written as it is, or reduced to the three-point solid
//                  left when one pair of points coincides; nothing when P1
//                  and P3 or P2 and P4 coincide, or the reduced solid has
//                  two equal points
//   "sc" solid arc R > 1E-8, |Ratio| > 1E-8, Code 100, 5, 0 or -1
//   "se" solid arc R > 1E-8, |Ratio| > 1E-8, Code 100 or 0
//   "so", "sg" ring R and R2 > 1E-8, R2 below R - 1E-8, |Ratio| > 1E-8
//
//   TLineEnt l{};  l.X2 = 5e-9;   IsWritten(l) == false
#pragma once

#include "cadxform/drawing.h"

namespace cadxform {

bool IsWritten(const TLineEnt& e);
bool IsWritten(const TCircleEnt& e);
bool IsWritten(const TArcEnt& e);
bool IsWritten(const TTextEnt& e);
bool IsWritten(const TPointEnt& e);
bool IsWritten(const TMarkEnt& e);
bool IsWritten(const TDimEnt& e);
bool IsWritten(const TRekEntBlk& e);
bool IsWritten(const TSolid2Ent& e);
bool IsWritten(const TSolid3Ent& e);
bool IsWritten(const TSolid4Ent& e);
bool IsWritten(const TSolidRingEnt& e);
// "sc" (ekSc) and "se" (ekSe) solid arcs allow different codes.
bool IsWritten(const TSolidArcEnt& e, TEntKind kind);

// The same for the record an input-order entry names (false for an entry
// that names no record).
bool IsWritten(const TDrawing& d, TOrderEntry entry);

}  // namespace cadxform
