// Translation: moves entities so that indicated point 1 lands on a target
// point, then queues the whole output ("hd" and every stored entity).
#pragma once

#include "app/transform_common.h"
#include "cadxform/drawing.h"
#include "cadxform/emit.h"
#include "cadxform/write_state.h"

namespace cadxform {

// Moves the selected entities of d by the offset from indicated point 1
// (d.HpPoints[1], (0, 0) when the file never set it) to (TargetX, TargetY),
// then queues "hd" in w and calls EmitAll with no overrides, polling
// escapeKeyDown.
//
// Selection: every record when AllEntities is true, else only records whose
// head Group equals d.First.Group. Positions are the only thing that
// changes: line and solid corners, centres, text and mark points, both ends
// of a dimension line and the start of its text. Radii, sizes, direction
// vectors, angles and texts stay; a dimension text is not re-measured.
// Block references are neither moved nor written.
//
// Large drawings are moved and written on two threads, as policy says
// (PassCutFor, TPathPolicy); the result is the same as on one.
//
// When a moved position would not be a finite number (beyond the range of
// doubles), only the line "h#" + kOutOfRangeMessage is queued: no "hd", no
// entity. The records of d are then left partly moved.
//
// Example: point 1 at (10, 20), target (110, 220): a line (0,0)-(5,5)
// becomes (100,200)-(105,205).
void MoveAll(TDrawing& d, TWriteState& w, bool AllEntities, double TargetX, double TargetY,
             const TEscapeKeySource& escapeKeyDown = TEscapeKeySource(),
             const TPathPolicy& policy = TPathPolicy());

}  // namespace cadxform
