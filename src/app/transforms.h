// The tool's two transformations of a drawing: the translation (MoveAll)
// and the two-point similarity transform (TwoPointTransform). Each derives
// its transform (cadxform/similarity.h) from the drawing's indicated points
// and the destination, and applies it through the public transform pass,
// as any transform built on the library does; the run sequence writes the
// output.
#pragma once

#include <optional>

#include "cadxform/drawing.h"
#include "cadxform/run.h"
#include "cadxform/similarity.h"

namespace cadxform {

// The translation of MoveAll: by the offset from indicated point 1
// (d.HpPoints[1], (0, 0) when the file never set it) to (TargetX, TargetY),
// rounded to double once so that every position moves by the same offset.
//
// Example: point 1 at (10, 20), target (110, 220): the offset (100, 200); a
// line (0,0)-(5,5) becomes (100,200)-(105,205).
TTranslation MoveAllTranslation(const TDrawing& d, double TargetX, double TargetY);

// The similarity of TwoPointTransform: maps S1 = d.HpPoints[1] to D1 =
// (DestX1, DestY1) and S2 = d.HpPoints[2] to D2 = (DestX2, DestY2) by a
// rotation about S1, a uniform scaling and a translation (unset indicated
// points count as (0, 0)). Derived once: theta = AngleDeg(D2 - D1) -
// AngleDeg(S2 - S1) degrees (not normalised, so within [-360, 360]) and
// s = |D1D2| / |S1S2|. Nothing when |S1S2| or |D1D2| is below 1e-8.
//
// Example: S1 (0,0), S2 (10,0), D1 (100,100), D2 (100,120) give theta 90,
// s 2: a line (10,0)-(10,5) becomes (100,120)-(90,120).
std::optional<TSimilarity> TwoPointSimilarity(const TDrawing& d, double DestX1, double DestY1, double DestX2,
                                              double DestY2);

// Moves the selected entities of the run's drawing (every record when
// AllEntities is true, else only records whose head Group equals
// d.First.Group): positions are the only thing that changes. Returns
// trOutOfRange when a moved position would not be a finite number, else
// trDone.
TTransformResult MoveAll(TRunContext& run, bool AllEntities, double TargetX, double TargetY);

// Transforms the selected entities of the run's drawing by
// TwoPointSimilarity (TSimilarity gives the rules of every record kind).
// Returns trSamePoint, changing nothing, when the points coincide;
// trOutOfRange when a changed value would not be a finite number; else
// trDone.
TTransformResult TwoPointTransform(TRunContext& run, bool AllEntities, double DestX1, double DestY1, double DestX2,
                                   double DestY2);

// The same on a drawing outside a run (TransformDrawing: the library's own
// choice of threads).
TTransformResult MoveAll(TDrawing& d, bool AllEntities, double TargetX, double TargetY);
TTransformResult TwoPointTransform(TDrawing& d, bool AllEntities, double DestX1, double DestY1, double DestX2,
                                   double DestY2);

}  // namespace cadxform
