// The number forms of the exchange file, as the writer writes them: for a
// transform that puts numbers into texts (a re-measured dimension, a
// parameter list). All are independent of the locale: the decimal
// separator is always the full stop.
//
// Integer form: decimal digits with a leading "-" for negatives.
//   0 -> "0"   15 -> "15"   -3 -> "-3"
// Hex form (layer group and layer): the value as unsigned 32-bit, upper-case
// digits, no prefix, at least one digit.
//   0 -> "0"   10 -> "A"   15 -> "F"   -1 -> "FFFFFFFF"
// Real form: general format with 15 significant digits, rounded half away
// from zero (toward zero where that would exceed the largest double, so
// every form reads back finite), trailing zeros removed. With the value
// written 0.d1..dn x 10^E: fixed notation for -3 <= E <= 15, exponent
// notation otherwise.
//   12.5 -> "12.5"   1200 -> "1200"   0.0001 -> "0.0001"   0.00001 -> "1E-5"
//   0.00001234 -> "1.234E-5"   1E15 -> "1E15"   2.5E20 -> "2.5E20"
//   1/3 -> "0.333333333333333"   -0.0 -> "0"   inf -> "INF"   nan -> "NAN"
// Each reads back (StrToFloatOrZero, parse_number.h) as the number the
// writer's file holds.
#pragma once

#include <cstdint>
#include <string>

namespace cadxform {

std::string IntForm(int32_t value);
std::string HexForm(int32_t value);
std::string RealForm(double value);

}  // namespace cadxform
