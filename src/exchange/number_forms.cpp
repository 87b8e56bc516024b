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

// Writes the decimal digits of v (no sign, at least one digit) and returns the end.
char* AppendUnsigned(char* out, uint64_t v) {
  char tmp[20];
  char* p = tmp + sizeof(tmp);
  while (v >= 100) {
    const unsigned pair = static_cast<unsigned>(v % 100) * 2;
    v /= 100;
    *--p = kDigitPairs[pair + 1];
    *--p = kDigitPairs[pair];
  }
  if (v >= 10) {
    const unsigned pair = static_cast<unsigned>(v) * 2;
    *--p = kDigitPairs[pair + 1];
    *--p = kDigitPairs[pair];
  } else {
    *--p = static_cast<char>('0' + v);
  }
  const size_t n = static_cast<size_t>(tmp + sizeof(tmp) - p);
  std::memcpy(out, p, n);
  return out + n;
}

// Significant digits of a magnitude: d1..dn (n 1..15, d1 not '0', no
// trailing '0') with the value 0.d1..dn x 10^E.
struct TDecimal {
  char Digits[17];
  int Count;
  int E;
};

// Exact powers of ten that a double holds (10^0 .. 10^22).
constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                             1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                             1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// Most decimals the quick test below tries; drawing coordinates rarely have
// more, and anything else goes the general way.
constexpr int kQuickDecimals = 8;

// Quick way for the common drawing value: a magnitude below 1e15 that some
// N / 10^k (N below 10^15, k <= kQuickDecimals) rounds to. Such an N has at
// most 15 significant digits, and any decimal of at most 15 significant
// digits that rounds to a normal double lies closer to it than half a unit
// of its 15th digit (a double carries more than 15.9 digits), so N / 10^k
// IS the 15-digit rounding. The division of two exact doubles is correctly
// rounded, so the test is exact. Writes the fixed form of the magnitude and
// returns the end, or nullptr when the value needs the general way.
char* AppendQuickFixed(char* out, double a) {
  if (!(a < 1e15 && a >= 1e-3)) return nullptr;
  for (int k = 0; k <= kQuickDecimals; ++k) {
    const double scaled = a * kPow10[k];
    if (scaled >= 1e15) return nullptr;
    const uint64_t n = static_cast<uint64_t>(scaled + 0.5);
    if (static_cast<double>(n) / kPow10[k] != a) continue;
    if (k == 0) return AppendUnsigned(out, n);
    const uint64_t ip = n / static_cast<uint64_t>(kPow10[k]);
    uint64_t fp = n % static_cast<uint64_t>(kPow10[k]);
    // The first k that works gives the shortest digits, so fp ends in a
    // non-zero digit.
    assert(fp % 10 != 0);
    out = AppendUnsigned(out, ip);
    *out++ = '.';
    for (int i = k - 1; i >= 0; --i) {
      out[i] = static_cast<char>('0' + fp % 10);
      fp /= 10;
    }
    return out + k;
  }
  return nullptr;
}

// Reads "d.ddd...e+XX" as written by std::to_chars in scientific format into
// digits and exponent, dropping the full stop and trailing zeros.
void ReadScientific(const char* p, const char* end, TDecimal& d) {
  int n = 0;
  while (p < end && *p != 'e') {
    if (*p != '.') d.Digits[n++] = *p;
    ++p;
  }
  assert(p < end && n <= 16);
  int exp10 = 0;
  std::from_chars(p + (p[1] == '+' ? 2 : 1), end, exp10);
  while (n > 1 && d.Digits[n - 1] == '0') --n;
  d.Count = n;
  d.E = exp10 + 1;
}

