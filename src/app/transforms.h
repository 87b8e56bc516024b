// The tool's two transformations of a drawing: the translation (MoveAll)
// and the two-point similarity transform (TwoPointTransform). Each changes
// the records in place through the transform pass (cadxform/transform.h)
// and says how it went; the run sequence writes the output
// (QueueTransformOutput, run.h).
#pragma once

#include "cadxform/drawing.h"
#include "cadxform/run.h"
#include "cadxform/transform.h"
#include "parallel/pass_cut.h"

namespace cadxform {

// How a transformation went.

// Moves the selected entities of d by the offset from indicated point 1
// (d.HpPoints[1], (0, 0) when the file never set it) to (TargetX, TargetY)
// (TTranslation, cadxform/similarity.h).
//
// Selection: every record when AllEntities is true, else only records whose
// head Group equals d.First.Group. Positions are the only thing that
// changes: line and solid corners, centres, text and mark points, both ends
// of a dimension line and the start of its text. Radii, sizes, direction
// vectors, angles and texts stay; a dimension text is not re-measured.
// Block references are neither moved nor written.
//
// The record arrays are cut for two threads as cut says (the run sequence
// takes it from its path policy; without one, PassCutFor(d, TPathPolicy())); the
// result is the same for every cut. Returns trOutOfRange when a moved position
// would not be a finite number (beyond the range of doubles), else trDone.
//
// Example: point 1 at (10, 20), target (110, 220): a line (0,0)-(5,5)
// becomes (100,200)-(105,205).
TTransformResult MoveAll(TDrawing& d, bool AllEntities, double TargetX, double TargetY, TPassCut cut);
inline TTransformResult MoveAll(TDrawing& d, bool AllEntities, double TargetX, double TargetY) {
  return MoveAll(d, AllEntities, TargetX, TargetY, PassCutFor(d, TPathPolicy()));
}

// Maps S1 = d.HpPoints[1] to D1 = (DestX1, DestY1) and S2 = d.HpPoints[2] to
// D2 = (DestX2, DestY2) by a rotation about S1, a uniform scaling and a
// translation (TSimilarity, cadxform/similarity.h, which gives the rules of
// every record kind). Unset indicated points count as (0, 0).
//
// Derived once: theta = AngleDeg(D2 - D1) - AngleDeg(S2 - S1) degrees (not
// normalised, so within [-360, 360]) and s = |D1D2| / |S1S2|.
//
// Returns trSamePoint, changing nothing, when |S1S2| or |D1D2| is below
// 1e-8. Otherwise changes the selected records of d (all when AllEntities,
// else those whose head Group equals d.First.Group), with the record arrays
// cut for two threads as cut says (as for MoveAll), and returns trOutOfRange when a changed
// value (a position, vector, size, radian tilt, re-measured length or
// number of a parameter list) would not be a finite number, else trDone.
//
// Example: S1 (0,0), S2 (10,0), D1 (100,100), D2 (100,120) give theta 90,
// s 2: a line (10,0)-(10,5) becomes (100,120)-(90,120).
TTransformResult TwoPointTransform(TDrawing& d, bool AllEntities, double DestX1, double DestY1,
                                   double DestX2, double DestY2, TPassCut cut);
inline TTransformResult TwoPointTransform(TDrawing& d, bool AllEntities, double DestX1, double DestY1,
                                          double DestX2, double DestY2) {
  return TwoPointTransform(d, AllEntities, DestX1, DestY1, DestX2, DestY2, PassCutFor(d, TPathPolicy()));
}

}  // namespace cadxform
