#include "exchange/number_forms.h"

#include <bit>
#include <cassert>
#include <charconv>
#include <cmath>
#include <cstring>

namespace rek {

namespace {

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// Writes the decimal digits of v (no sign, at least one digit); returns the end.
char* AppendUnsigned(char* out, uint32_t v) {
  char tmp[10];
  char* p = tmp + sizeof(tmp);
  while (v >= 100) {
    const uint32_t pair = (v % 100) * 2;
    v /= 100;
    *--p = kDigitPairs[pair + 1];
    *--p = kDigitPairs[pair];
  }
  if (v >= 10) {
    *--p = kDigitPairs[v * 2 + 1];
    *--p = kDigitPairs[v * 2];
  } else {
    *--p = static_cast<char>('0' + v);
  }
  const size_t n = static_cast<size_t>(tmp + sizeof(tmp) - p);
  std::memcpy(out, p, n);
  return out + n;
}

// Writes the two decimal digits of v < 100 at out.
inline void WritePair(char* out, uint32_t v) {
  out[0] = kDigitPairs[v * 2];
  out[1] = kDigitPairs[v * 2 + 1];
}

// Writes q < 10^15 as exactly 15 digits, leading zeros included, in 32-bit
// steps (cheap on the 32-bit target too).
void WriteFifteenDigits(char* out, uint64_t q) {
  uint32_t hi = static_cast<uint32_t>(q / 100000000u);  // 7 digits
  uint32_t lo = static_cast<uint32_t>(q % 100000000u);  // 8 digits
  for (int i = 13; i >= 7; i -= 2) {
    WritePair(out + i, lo % 100);
    lo /= 100;
  }
  for (int i = 5; i >= 1; i -= 2) {
    WritePair(out + i, hi % 100);
    hi /= 100;
  }
  out[0] = static_cast<char>('0' + hi);
}

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

// ---- Fixed-notation range: exact integer arithmetic ----

// Exact product of two 64-bit numbers (portable: the 32-bit target has no
// 128-bit integer type).
struct TU128 {
  uint64_t Hi, Lo;
};

TU128 Mul64(uint64_t a, uint64_t b) {
  const uint64_t a0 = a & 0xFFFFFFFFu, a1 = a >> 32;
  const uint64_t b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
  const uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
  const uint64_t mid = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
  return {p11 + (p01 >> 32) + (p10 >> 32) + (mid >> 32), (mid << 32) | (p00 & 0xFFFFFFFFu)};
}

// Bits n and up of p (0 < n < 128); the caller knows they fit in 64 bits.
uint64_t ShiftRight(const TU128& p, int n) {
  if (n >= 64) return p.Hi >> (n - 64);
  return (p.Lo >> n) | (p.Hi << (64 - n));
}

// Bit n of p (0 <= n < 128).
bool BitAt(const TU128& p, int n) {
  return ((n >= 64 ? p.Hi >> (n - 64) : p.Lo >> n) & 1) != 0;
}

// Magnitudes written in fixed notation (0.0001 <= rounded value < 10^15).
// Every such value is normal, 10^s below fits in 64 bits and a * 10^s in 128.
constexpr double kFixedMin = 1e-4;
constexpr double kFixedMax = 1e15;

constexpr uint64_t kPow10[] = {1u,
                               10u,
                               100u,
                               1000u,
                               10000u,
                               100000u,
                               1000000u,
                               10000000u,
                               100000000u,
                               1000000000u,
                               10000000000u,
                               100000000000u,
                               1000000000000u,
                               10000000000000u,
                               100000000000000u,
                               1000000000000000u,
                               10000000000000000u,
                               100000000000000000u,
                               1000000000000000000u,
                               10000000000000000000u};

// The 15-digit rounding of a in [kFixedMin, kFixedMax), exactly. With
// a = m * 2^-n (m < 2^53, 3 <= n <= 66) and s = 15 - E (0 <= s <= 19), the
// 15 digits are floor(a * 10^s) = (m * 10^s) >> n, and bit n-1 of m * 10^s
// tells whether the rest is at least one half: then the last digit goes up,
// which rounds a tie away from zero.
void FixedRangeDigits(double a, TDecimal& d) {
  assert(a >= kFixedMin && a < kFixedMax);
  // a is normal: the stored fraction with its hidden bit, and the exponent
  // such that a lies in [2^(exp2-1), 2^exp2).
  const uint64_t bits = std::bit_cast<uint64_t>(a);
  const uint64_t m = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
  const int exp2 = static_cast<int>(bits >> 52) - 1022;
  const int n = 53 - exp2;
  // E = floor(log10 a) + 1, guessed from the binary exponent: 78913 / 2^18
  // is log10(2) closely enough for these exponents, and the shift floors.
  // The guess is the true E or one short, which the digits tell.
  int E = (((exp2 - 1) * 78913) >> 18) + 1;
  assert(E >= -4 && E <= 15);
  TU128 p = Mul64(m, kPow10[15 - E]);
  uint64_t q = ShiftRight(p, n);
  if (q >= kPow10[15]) {
    ++E;
    p = Mul64(m, kPow10[15 - E]);
    q = ShiftRight(p, n);
  }
  assert(q >= kPow10[14] && q < kPow10[15]);
  if (BitAt(p, n - 1) && ++q == kPow10[15]) {  // carries into a new digit
    q = kPow10[14];
    ++E;
  }
  WriteFifteenDigits(d.Digits, q);
  d.Count = 15;
  d.E = E;
  TrimZeros(d);
}

// ---- Very large and very small magnitudes: library conversion ----

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

char* AppendIntForm(char* out, int32_t value) {
  // The magnitude as unsigned: -2147483648 has no positive int32.
  uint32_t v = static_cast<uint32_t>(value);
  if (value < 0) {
    *out++ = '-';
    v = 0u - v;
  }
  return AppendUnsigned(out, v);
}

char* AppendHexForm(char* out, int32_t value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  uint32_t v = static_cast<uint32_t>(value);
  char tmp[8];
  int n = 0;
  do {
    tmp[n++] = kHex[v & 0xF];
    v >>= 4;
  } while (v != 0);
  while (n > 0) *out++ = tmp[--n];
  return out;
}

char* AppendRealForm(char* out, double value) {
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
  if (value >= kFixedMin && value < kFixedMax) {
    FixedRangeDigits(value, d);
  } else {
    LibraryDigits(value, d);
  }
  return AppendDecimal(out, d);
}

std::string IntForm(int32_t value) {
  char buf[kNumberFormMax];
  return std::string(buf, AppendIntForm(buf, value));
}

std::string HexForm(int32_t value) {
  char buf[kNumberFormMax];
  return std::string(buf, AppendHexForm(buf, value));
}

std::string RealForm(double value) {
  char buf[kNumberFormMax];
  return std::string(buf, AppendRealForm(buf, value));
}

}  // namespace rek
