#include "numeric/number_forms.h"

#include "numeric/powers_of_ten.h"
#include "numeric/word_bits.h"

#include <bit>
#include <cassert>
#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstring>

namespace cadxform {

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

// Magnitudes written in fixed notation (0.0001 <= rounded value < 10^15).
// Every such value is normal, 10^s below fits in 64 bits and a * 10^s in 128.
constexpr double kFixedMin = 1e-4;
constexpr double kFixedMax = 1e15;

constexpr const auto& kPow10 = kPow10Int;

// 10^e as doubles for e = -4..15 (index e + 4). For e < 0 the double lies
// just above 10^e, so for any double a, a >= kDecade[e + 4] exactly when
// a >= 10^e.
constexpr double kDecade[] = {1e-4, 1e-3, 1e-2, 1e-1, 1e0,  1e1,  1e2,  1e3,  1e4,  1e5,
                              1e6,  1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// E = floor(log10 a) + 1 for a in [kFixedMin, kFixedMax), so that
// 10^(E-1) <= a < 10^E.
int DecimalExponent(double a) {
  assert(a >= kFixedMin && a < kFixedMax);
  // a is normal, and lies in [2^(exp2-1), 2^exp2).
  const uint64_t bits = std::bit_cast<uint64_t>(a);
  const int exp2 = static_cast<int>(bits >> 52) - 1022;
  // Guessed from the binary exponent: 78913 / 2^18 is log10(2) closely
  // enough for these exponents, and the shift floors. The guess is the true
  // E or one short, which one comparison settles.
  const int E = (((exp2 - 1) * 78913) >> 18) + 1;
  assert(E >= -4 && E <= 15);
  // Positive doubles order like their bit patterns; an integer comparison
  // adds the 1 without a branch (the outcome is unpredictable).
  return E + static_cast<int>(bits >= std::bit_cast<uint64_t>(kDecade[E + 4]));
}

#if CADXFORM_INT128 || FLT_EVAL_METHOD != 0 || defined(CADXFORM_PORTABLE)
// m * 10^s (m < 2^53, s <= 19) shifted right by n (3 <= n <= 65): returns
// the bits from n up (they fit in 64 bits) and sets `half` to bit n - 1.
#if CADXFORM_INT128
// GCC's 128-bit integer (64-bit targets): one multiplication.
__extension__ typedef unsigned __int128 TU128;

uint64_t ScaledBits(uint64_t m, int s, int n, bool& half) {
  const TU128 p = static_cast<TU128>(m) * kPow10[s];
  half = ((p >> (n - 1)) & 1) != 0;
  return static_cast<uint64_t>(p >> n);
}
#else
// Exact product of two 64-bit numbers, in 32-bit pieces (a 32-bit target
// has no 128-bit integer type).
uint64_t ScaledBits(uint64_t m, int s, int n, bool& half) {
  const uint64_t b = kPow10[s];
  const uint64_t a0 = m & 0xFFFFFFFFu, a1 = m >> 32;
  const uint64_t b0 = b & 0xFFFFFFFFu, b1 = b >> 32;
  const uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
  const uint64_t mid = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
  const uint64_t hi = p11 + (p01 >> 32) + (p10 >> 32) + (mid >> 32);
  const uint64_t lo = (mid << 32) | (p00 & 0xFFFFFFFFu);
  const int h = n - 1;
  half = ((h >= 64 ? hi >> (h - 64) : lo >> h) & 1) != 0;
  return n >= 64 ? hi >> (n - 64) : (lo >> n) | (hi << (64 - n));
}
#endif

// The 15-digit rounding of a in [kFixedMin, kFixedMax), exactly: q with
// 10^14 <= q < 10^15 and E such that the rounded value is q * 10^(E-15).
// With a = m * 2^-n (m < 2^53, 3 <= n <= 65) and s = 15 - E (0 <= s <= 19),
// q = floor(a * 10^s) = (m * 10^s) >> n, and bit n-1 of m * 10^s tells
// whether the rest is at least one half: then q goes up, which rounds a tie
// away from zero.
uint64_t FixedRangeDigits(double a, int& E) {
  // The stored fraction with its hidden bit, and the binary exponent.
  const uint64_t bits = std::bit_cast<uint64_t>(a);
  const uint64_t m = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
  const int exp2 = static_cast<int>(bits >> 52) - 1022;
  E = DecimalExponent(a);
  bool half = false;
  uint64_t q = ScaledBits(m, 15 - E, 53 - exp2, half);
  assert(q >= kPow10[14] && q < kPow10[15]);
  q += half ? 1 : 0;  // the rounding bit is random: added, not branched on
  if (q == kPow10[15]) {  // carries into a new digit
    q = kPow10[14];
    ++E;
  }
  return q;
}

// FixedRangeDigits as d1..d7 (high) and d8..d15 (low).
void FixedRangeHalves(double a, int& E, uint32_t& high, uint32_t& low) {
  const uint64_t q = FixedRangeDigits(a, E);
  if constexpr (kWideRegisters) {
    high = static_cast<uint32_t>(q / 100000000u);
  } else {
    // The 64-bit division is a library call here. q < 10^15 is an exact
    // double, and q / 10^8 (below 10^7) is a whole number or at least 10^-8
    // from one, far more than the division's rounding error (below 10^-9),
    // so the truncated double quotient is exact.
    high = static_cast<uint32_t>(static_cast<int32_t>(ExactDouble(q) / 1e8));
  }
  // The remainder is below 10^8, so 32-bit arithmetic modulo 2^32 gives it.
  low = static_cast<uint32_t>(q) - high * 100000000u;
}
#else
// The 32-bit target with plain double arithmetic: the product a * 10^s is
// taken exactly as the sum of two doubles instead of in 32-bit integer
// pieces.

// x * y == hi + lo exactly (no overflow or underflow): Veltkamp's split of
// each factor into halves of at most 26 significant bits, whose products
// are exact, and Dekker's sum of them.
void ExactProduct(double x, double y, double& hi, double& lo) {
  constexpr double kSplitter = 134217729.0;  // 2^27 + 1
  const double cx = kSplitter * x;
  const double xHigh = cx - (cx - x);
  const double xLow = x - xHigh;
  const double cy = kSplitter * y;
  const double yHigh = cy - (cy - y);
  const double yLow = y - yHigh;
  hi = x * y;
  lo = ((xHigh * yHigh - hi) + xHigh * yLow + xLow * yHigh) + xLow * yLow;
}

// The 15-digit rounding of a in [kFixedMin, kFixedMax), exactly, as d1..d7
// (high) and d8..d15 (low), with E such that the rounded value is
// 0.d1..d15 x 10^E. With s = 15 - E, a * 10^s == hi + lo lies in
// [10^14, 10^15), where a double's unit in the last place is 2^-6 or more,
// so hi less its whole part w is an exact multiple of that unit (as is one
// half) and |lo| is at most half of it. The rest hi + lo - w is therefore at
// least one half exactly when hi - w is above one half, or equal to it with
// lo >= 0; then the digits go up, which rounds a tie away from zero. (When
// hi - w is 0 and lo < 0, the whole part is w - 1 and the rest above one
// half: the result is w, as the rule gives.)
void FixedRangeHalves(double a, int& E, uint32_t& high, uint32_t& low) {
  E = DecimalExponent(a);
  double hi = 0, lo = 0;
  ExactProduct(a, kPow10Real[15 - E], hi, lo);
  // w = floor(hi): hi < 2^50, so adding and taking away 2^52 rounds it to a
  // whole number, which is one too big when it lies above hi. Outcomes are
  // random: added, not branched on.
  const double two52 = std::bit_cast<double>(kTwo52Bits);
  double whole = (hi + two52) - two52;
  whole -= static_cast<double>(whole > hi);
  const double rest = hi - whole;  // exact: both within a factor of 2
  const bool up = (rest > 0.5) | ((rest == 0.5) & (lo >= 0));
  double q = whole + static_cast<double>(up);
  if (q == 1e15) {  // carries into a new digit
    q = 1e14;
    ++E;
  }
  // q / 10^8 (below 10^7) is a whole number or at least 10^-8 from one, so
  // (q + 0.5) * 10^-8 lies at least 0.5e-8 inside the unit of the whole
  // part; the product's error is below 2e-9, so truncating it gives the
  // whole part without a division. The remainder is exact in doubles below
  // 2^53.
  const double upper = static_cast<double>(static_cast<int32_t>((q + 0.5) * 1e-8));
  high = static_cast<uint32_t>(upper);
  low = static_cast<uint32_t>(static_cast<int32_t>(q - upper * 1e8));
}
#endif

#if !CADXFORM_SSE2
// The eight decimal digits of v < 10^8 (leading zeros included) as ASCII
// bytes in one 64-bit word, the first digit in the lowest byte, so that
// storing the word little-endian writes them in reading order. Splits into
// halves, quarters and single digits in parallel lanes of the word; each
// multiply-and-shift below is an exact division for its lane's range.
uint64_t EightDigits(uint32_t v) {
  if constexpr (kWideRegisters) {
    // Two 4-digit lanes of 32 bits: x / 100 == (x * 10486) >> 20 for x < 10^4.
    uint64_t w = (v / 10000u) | (static_cast<uint64_t>(v % 10000u) << 32);
    const uint64_t hundreds = ((w * 10486u) >> 20) & 0x0000007F0000007Fu;
    w = hundreds | ((w - hundreds * 100u) << 16);
    // Four 2-digit lanes of 16 bits: x / 10 == (x * 103) >> 10 for x < 100.
    const uint64_t tens = ((w * 103u) >> 10) & 0x000F000F000F000Fu;
    w = tens | ((w - tens * 10u) << 8);
    return w + 0x3030303030303030u;  // '0' in every byte
  } else {
    // The same for each 4-digit half in its own 32-bit word.
    auto fourDigits = [](uint32_t x) {
      const uint32_t hundreds = (x * 10486u) >> 20;
      uint32_t w = hundreds | ((x - hundreds * 100u) << 16);
      const uint32_t tens = ((w * 103u) >> 10) & 0x000F000Fu;
      w = tens | ((w - tens * 10u) << 8);
      return w + 0x30303030u;
    };
    return fourDigits(v / 10000u) | (static_cast<uint64_t>(fourDigits(v % 10000u)) << 32);
  }
}

#endif

// Stores the 8 bytes of w at p, lowest byte first, on any host.
inline void StoreWord(char* p, uint64_t w) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(p, &w, 8);
  } else {
    for (int i = 0; i < 8; ++i) p[i] = static_cast<char>(w >> (8 * i));
  }
}

