// Number parsing that never fails: malformed or missing numbers read as 0.
//
// Both parsers check the literal grammar themselves and never consult the
// locale, so a text means the same number on every machine.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace cadxform {

// Integer literal to int32; 0 when the text is empty or not a valid literal.
// Grammar: leading blanks (0x20 only), one optional sign, then either a
// decimal number or a hex number introduced by "$", "x", "X", "0x" or "0X"
// (digits 0-9 A-F a-f); nothing may follow.
//   "42" -> 42   "   5" -> 5   "5 " -> 0   "1.0" -> 0   "$F" -> 15
//   "$" -> 0   "2147483648" -> 0   "-2147483648" -> -2147483648
//   "$FFFFFFFF" -> -1 (32-bit pattern)   "$100000000" -> 0
//   "-$10" -> 16 (a sign before a hex number is ignored)
int32_t StrToIntOrZero(std::string_view text);

// Real literal to double, correctly rounded; 0.0 when the text is empty or
// not a valid literal. Grammar: leading blanks (0x20 only), one optional
// sign, digits with an optional full stop and more digits (at least one digit
// in all), an optional exponent "E"/"e" with optional sign and at least one
// digit; nothing may follow. The separator is always the full stop.
//   "12.5" -> 12.5   "5." -> 5   ".5" -> 0.5   "1e3" -> 1000
//   "1e" -> 0   "1,5" -> 0   "-" -> 0   "1 " -> 0
//   "1e999" -> 0 (overflow)   "1e-999" -> 0 (underflow to the nearest double)
//   "-1e-999" -> -0.0   "4.9e-324" -> the smallest subnormal
// Any length works (megabytes of digits in linear time); allocates nothing.
double StrToFloatOrZero(std::string_view text);

// The same grammars and values, telling a malformed text from 0: nothing
// when text is no valid literal (or, for an integer, out of the int32
// range; for a real, too large for a double). A real too small for a
// double is valid and reads as zero.
//   TryStrToInt("0") -> 0   TryStrToInt("abc"), ("A"), (""), ("2147483648") -> nothing
//   TryStrToFloat("1e-999") -> 0   TryStrToFloat("1e999"), ("1,5") -> nothing
std::optional<int32_t> TryStrToInt(std::string_view text);
std::optional<double> TryStrToFloat(std::string_view text);

}  // namespace cadxform
