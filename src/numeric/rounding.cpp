// Decimal rounding: RoundE10 and RoundDigits.
//
// The quotient and product are formed in long double and only the result is
// rounded to double: a double-only product can be off by one bit, enough to
// move a value across a rounding boundary.
#include <cmath>
#include <cstdint>

#include "cadxform/rounding.h"

namespace cadxform {

double RoundE10(double x) {
  // Divided by 1e-10, not multiplied by 1e10: the two differ in the last
  // bit for some x, and every angle the tool writes goes through here, so
  // the form is fixed to keep the output of a drawing the same from one
  // version of the tool to the next.
  const long double a = std::trunc(std::fabs(static_cast<long double>(x)) / 1e-10L + 0.5L) * 1e-10L;
  return static_cast<double>(x >= 0 ? a : -a);
}

double RoundDigits(int32_t digits, int32_t mode, double x) {
  long double f = 1.0L;  // 10^digits, exact for digits up to 13
  if (digits >= 1 && digits <= 13) {
    for (int32_t i = 0; i < digits; ++i) f *= 10;
  }
  long double a = std::fabs(static_cast<long double>(x)) * f;
  if (mode == 0) {
    a = std::trunc(a);
  } else if (mode == 1) {
    a = std::trunc(a + 0.9L);  // up once the excess reaches 0.1 of a unit
  } else {
    a = std::trunc(a + 0.5L);
  }
  a /= f;
  return static_cast<double>(x >= 0 ? a : -a);
}

}  // namespace cadxform
