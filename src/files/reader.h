// Reading the exchange file into a drawing.
//
// The host writes the file in code page 932 with CR LF line ends. Every line
// is read by its first token: header lines ("file=", "hk", "hs", ...) set
// the drawing's header values, "hp" lines the indicated points, attribute
// lines ("lg", "ly", "lc", "lt", "lw", "cn", "cc", "pn", "z1".."z5") the
// running attributes, and each entity line appends one record, whose head
// takes the running attributes, plus one entry in the input order. Nothing
// fails: a malformed number reads as 0, a line of no known form is ignored,
// an attribute out of range is replaced by its default. Texts are kept as
// the bytes they are, never converted.
//
// Example: the file
//   hp1 10 20
//   lg2
//   lc1
//   0 0 5 5
//   ci 1 1 3
// gives d.HpPoints[1] = {true, 10, 20, 0}, d.First.Group == 2,
// d.First.Color == 1, d.Lines[0] = {X1 0, Y1 0, X2 5, Y2 5} and
// d.Circles[0] = {X 1, Y 1, R 3}, both with d.Heads[rec.Head].Group == 2 and
// .Color == 1, and d.Order = {ekLine, 0}, {ekCircle, 0}.
#pragma once

#include "cadxform/drawing.h"
#include "cadxform/path.h"

namespace cadxform {

// Reads the whole file at path into d (normally a new drawing), line by
// line. Returns true when the whole file was read; false when no file exists
// at path (d is untouched) or reading failed (what was read so far stays in
// d: never write such a drawing back as the result, see file_writer.h).
// Throws std::bad_alloc when memory runs out, likewise leaving d partly
// filled.
bool ReadExchangeFile(const platform::TPath& path, TDrawing& d);

}  // namespace cadxform
