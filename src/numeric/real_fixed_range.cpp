// The real form of magnitudes in the fixed-notation range, 10^-4 to 10^15,
// from their exact 15-digit rounding: a * 10^(15-E) in exact integer
// arithmetic (a 128-bit product, or 32-bit pieces) or, on the 32-bit target,
// as an exact sum of two doubles.
#include <array>
#include <bit>
#include <cassert>
#include <cfloat>
#include <cstring>

#include "numeric/digit_words.h"
#include "numeric/number_forms.h"
#include "numeric/powers_of_ten.h"
#include "numeric/real_form_paths.h"
#include "numeric/word_bits.h"

namespace cadxform::real_form {

namespace {


constexpr const auto& kPow10 = kPow10Int;

// 10^e as doubles for e = -4..15 (index e + 4). For e < 0 the double lies
// just above 10^e, so for any double a, a >= kDecade[e + 4] exactly when
// a >= 10^e.
constexpr double kDecade[] = {1e-4, 1e-3, 1e-2, 1e-1, 1e0,  1e1,  1e2,  1e3,  1e4,  1e5,
                              1e6,  1e7,  1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15};

// What the fixed range needs to know of one binary exponent: a double a of
// this exponent has the decimal exponent E (10^(E-1) <= a < 10^E) of E0,
// or E0 + 1 when its bits are at least Threshold (the bits of 10^E0; a
// binade spans less than a decade). Scale[u] is 10^(15-E) * 2^(64-n) for
// E = E0 + u, with a = m * 2^-n (m the 53-bit significand): the 128-bit
// product m * Scale[u] holds a * 10^(15-E) with its whole part in the high
// word and the fraction in the low one.
struct TBinade {
  uint64_t Threshold;
  uint64_t Scale[2];
  int32_t E0;
};

// Biased exponents of the fixed range: 2^-14 < 10^-4 and 10^15 < 2^50.
constexpr int kFirstBiased = 1023 - 14;
constexpr int kBinades = 64;

// 10^s * 2^(64-n), or 0 where no value of the range needs it. Where one
// does, a * 10^s < 10^15 < 2^50 and m >= 2^52 give 10^s < 2^(n-2): the
// shift loses nothing; for n > 64 (values below 2^-12, so s = 18) the
// 18 low zero bits of 10^18 are what the right shift drops.
constexpr uint64_t ScaleFor(int s, int n) {
  if (s < 0 || s > 19) return 0;
  const uint64_t p = kPow10Int[static_cast<size_t>(s)];
  if (n >= 64) return p >> (n - 64);
  if ((p >> n) != 0) return 0;
  return p << (64 - n);
}

constexpr std::array<TBinade, kBinades> kBinadeTable = [] {
  std::array<TBinade, kBinades> t{};
  double low = 1;  // 2^(exp2 - 1), the binade's least value
  for (int i = 0; i < 14; ++i) low /= 2;
  for (int i = 0; i < kBinades; ++i, low *= 2) {
    const int exp2 = i - 13;  // the binade is [2^(exp2-1), 2^exp2)
    int E0 = -4;
    while (E0 < 15 && low >= kDecade[E0 + 4]) ++E0;
    t[static_cast<size_t>(i)].Threshold = std::bit_cast<uint64_t>(kDecade[E0 + 4]);
    t[static_cast<size_t>(i)].E0 = E0;
    for (int u = 0; u < 2; ++u) t[static_cast<size_t>(i)].Scale[u] = ScaleFor(15 - E0 - u, 53 - exp2);
  }
  return t;
}();

// The row of a's binary exponent, a in [kFixedMin, kFixedMax).
const TBinade& BinadeOf(uint64_t bits) {
  const int i = static_cast<int>(bits >> 52) - kFirstBiased;
  assert(i >= 0 && i < kBinades);
  return kBinadeTable[static_cast<size_t>(i)];
}

#if CADXFORM_INT128 || FLT_EVAL_METHOD != 0 || defined(CADXFORM_PORTABLE)
// The high word of m * scale, rounded: one more when the low word is at
// least one half (bit 63), which rounds a tie away from zero.
#if CADXFORM_INT128
// GCC's 128-bit integer (64-bit targets): one multiplication.
__extension__ typedef unsigned __int128 TU128;

uint64_t RoundedHighWord(uint64_t m, uint64_t scale) {
  const TU128 p = static_cast<TU128>(m) * scale;
  return static_cast<uint64_t>(p >> 64) + (static_cast<uint64_t>(p) >> 63);
}
#else
// The product in 32-bit pieces (a 32-bit target has no 128-bit integer
// type).
uint64_t RoundedHighWord(uint64_t m, uint64_t scale) {
  const uint64_t a0 = m & 0xFFFFFFFFu, a1 = m >> 32;
  const uint64_t b0 = scale & 0xFFFFFFFFu, b1 = scale >> 32;
  const uint64_t p00 = a0 * b0, p01 = a0 * b1, p10 = a1 * b0, p11 = a1 * b1;
  const uint64_t mid = (p00 >> 32) + (p01 & 0xFFFFFFFFu) + (p10 & 0xFFFFFFFFu);
  const uint64_t hi = p11 + (p01 >> 32) + (p10 >> 32) + (mid >> 32);
  return hi + ((mid >> 31) & 1);  // bit 63 of the low word
}
#endif

// The 15-digit rounding of a in [kFixedMin, kFixedMax), exactly: q with
// 10^14 <= q < 10^15 and E such that the rounded value is q * 10^(E-15).
// q = floor(a * 10^(15-E)), one more when the rest is at least one half,
// which rounds a tie away from zero; both come from one product (TBinade).
uint64_t FixedRangeDigits(double a, int& E) {
  const uint64_t bits = std::bit_cast<uint64_t>(a);
  const TBinade& row = BinadeOf(bits);
  // Positive doubles order like their bit patterns; the decade is chosen
  // without a branch (the outcome is unpredictable).
  const int up = static_cast<int>(bits >= row.Threshold);
  E = row.E0 + up;
  // The stored fraction with its hidden bit.
  const uint64_t m = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
  uint64_t q = RoundedHighWord(m, row.Scale[up]);
  assert(q >= kPow10[14] && q <= kPow10[15]);
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

// E = floor(log10 a) + 1 for a in [kFixedMin, kFixedMax), so that
// 10^(E-1) <= a < 10^E.
int DecimalExponent(double a) {
  assert(a >= kFixedMin && a < kFixedMax);
  const uint64_t bits = std::bit_cast<uint64_t>(a);
  const TBinade& row = BinadeOf(bits);
  // Positive doubles order like their bit patterns; an integer comparison
  // adds the 1 without a branch (the outcome is unpredictable).
  return row.E0 + static_cast<int>(bits >= row.Threshold);
}

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

#if CADXFORM_SSE2
// The lanes of a fixed form with its point in lane E (1 <= E <= 14): 0xFF
// in lanes 0..E-1 (Head) and E+1..15 (Tail), '.' in lane E (Point).
struct TPointMasks {
  alignas(16) unsigned char Head[16];
  alignas(16) unsigned char Tail[16];
  alignas(16) unsigned char Point[16];
};

constexpr std::array<TPointMasks, 16> kPointMasks = [] {
  std::array<TPointMasks, 16> t{};
  for (size_t e = 0; e < t.size(); ++e) {
    for (size_t lane = 0; lane < 16; ++lane) {
      t[e].Head[lane] = lane < e ? 0xFF : 0;
      t[e].Tail[lane] = lane > e ? 0xFF : 0;
      t[e].Point[lane] = lane == e ? '.' : 0;
    }
  }
  return t;
}();

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
  const TPointMasks& masks = kPointMasks[E];
  const __m128i head = _mm_and_si128(significant, _mm_load_si128(reinterpret_cast<const __m128i*>(masks.Head)));
  const __m128i tail = _mm_and_si128(digits, _mm_load_si128(reinterpret_cast<const __m128i*>(masks.Tail)));
  const __m128i point = _mm_load_si128(reinterpret_cast<const __m128i*>(masks.Point));
  const __m128i line = _mm_or_si128(_mm_or_si128(head, tail), point);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), line);
  return out + count + 1;
}
#endif

}  // namespace

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

}  // namespace cadxform::real_form
