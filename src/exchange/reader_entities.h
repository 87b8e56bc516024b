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
// The tokens come as a TTokenLine or a TBatchLine (see reader_values.h);
// every handler is built for both.
//
// A record is appended to its kind's array before its Order entry: if memory
// runs out on the way, Order never names a record that does not exist.
#pragma once

#include "cadxform/drawing.h"
#include "exchange/read_state.h"
#include "exchange/reader_batch.h"
#include "exchange/tokenizer.h"

namespace cadxform::reading {

// "ci x y r": circle.
template <class TLine>
void AddCircle(TDrawing& d, TReadState& r, const TLine& t);
// "ci x y r p1 p2 ratio tilt": arc (tilt in degrees).
template <class TLine>
void AddArc(TDrawing& d, TReadState& r, const TLine& t);
// A text line "<kw> x y dx dy text" with kw "ch" (cmd 0), "cv" 1, "cs" 2,
// "cr" 3, "co" 4, "cp" 5, "ct" 6, "ck" 7, "cz" 8 or "c2" 9. Inside a
// dimension block a "cs" line completes the dimension instead.
//   `ch 10 20 30 0 "A B` -> text "A B" at (10, 20), direction (30, 0)
template <class TLine>
void AddTextLine(TDrawing& d, TReadState& r, const TLine& t, int32_t cmd);
// "pt x y": point in the current point colour.
template <class TLine>
void AddPoint(TDrawing& d, TReadState& r, const TLine& t);
// "pt x y size angle code": mark in the current point colour.
template <class TLine>
void AddMark(TDrawing& d, TReadState& r, const TLine& t);
// "BL x y name": block reference; the name is kept whole.
template <class TLine>
void AddBlock(TDrawing& d, TReadState& r, const TLine& t);
// "sl x1 y1 x2 y2": solid of two points.
template <class TLine>
void AddSolidOf2(TDrawing& d, TReadState& r, const TLine& t);
// "sl" with three points: coinciding points reduce it to two.
//   (0,0) (0,0) (5,5) -> two-point solid (0,0)-(5,5)
template <class TLine>
void AddSolidOf3(TDrawing& d, TReadState& r, const TLine& t);
// "sl" with four points: coinciding points reduce it to three or two.
//   (0,0) (1,0) (1,1) (0,0) -> three-point solid (0,0) (1,0) (1,1)
template <class TLine>
void AddSolidOf4(TDrawing& d, TReadState& r, const TLine& t);
// "sc"/"se x y r ratio tiltRad p1 p2 code": solid arc of kind ekSc or ekSe.
template <class TLine>
void AddSolidArc(TDrawing& d, TReadState& r, const TLine& t, TEntKind kind);
// "so"/"sg x y r ratio tiltRad p1 p2 r2": solid ring of kind ekSo or ekSg.
template <class TLine>
void AddSolidRing(TDrawing& d, TReadState& r, const TLine& t, TEntKind kind);
// A line of four numbers "x1 y1 x2 y2": a line, numbered with the polyline
// block it is in. Inside a dimension block it only becomes the pending
// dimension line: no record, and the z-flags stay for the dimension itself.
// Never ends a block.
template <class TLine>
void ReadFourNumberLine(TDrawing& d, TReadState& r, const TLine& t);

}  // namespace cadxform::reading
