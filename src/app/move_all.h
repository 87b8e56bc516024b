// Translation: moves entities so that indicated point 1 lands on a target
// point, then queues the whole output ("hd" and every stored entity).
#pragma once

namespace rek {

// Moves the selected entities of the store by the offset from indicated
// point 1 (HpPoints[1], (0, 0) when the file never set it) to (TargetX,
// TargetY), then queues "hd" and calls EmitAll with no overrides.
//
// Selection: every record when AllEntities is true, else only records whose
// head Group equals FirstGroup. Positions are the only thing that changes:
// line and solid corners, centres, text and mark points, both ends of a
// dimension line and the start of its text. Radii, sizes, direction
// vectors, angles and texts stay; a dimension text is not re-measured.
// Block references are neither moved nor written.
//
// Example: point 1 at (10, 20), target (110, 220): a line (0,0)-(5,5)
// becomes (100,200)-(105,205).
void MoveAll(bool AllEntities, double TargetX, double TargetY);

}  // namespace rek
