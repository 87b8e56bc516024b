// The real form's own path: short decimals, the most common values of a
// drawing, written here; the fixed range and everything else out of line
// (real_form_paths.h).
#include "numeric/number_forms.h"

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstring>

#include "numeric/digit_words.h"
#include "numeric/real_form_paths.h"
#include "numeric/word_bits.h"

namespace cadxform {

namespace {

using namespace real_form;

// |v|, computed in an SSE register. (The 32-bit target's C library headers
// make std::fabs the x87 instruction, a round trip through memory.)
double Magnitude(double v) {
#if defined(__GNUC__)
  return __builtin_fabs(v);
#else
  return std::fabs(v);
#endif
}

// Short decimals, the most common values of a drawing: magnitudes below
// 10^8 with at most seven decimals (a drawing's coordinates, and those
// coordinates moved by a point given to seven decimals). N / 10^7 then has
// at most 15 significant digits (N < 10^15). When the double nearest to
// N / 10^7 is a itself, a lies within half a unit in the last place of that
// decimal, far closer than half a unit of the 15th digit, so N / 10^7 is the
// 15-digit rounding of a. This needs exactly rounded double arithmetic (no
// x87 excess precision), hence the guard.
//
// The bound is 10^8 less one unit of the seventh decimal: below it, a * 10^7
// stays below 10^15 - 1/2 and N below 10^15 without a test of its own (the
// one short decimal at the bound goes the general way).
constexpr double kShortMax = 99999999.9999999;
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
  if (!(Magnitude(off) < scaled * 3.5e-16)) return nullptr;
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

}  // namespace

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

std::string RealForm(double value) {
  char buf[kNumberFormMax];
  return std::string(buf, AppendRealForm(buf, value));
}

}  // namespace cadxform
