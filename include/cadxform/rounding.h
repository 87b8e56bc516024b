// Decimal rounding of doubles.
//
// Intermediates are formed in long double (80-bit extended on both targets)
// and only the result is rounded to double, so the Linux and Windows builds
// give identical bits.
#pragma once

#include <cstdint>

namespace cadxform {

// x rounded half away from zero to a multiple of 1e-10.
//   -1.23456789012345 -> -1.2345678901   0.30000000000000004 -> 0.3
double RoundE10(double x);

// x rounded to `digits` decimals (1..13; any other value means 0 decimals).
// mode 0 cuts off, mode 1 rounds away from zero once the excess reaches 0.1
// of a unit, any other mode rounds half away from zero.
//   (2,0,1.239) -> 1.23   (2,1,1.231) -> 1.24   (2,1,1.2305) -> 1.23
//   (2,2,1.235) -> 1.24   (0,2,-2.5) -> -3
double RoundDigits(int32_t digits, int32_t mode, double x);

}  // namespace cadxform
