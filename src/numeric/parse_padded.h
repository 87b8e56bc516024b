// The exchange reader's real parser: StrToFloatOrZero for a text that is
// followed by at least 16 readable bytes (the reader pads every token), so
// short plain decimals are read a word at a time.
//   token "12.5" with 16 bytes of anything after it -> 12.5, as
//   StrToFloatOrZero("12.5")
#pragma once

#include <string_view>

#include "cadxform/parse_number.h"

namespace cadxform {

// StrToFloatOrZero(text), the same bits for every text; text.data() +
// text.size() must be followed by at least 16 readable bytes.
double StrToFloatOrZeroPadded(std::string_view text);

}  // namespace cadxform