#if !CADXFORM_SSE2
// Number of '0' bytes at the high end of a word of ASCII digits.
inline int HighZeroDigits(uint64_t digits) {
  const uint64_t other = digits ^ 0x3030303030303030u;  // 0 where a '0' is
  return CountHighZeros(other) / 8;  // 64 / 8 when all are '0'
}
#endif

#if CADXFORM_SSE2
// The eight decimal digits of a < 10^8 and of b < 10^8 (leading zeros
// included) as ASCII bytes, a's in lanes 0..7 and b's in lanes 8..15, the
// first digit lowest. In SSE2 lanes, without 64-bit integer arithmetic:
// each number splits into two 4-digit halves x (x / 10^4 by a multiply and
// shift), each half is spread over four 16-bit lanes as x / 1000, x / 100,
// x / 10 and x (4x times 2^16 / 10^k rounded up, high halves, which is exact
// for x < 10^4), and each lane less ten times the lane before it is one digit.
inline __m128i SixteenDigits(uint32_t a, uint32_t b) {
  const __m128i v = _mm_unpacklo_epi64(_mm_cvtsi32_si128(static_cast<int>(a)), _mm_cvtsi32_si128(static_cast<int>(b)));
  // x / 10^4 == (x * 0xD1B71759) >> 45 for x < 2^32.
  const __m128i high = _mm_srli_epi64(_mm_mul_epu32(v, _mm_set1_epi32(static_cast<int>(0xD1B71759u))), 45);
  const __m128i low = _mm_sub_epi32(v, _mm_mul_epu32(high, _mm_set1_epi32(10000)));
  // 16-bit lanes: a's halves in lanes 0 and 1, b's in 4 and 5.
  const __m128i halves = _mm_or_si128(high, _mm_slli_epi64(low, 16));
  // Each half times 4, four times over: lanes 0..3 the first half, 4..7 the second.
  const __m128i times4 = _mm_slli_epi16(halves, 2);
  const __m128i aHalves = _mm_unpacklo_epi32(_mm_unpacklo_epi16(times4, times4), _mm_unpacklo_epi16(times4, times4));
  const __m128i bHalves = _mm_unpacklo_epi32(_mm_unpackhi_epi16(times4, times4), _mm_unpackhi_epi16(times4, times4));
  const __m128i divide = _mm_setr_epi16(8389, 5243, 13108, -32768, 8389, 5243, 13108, -32768);
  const __m128i shift = _mm_setr_epi16(1 << 7, 1 << 11, 1 << 13, -32768, 1 << 7, 1 << 11, 1 << 13, -32768);
  const __m128i ten = _mm_set1_epi16(10);
  auto digitsOf = [&](__m128i x4) {
    const __m128i prefixes = _mm_mulhi_epu16(_mm_mulhi_epu16(x4, divide), shift);
    return _mm_sub_epi16(prefixes, _mm_slli_epi64(_mm_mullo_epi16(prefixes, ten), 16));
  };
  return _mm_add_epi8(_mm_packus_epi16(digitsOf(aHalves), digitsOf(bHalves)), _mm_set1_epi8('0'));
}

