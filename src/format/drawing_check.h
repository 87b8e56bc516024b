// What a transform leaves must be writable: checked once per entity before
// anything is written, so that a record or an order entry a transform broke
// gives a clear failure, never a crash, a dropped entity or bytes from
// outside an array.
#pragma once

#include <string_view>

#include "cadxform/drawing.h"

namespace cadxform {

// True when s holds a byte that would end or cut the line it is written in
// (CR, LF or NUL). No text read from the exchange file holds one.
bool BreaksLine(std::string_view s);

// nullptr when every record of d can be written; else what is wrong, as a
// phrase for a failure line: a head id outside the head table or naming a
// group or layer outside 0..15 (the first ones too), a text or font name
// longer than 255 bytes or holding CR, LF or NUL, an input order that does
// not name every record exactly once (an entry of no kind, an index beyond
// its array, a record named twice or never).
const char* FindUnwritable(const TDrawing& d);

}  // namespace cadxform
