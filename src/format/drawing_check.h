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
// phrase for a failure line ("a record whose head id is not in the head
// table", ...): a head id outside the head table, a text or font name
// holding CR, LF or NUL, an input-order entry of no kind or whose index is
// not a record of its kind.
const char* FindUnwritable(const TDrawing& d);

}  // namespace cadxform