// True when the magnitude a lies exactly halfway between two 15-digit
// decimals of its decade, taking E (a = 0.d1d2.. x 10^E) from the
// ties-to-even rounding. With a = m * 2^k, m odd, and s = 15 - E, a tie
// means a * 10^s is an odd multiple of 1/2:
//   s >= 0: a * 2^(s+1) * 5^s is odd  <=>  k == -(s+1);
//   s <  0: 2a / 10^-s is odd         <=>  k == -s-1 and 5^-s divides m.
// Should the rounding have carried into a new decade (E one too big), the
// value had more than 15 digits right below a power of ten, and neither
// condition can hold, so E from the rounded text is safe to use.
bool IsFifteenDigitTie(double a, int E) {
  int exp2 = 0;
  const double frac = std::frexp(a, &exp2);  // a = frac * 2^exp2, frac in [0.5, 1)
  uint64_t m = static_cast<uint64_t>(std::ldexp(frac, 53));  // exact: 53 bits
  int k = exp2 - 53;
  const int tz = std::countr_zero(m);
  m >>= tz;
  k += tz;
  const int s = 15 - E;
  if (s >= 0) return k == -(s + 1);
  const int u = -s;
  if (k != u - 1 || u > 22) return false;  // 5^23 exceeds any 53-bit m
  uint64_t p5 = 1;
  for (int i = 0; i < u; ++i) p5 *= 5;
  return m % p5 == 0;
}

// Adds one unit in the last of 15 digits (rounding a tie away from zero).
void RoundUpLastDigit(TDecimal& d) {
  // Pad to 15 digits, increment, then trim trailing zeros again.
  for (int i = d.Count; i < 15; ++i) d.Digits[i] = '0';
  int i = 14;
  while (i >= 0 && d.Digits[i] == '9') d.Digits[i--] = '0';
  if (i < 0) {
    d.Digits[0] = '1';
    d.E += 1;
  } else {
    ++d.Digits[i];
  }
  int n = 15;
  while (n > 1 && d.Digits[n - 1] == '0') --n;
  d.Count = n;
}

// The general way: 15 significant digits of the positive finite magnitude a,
// rounded half away from zero.
void FifteenDigits(double a, TDecimal& d) {
  char buf[40];
  // Shortest round-trip digits; when there are at most 15 and the value is
  // normal, they are the 15-digit rounding (see AppendQuickFixed).
  auto r = std::to_chars(buf, buf + sizeof(buf), a, std::chars_format::scientific);
  assert(r.ec == std::errc());
  const char* e = static_cast<const char*>(std::memchr(buf, 'e', static_cast<size_t>(r.ptr - buf)));
  const int shortDigits = static_cast<int>(e - buf) - (e - buf > 1 ? 1 : 0);
  if (shortDigits <= 15 && a >= 2.2250738585072014e-308) {
    ReadScientific(buf, r.ptr, d);
    return;
  }
  // Correctly rounded to 15 digits, but ties go to even: mend exact ties.
  r = std::to_chars(buf, buf + sizeof(buf), a, std::chars_format::scientific, 14);
  assert(r.ec == std::errc());
  ReadScientific(buf, r.ptr, d);
  const char last = d.Count == 15 ? d.Digits[14] : '0';
  if ((last - '0') % 2 == 0 && IsFifteenDigitTie(a, d.E)) RoundUpLastDigit(d);
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
  return AppendUnsigned(out, static_cast<uint64_t>(x));
}

}  // namespace

char* AppendIntForm(char* out, int32_t value) {
  // Widen first: -2147483648 has no positive int32 counterpart.
  int64_t v = value;
  if (v < 0) {
    *out++ = '-';
    v = -v;
  }
  return AppendUnsigned(out, static_cast<uint64_t>(v));
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
  if (value == 0) {
    *out = '0';
    return out + 1;
  }
  if (std::signbit(value)) {
    *out++ = '-';
    value = -value;
  }
  if (std::isinf(value)) {
    std::memcpy(out, "INF", 3);
    return out + 3;
  }
  if (char* end = AppendQuickFixed(out, value)) return end;
  TDecimal d;
  FifteenDigits(value, d);
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
