// The real form of zeros, infinities, not-a-numbers and magnitudes outside
// the fixed-notation range: the library's correctly rounded 15 digits
// (std::to_chars), with ties mended to round away from zero.
#include <bit>
#include <cassert>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>

#include "numeric/real_form_paths.h"

namespace cadxform::real_form {

namespace {

// The significant digits of a rounded magnitude: d1..dn (n 1..15, d1 not
// '0', no trailing '0') with the value 0.d1..dn x 10^E.
struct TDecimal {
  char Digits[17];  // room for the 16 digits read while mending a tie
  int Count;
  int E;
};

// Drops trailing zero digits (keeping at least one).
void TrimZeros(TDecimal& d) {
  while (d.Count > 1 && d.Digits[d.Count - 1] == '0') --d.Count;
}

// Reads "d.ddd...e+XX" as written by std::to_chars in scientific format.
void ReadScientific(const char* p, const char* end, TDecimal& d) {
  int n = 0;
  for (; p < end && *p != 'e'; ++p) {
    if (*p != '.') d.Digits[n++] = *p;
  }
  assert(p < end && n <= 16);
  int exp10 = 0;
  std::from_chars(p + (p[1] == '+' ? 2 : 1), end, exp10);
  d.Count = n;
  d.E = exp10 + 1;
}

// True when the magnitude a lies exactly halfway between two 15-digit
// decimals, E (a = 0.d1d2.. x 10^E) taken from the rounded digits. With
// a = m * 2^k, m odd, and s = 15 - E, a tie means a * 10^s is an odd
// multiple of 1/2:
//   s >= 0: a * 2^(s+1) * 5^s is odd  <=>  k == -(s+1);
//   s <  0: 2a / 10^-s is odd         <=>  k == -s-1 and 5^-s divides m.
// Had the rounding carried into a new decade (E one too big), a would have
// more than 15 digits just below a power of ten, and neither condition can
// hold, so E from the rounded digits is safe to use.
bool IsFifteenDigitTie(double a, int E) {
  int exp2 = 0;
  const double frac = std::frexp(a, &exp2);  // a = frac * 2^exp2, frac in [0.5, 1)
  uint64_t m = static_cast<uint64_t>(std::ldexp(frac, 53));  // exact: 53 bits
  const int tz = std::countr_zero(m);
  m >>= tz;
  const int k = exp2 - 53 + tz;
  const int s = 15 - E;
  if (s >= 0) return k == -(s + 1);
  const int u = -s;
  if (k != u - 1 || u > 22) return false;  // 5^23 exceeds any 53-bit m
  uint64_t p5 = 1;
  for (int i = 0; i < u; ++i) p5 *= 5;
  return m % p5 == 0;
}

// Adds one unit in the 15th digit of d (d.Count <= 15).
void RoundUpLastDigit(TDecimal& d) {
  for (int i = d.Count; i < 15; ++i) d.Digits[i] = '0';
  int i = 14;
  while (i >= 0 && d.Digits[i] == '9') d.Digits[i--] = '0';
  if (i < 0) {
    d.Digits[0] = '1';
    d.E += 1;
  } else {
    ++d.Digits[i];
  }
  d.Count = 15;
  TrimZeros(d);
}

// 15 significant digits of any positive finite magnitude, rounded half away
// from zero. std::to_chars rounds correctly but sends ties to even, so an
// exact tie that went down is mended.
void LibraryDigits(double a, TDecimal& d) {
  char buf[40];
  auto r = std::to_chars(buf, buf + sizeof(buf), a, std::chars_format::scientific, 14);
  assert(r.ec == std::errc());
  ReadScientific(buf, r.ptr, d);
  // A tie rounded to even ends in an even digit; an odd one is no tie.
  if ((d.Digits[14] - '0') % 2 != 0 || !IsFifteenDigitTie(a, d.E)) {
    TrimZeros(d);
    return;
  }
  // The exact value has 16 digits, the last a 5: take them unrounded, drop
  // the 5 and round up.
  r = std::to_chars(buf, buf + sizeof(buf), a, std::chars_format::scientific, 15);
  assert(r.ec == std::errc());
  ReadScientific(buf, r.ptr, d);
  assert(d.Count == 16 && d.Digits[15] == '5');
  d.Count = 15;
  RoundUpLastDigit(d);
}

// The largest double, 1.7976931348623157E308, and the three doubles below it
// round to 1.79769313486232E308, which lies above the largest double and so
// would read back as out of range (0). For those the 15th digit is rounded
// toward zero instead, 1.79769313486231E308, below every one of them, so
// every written number reads back finite. No other 15-digit rounding of a
// double exceeds the largest double.
void KeepWithinDoubleRange(TDecimal& d) {
  static_assert(DBL_MAX_10_EXP == 308, "the digits below are those of the IEEE double's largest value");
  constexpr char kAboveLargest[] = "179769313486232";
  if (d.E == DBL_MAX_10_EXP + 1 && d.Count == 15 && std::memcmp(d.Digits, kAboveLargest, 15) == 0) {
    d.Digits[14] = '1';
  }
}

// Writes d in fixed notation (-3 <= E <= 15) or exponent notation.
char* AppendDecimal(char* out, const TDecimal& d) {
  const int n = d.Count;
  const int E = d.E;
  if (E >= -3 && E <= 15) {
    if (E > 0) {
      const int intDigits = n < E ? n : E;
      std::memcpy(out, d.Digits, static_cast<size_t>(intDigits));
      out += intDigits;
      for (int i = n; i < E; ++i) *out++ = '0';
      if (n > E) {
        *out++ = '.';
        std::memcpy(out, d.Digits + E, static_cast<size_t>(n - E));
        out += n - E;
      }
    } else {
      *out++ = '0';
      *out++ = '.';
      for (int i = 0; i < -E; ++i) *out++ = '0';
      std::memcpy(out, d.Digits, static_cast<size_t>(n));
      out += n;
    }
    return out;
  }
  *out++ = d.Digits[0];
  if (n > 1) {
    *out++ = '.';
    std::memcpy(out, d.Digits + 1, static_cast<size_t>(n - 1));
    out += n - 1;
  }
  *out++ = 'E';
  int x = E - 1;
  if (x < 0) {
    *out++ = '-';
    x = -x;
  }
  return AppendUnsigned(out, static_cast<uint32_t>(x));
}

}  // namespace

// Zeros, infinities, not-a-numbers and magnitudes outside the fixed range.
char* AppendOtherReal(char* out, double value) {
  if (std::isnan(value)) {
    if (std::signbit(value)) *out++ = '-';
    std::memcpy(out, "NAN", 3);
    return out + 3;
  }
  if (value == 0) {  // both zeros
    *out = '0';
    return out + 1;
  }
  if (value < 0) {
    *out++ = '-';
    value = -value;
  }
  if (std::isinf(value)) {
    std::memcpy(out, "INF", 3);
    return out + 3;
  }
  TDecimal d;
  LibraryDigits(value, d);
  KeepWithinDoubleRange(d);
  return AppendDecimal(out, d);
}

}  // namespace cadxform::real_form