// Bit l set where byte lane l of v is the digit '0'.
inline uint32_t ZeroDigitLanes(__m128i v) {
  return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, _mm_set1_epi8('0'))));
}
#endif

// Short decimals, the most common values of a drawing: magnitudes below
// 10^8 with at most seven decimals (a drawing's coordinates, and those
// coordinates moved by a point given to seven decimals). N / 10^7 then has
// at most 15 significant digits (N < 10^15). When the double nearest to
// N / 10^7 is a itself, a lies within half a unit in the last place of that
// decimal, far closer than half a unit of the 15th digit, so N / 10^7 is the
// 15-digit rounding of a. This needs exactly rounded double arithmetic (no
// x87 excess precision), hence the guard.
constexpr double kShortMax = 1e8;
constexpr double kShortScale = 1e7;
constexpr uint64_t kShortUnits = 10000000u;  // kShortScale as an integer

// Writes a in the real form and returns the end, or nullptr when a is no
// short decimal (nothing useful is written then).
char* TryShortDecimal(char* out, double a) {
#if FLT_EVAL_METHOD == 0
  if (!(a < kShortMax)) return nullptr;
  // a * 10^7 < 10^15 < 2^53: the product is off a short decimal's N by less
  // than 0.25, so the nearest whole number is N. Adding and taking away 2^52
  // rounds to it (the product is below 2^52), in exact double arithmetic
  // without an integer conversion (a trip through the x87 unit on the 32-bit
  // target). Any other N is caught by the test below, which alone decides.
  const double scaled = a * kShortScale;
  const double two52 = std::bit_cast<double>(kTwo52Bits);
  const double biased = scaled + two52;  // 2^52 + N, N in the stored fraction
  const double n = biased - two52;
  // N / 10^7 is a's 15-digit rounding when a lies within half a unit of the
  // 15th digit of it. That half unit exceeds a * 0.5e-15, so
  // |a * 10^7 - N| < scaled * 0.5e-15 suffices. off is exact (scaled and N
  // are within a factor of 2), and scaled is off a * 10^7 by at most
  // scaled * 2^-53, for which the smaller factor leaves room; a tie never
  // passes. A short decimal as read (a the double nearest to N / 10^7) is
  // off by at most twice 2^-53 of scaled, and so are most sums of two of
  // them. Whole numbers from 10^8 up need more than eight digits before the
  // point and go the general way. (No division and no branch on whether a is
  // exactly the short decimal: for moved coordinates that is unpredictable.)
  const double off = scaled - n;
  if (!((off < scaled * 3.5e-16) & (off > scaled * -3.5e-16) & (n < kShortMax * kShortScale))) return nullptr;
  // Whole part below 10^8 and fraction below 10^7. N / 10^7 is a whole
  // number or at least 10^-7 from one, so (N + 0.5) * 10^-7 lies at least
  // 0.5e-7 inside the whole part's unit; the product's error is below 2e-8,
  // so truncating it gives the whole part without a division (and no 64-bit
  // one, a library call on the 32-bit target). The fraction is below 2^32,
  // so the low 32 bits of N suffice for it.
  const auto whole = static_cast<uint32_t>(static_cast<int32_t>((n + 0.5) * 1e-7));
  const auto nLow = static_cast<uint32_t>(std::bit_cast<uint64_t>(biased));
  const uint32_t fraction = nLow - whole * static_cast<uint32_t>(kShortUnits);
#if CADXFORM_SSE2
  // The whole part's eight digits, then the fraction's, whose first is
  // always '0' and becomes the point.
  const __m128i both = _mm_sub_epi8(SixteenDigits(whole, fraction), _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, '0' - '.', 0, 0, 0, 0, 0, 0, 0));
  const uint32_t zeros = ZeroDigitLanes(both);
  // The whole part without its leading zeros ("0" stays).
  const int lead = std::countr_zero(~zeros | 0x80u);
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_srl_epi64(both, _mm_cvtsi32_si128(8 * lead)));
  out += 8 - lead;
  // "." and the seven decimals without their trailing zeros; both are
  // written for a whole number too, which then ends before the point
  // (whole numbers and decimals alternate unpredictably).
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_srli_si128(both, 8));
  const int digits = std::bit_width(~zeros >> 9 & 0x7Fu);
