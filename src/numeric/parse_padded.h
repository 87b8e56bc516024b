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

// False when StrToFloatOrZero(text) is +0.0 by its first byte alone: the
// text is empty or starts with a byte that begins no real literal (a
// keyword such as "ci" or "hp1"). Lets a reader skip such tokens.
//   "ci" -> false   "" -> false   "-0" -> true   ".5" -> true   " 1" -> true
inline bool MayReadNonZero(std::string_view text) {
  if (text.empty()) return false;
  const char c = text[0];
  return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == ' ';
}

}  // namespace cadxform
