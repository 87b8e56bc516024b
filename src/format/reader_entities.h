// Handlers of the exchange-file lines that add an entity to the drawing.
//
// Each takes the tokens of a line that the dispatcher (ParseLine) has already
// recognised by its first token and token count, and appends the record to
// the drawing d. The new record gets its head from the reader's running
// attributes in r and its own fields from the tokens; missing or malformed
// numbers read as 0. Every handler except
// ReadFourNumberLine also ends a polyline or dimension block and clears the
// collected z-flags.
//
// A record is appended to its kind's array before its Order entry: if memory
// runs out on the way, Order never names a record that does not exist.
#pragma once

#include "cadxform/drawing.h"
#include "format/read_state.h"
#include "format/token_view.h"

namespace cadxform::reading {

// "ci x y r": circle.
void AddCircle(TDrawing& d, TReadState& r, const TTokenView& t);
// "ci x y r p1 p2 ratio tilt": arc (tilt in degrees).
void AddArc(TDrawing& d, TReadState& r, const TTokenView& t);
// A text line "<kw> x y dx dy text" with kw "ch" (cmd 0), "cv" 1, "cs" 2,
// "cr" 3, "co" 4, "cp" 5, "ct" 6, "ck" 7, "cz" 8 or "c2" 9. Inside a
// dimension block a "cs" line completes the dimension instead.
//   `ch 10 20 30 0 "A B` -> text "A B" at (10, 20), direction (30, 0)
void AddTextLine(TDrawing& d, TReadState& r, const TTokenView& t, int32_t cmd);
// "pt x y": point in the current point colour.
void AddPoint(TDrawing& d, TReadState& r, const TTokenView& t);
// "pt x y size angle code": mark in the current point colour.
void AddMark(TDrawing& d, TReadState& r, const TTokenView& t);
// "BL x y name": block reference; the name is kept whole.
void AddBlock(TDrawing& d, TReadState& r, const TTokenView& t);
// "sl x1 y1 x2 y2": solid of two points.
void AddSolidOf2(TDrawing& d, TReadState& r, const TTokenView& t);
// "sl" with three points: coinciding points reduce it to two.
//   (0,0) (0,0) (5,5) -> two-point solid (0,0)-(5,5)
void AddSolidOf3(TDrawing& d, TReadState& r, const TTokenView& t);
// "sl" with four points: coinciding points reduce it to three or two.
//   (0,0) (1,0) (1,1) (0,0) -> three-point solid (0,0) (1,0) (1,1)
void AddSolidOf4(TDrawing& d, TReadState& r, const TTokenView& t);
// "sc"/"se x y r ratio tiltRad p1 p2 code": solid arc of kind ekSc or ekSe.
void AddSolidArc(TDrawing& d, TReadState& r, const TTokenView& t, TEntKind kind);
// "so"/"sg x y r ratio tiltRad p1 p2 r2": solid ring of kind ekSo or ekSg.
void AddSolidRing(TDrawing& d, TReadState& r, const TTokenView& t, TEntKind kind);
// A line of four numbers "x1 y1 x2 y2": a line, numbered with the polyline
// block it is in. Inside a dimension block it only becomes the pending
// dimension line: no record, and the z-flags stay for the dimension itself.
// Never ends a block.
void ReadFourNumberLine(TDrawing& d, TReadState& r, const TTokenView& t);

}  // namespace cadxform::reading