#else
  // The whole part without its leading zeros ("0" stays).
  const uint64_t wholeDigits = EightDigits(whole);
  int lead = CountLowZeros(wholeDigits ^ 0x3030303030303030u) / 8;
  if (lead > 7) lead = 7;
  StoreWord(out, wholeDigits >> (8 * lead));
  out += 8 - lead;
  // "." and the seven decimals without their trailing zeros; both are
  // written for a whole number too, which then ends before the point
  // (whole numbers and decimals alternate unpredictably).
  const uint64_t decimals = EightDigits(fraction) >> 8;
  const int digits = 8 - HighZeroDigits(decimals | (uint64_t{0x30} << 56));
  *out = '.';
  StoreWord(out + 1, decimals);
#endif
  return out + digits + (digits > 0 ? 1 : 0);
#else
  (void)out;
  (void)a;
  return nullptr;
#endif
}

#if CADXFORM_SSE2
// Writes the 15 rounded digits d1..d15 (in lanes 1..15 of digits, lane 0
// '0') of the value 0.d1..d15 x 10^E, -3 <= E <= 15, in fixed notation
// without trailing zeros; returns the end. Stores 16 bytes at a time: bytes
// after the form, up to 21 from out, may be overwritten.
char* WriteFixedDigits(char* out, __m128i digits, int E) {
  // Significant digits: the last lane that is no '0' (d1 never is).
  const int count = std::bit_width(~ZeroDigitLanes(digits) & 0xFFFEu) - 1;
  const __m128i significant = _mm_srli_si128(digits, 1);  // d1..d15 in lanes 0..14
  if (E <= 0) {
    // "0.", -E zeros (at most 3), then the digits.
    StoreWord(out, 0x3030303030302E30u);  // "0.000000"
    out += 2 - E;
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), significant);
    return out + count;
  }
  if (count <= E) {  // a whole number: zeros up to E digits
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), significant);
    return out + E;
  }
  // d1..dE in lanes 0..E-1, the point in lane E, d(E+1).. from lane E+1
  // on, where the digits stand in lanes of the same number.
  const __m128i head = LanesBelow(E);
  const __m128i point = _mm_andnot_si128(head, LanesBelow(E + 1));
  const __m128i line = _mm_or_si128(_mm_or_si128(_mm_and_si128(head, significant), _mm_and_si128(point, _mm_set1_epi8('.'))),
                                    _mm_andnot_si128(LanesBelow(E + 1), digits));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), line);
  return out + count + 1;
}
#endif

// Writes a magnitude in [kFixedMin, kFixedMax) in the real form, straight
// from the 15 rounded digits; only a value that rounds up to 10^15 leaves
// the fixed notation. The digits are built two words at a time and stored
// in fixed-size pieces: bytes after the form, up to kNumberFormMax from
// out, may be overwritten.
char* AppendFixedRange(char* out, double a) {
  static_assert(kNumberFormMax >= 32, "the fixed-size stores need 32 bytes of room");
  int E = 0;
  uint32_t high = 0, low = 0;  // d1..d7 and d8..d15 as numbers
  FixedRangeHalves(a, E, high, low);
  if (E > 15) {  // 999999999999999.5 and up: "1E15"
    std::memcpy(out, "1E15", 4);
    return out + 4;
  }
#if CADXFORM_SSE2
  return WriteFixedDigits(out, SixteenDigits(high, low), E);
#else
  // The 15 digits as 16 bytes lo, hi (the last byte 0): d1..d7 from the
  // first word without its leading '0', then d8..d15.
  const uint64_t first = EightDigits(high) >> 8;
  const uint64_t last = EightDigits(low);
  const uint64_t lo = first | (last << 56);
  const uint64_t hi = last >> 8;
  // Significant digits: 15 less the trailing zeros (d1 is never '0').
  const int zerosInLast = HighZeroDigits(last);
  const int count = zerosInLast < 8 ? 15 - zerosInLast : 8 - HighZeroDigits(first | (uint64_t{0x30} << 56));
  if (E <= 0) {
    // "0.", -E zeros (at most 3), then the digits.
    StoreWord(out, 0x3030303030302E30u);  // "0.000000"
    out += 2 - E;
    StoreWord(out, lo);
    StoreWord(out + 8, hi);
    return out + count;
  }
  StoreWord(out, lo);
  StoreWord(out + 8, hi);
  if (count <= E) return out + E;  // a whole number: zeros up to E digits
  // The digits from d(E+1) on, moved one place right for the point.
  const int shift = 8 * E;
  const uint64_t rest1 = shift < 64 ? (lo >> shift) | (hi << (64 - shift)) : hi >> (shift - 64);
  const uint64_t rest2 = shift < 64 ? hi >> shift : 0;
  out[E] = '.';
  StoreWord(out + E + 1, rest1);
  StoreWord(out + E + 9, rest2);
  return out + count + 1;
#endif
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

// |v|, computed in an SSE register. (The 32-bit target's C library headers
// make std::fabs the x87 instruction, a round trip through memory.)
double Magnitude(double v) {
#if defined(__GNUC__)
  return __builtin_fabs(v);
#else
  return std::fabs(v);
#endif
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
  const double a = Magnitude(value);
  if (a >= kFixedMin && a < kFixedMax) {  // never true for zero, INF or NAN
    // The sign without a branch: signs of coordinates are unpredictable.
    *out = '-';
    out += std::signbit(value) ? 1 : 0;
    if (char* end = TryShortDecimal(out, a)) return end;
    return AppendFixedRange(out, a);
  }
  return AppendOtherReal(out, value);
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

}  // namespace cadxform
