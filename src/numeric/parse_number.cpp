// Number parsing that never fails: StrToIntOrZero and StrToFloatOrZero.
//
// Both validate the literal grammar themselves (blanks, sign, digits,
// separator, exponent) and only then compute the value, so the locale can
// never change what a text means. They allocate nothing: the exchange-file
// reader calls them for every number of every line.
#include <algorithm>
#include <bit>
#include <cassert>
#include <cfloat>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <system_error>

#include "numeric/parse_padded.h"
#include "numeric/powers_of_ten.h"
#include "numeric/word_bits.h"

namespace cadxform {
namespace {

constexpr const auto& kPow10 = kPow10Real;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Value of a hexadecimal digit (0-9, A-F, a-f), or -1 for any other byte.
int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// text without its leading blanks (code 32 only; a tab is not a blank here).
std::string_view SkipBlanks(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  return text.substr(i);
}

// Strips one leading "+" or "-" from text; returns true for "-".
bool TakeSign(std::string_view& text) {
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    const bool negative = text[0] == '-';
    text.remove_prefix(1);
    return negative;
  }
  return false;
}

// Hex digits to the 32-bit pattern they spell; 0 when there are none, when a
// byte is not a hex digit, or when the value needs more than 32 bits.
// Leading zeros are free: "00000000F" is 15.
int32_t HexDigitsToInt(std::string_view digits) {
  if (digits.empty()) return 0;
  uint32_t value = 0;
  for (char c : digits) {
    const int d = HexDigitValue(c);
    if (d < 0) return 0;
    if (value > 0x0FFFFFFFu) return 0;  // one more digit leaves 32 bits
    value = value * 16 + static_cast<uint32_t>(d);
  }
  return static_cast<int32_t>(value);  // two's complement pattern
}

// Decimal digits with a sign to int32; 0 when there are none, when a byte is
// not a digit, or when the value is outside the int32 range.
int32_t DecimalDigitsToInt(std::string_view digits, bool negative) {
  if (digits.empty()) return 0;
  constexpr uint64_t kLimit = uint64_t{1} << 31;  // magnitude of INT32_MIN
  uint64_t value = 0;
  for (char c : digits) {
    if (!IsDigit(c)) return 0;
    value = value * 10 + static_cast<uint64_t>(c - '0');
    if (value > kLimit) return 0;  // too large whatever follows
  }
  if (negative) return static_cast<int32_t>(-static_cast<int64_t>(value));
  if (value == kLimit) return 0;
  return static_cast<int32_t>(value);
}

// A real literal split by the grammar; the digits are not yet interpreted.
struct TRealLiteral {
  bool Negative = false;
  std::string_view IntDigits;   // digits before the full stop
  std::string_view FracDigits;  // digits after it
  int64_t Exponent = 0;         // the exponent, saturated at +-kExponentCap
};

// Beyond this the exponent alone decides the value (no text that fits in
// memory has enough digits to bring it back into range), so it stops
// growing; the cap keeps every exponent sum far from int64 overflow.
constexpr int64_t kExponentCap = 100'000'000'000'000'000;

// Run of decimal digits at the start of text, removed from it.
std::string_view TakeDigits(std::string_view& text) {
  size_t n = 0;
  while (n < text.size() && IsDigit(text[n])) ++n;
  const std::string_view digits = text.substr(0, n);
  text.remove_prefix(n);
  return digits;
}

// Splits text by the real literal grammar; false when it does not match.
bool ScanRealLiteral(std::string_view text, TRealLiteral& lit) {
  text = SkipBlanks(text);
  lit.Negative = TakeSign(text);
  lit.IntDigits = TakeDigits(text);
  if (!text.empty() && text[0] == '.') {
    text.remove_prefix(1);
    lit.FracDigits = TakeDigits(text);
  }
  if (lit.IntDigits.empty() && lit.FracDigits.empty()) return false;
  if (!text.empty() && (text[0] == 'E' || text[0] == 'e')) {
    text.remove_prefix(1);
    const bool negative = TakeSign(text);
    const std::string_view digits = TakeDigits(text);
    if (digits.empty()) return false;
    int64_t e = 0;
    for (char c : digits) {
      if (e < kExponentCap) e = e * 10 + (c - '0');
    }
    if (e > kExponentCap) e = kExponentCap;
    lit.Exponent = negative ? -e : e;
  }
  return text.empty();
}

double SignedZero(bool negative) { return negative ? -0.0 : 0.0; }

// Short literals: an integer mantissa of at most 2^53 and a power of ten up
// to 1e22 are both exact doubles, so one IEEE multiplication or division
// gives the correctly rounded value. Needs plain double arithmetic (no x87
// excess precision), hence the guard. Returns false when it does not apply.
bool TryShortReal(const TRealLiteral& lit, double& value) {
#if FLT_EVAL_METHOD == 0
  const size_t digitCount = lit.IntDigits.size() + lit.FracDigits.size();
  if (digitCount > 18) return false;  // up to 18 digits fit in int64
  const int64_t scale = lit.Exponent - static_cast<int64_t>(lit.FracDigits.size());
  if (scale < -22 || scale > 22) return false;
  double m = 0;
  if (digitCount <= 9) {
    // Nine digits fit in int32, which is much cheaper on the 32-bit target.
    int32_t m32 = 0;
    for (char c : lit.IntDigits) m32 = m32 * 10 + (c - '0');
    for (char c : lit.FracDigits) m32 = m32 * 10 + (c - '0');
    m = static_cast<double>(m32);
  } else {
    int64_t m64 = 0;
    for (char c : lit.IntDigits) m64 = m64 * 10 + (c - '0');
    for (char c : lit.FracDigits) m64 = m64 * 10 + (c - '0');
    if (m64 > (int64_t{1} << 53)) return false;
    m = static_cast<double>(m64);
  }
  const double v = scale >= 0 ? m * kPow10[scale] : m / kPow10[-scale];
  value = lit.Negative ? -v : v;
  return true;
#else
  (void)lit;
  (void)value;
  return false;
#endif
}

// The common case in one pass: a plain decimal ("1234.5", "-87", ".25")
// without blanks, exponent or more than 18 digits, whose value one IEEE
// multiplication or division gives correctly rounded (as TryShortReal
// explains). Returns false, having decided nothing, for anything else; the
// general path then reads the text again.
bool TryPlainDecimal(std::string_view text, double& value) {
#if FLT_EVAL_METHOD == 0
  const char* p = text.data();
  const char* const end = p + text.size();
  if (p == end) return false;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  // Digits before and after an optional full stop, at most 18 in all, so
  // that the mantissa fits in 64 bits; more go the general way.
  uint64_t m = 0;
  const char* const intStart = p;
  while (p < end && IsDigit(*p)) m = m * 10 + static_cast<uint64_t>(*p++ - '0');
  const ptrdiff_t intCount = p - intStart;
  ptrdiff_t fracCount = 0;
  if (p < end && *p == '.') {
    const char* const fracStart = ++p;
    while (p < end && IsDigit(*p)) m = m * 10 + static_cast<uint64_t>(*p++ - '0');
    fracCount = p - fracStart;
  }
  if (p != end || intCount + fracCount == 0 || intCount + fracCount > 18) return false;
  if (m > (uint64_t{1} << 53)) return false;
  // A whole number needs no division (the commonest case after decimals).
  const double v = fracCount == 0 ? static_cast<double>(m) : static_cast<double>(m) / kPow10[fracCount];
  value = negative ? -v : v;
  return true;
#else
  (void)text;
  (void)value;
  return false;
#endif
}

// ---- Plain decimals sixteen bytes at a time (texts followed by padding) ----
//
// The reader's tokens are followed by readable bytes in their buffer, so a
// token's bytes can be loaded sixteen at a time and checked and combined in
// SSE2 registers without a branch per digit (the lengths of number tokens
// vary from token to token, and loops over their digits would mispredict at
// every end) and without 64-bit integer arithmetic, which the 32-bit target
// does in pairs of 32-bit pieces.

#if CADXFORM_SSE2 && FLT_EVAL_METHOD == 0
// Bit l set where byte lane l of v is a decimal digit.
inline uint32_t DigitLanes(__m128i v) {
  const __m128i d = _mm_sub_epi8(v, _mm_set1_epi8('0'));
  // Unsigned d <= 9 exactly when min(d, 9) == d.
  return static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(d, _mm_set1_epi8(9)), d)));
}

// The whole number spelt by the digit values in byte lanes 0..15 (lane 0
// the most significant), which must be below 2^53: pairs, fours and eights
// by multiply-adds of 16-bit lanes, then the two eights joined as doubles
// (the upper eight times 10^8 is exact below 2^53).
inline double LanesValue(__m128i digits) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i tens = _mm_setr_epi16(10, 1, 10, 1, 10, 1, 10, 1);
  const __m128i pairs = _mm_packs_epi32(_mm_madd_epi16(_mm_unpacklo_epi8(digits, zero), tens),
                                        _mm_madd_epi16(_mm_unpackhi_epi8(digits, zero), tens));
  const __m128i fours = _mm_madd_epi16(pairs, _mm_setr_epi16(100, 1, 100, 1, 100, 1, 100, 1));
  const __m128i eights = _mm_madd_epi16(_mm_packs_epi32(fours, fours), _mm_setr_epi16(10000, 1, 10000, 1, 0, 0, 0, 0));
  const __m128d halves = _mm_mul_pd(_mm_cvtepi32_pd(eights), _mm_setr_pd(1e8, 1.0));
  return _mm_cvtsd_f64(_mm_add_sd(halves, _mm_unpackhi_pd(halves, halves)));
}

// TryPlainDecimal for the text from p to end (after its sign), followed by
// at least 16 readable bytes, for up to 15 digits (a lone "0" before the
// full stop not counted: "0.785398163397448" qualifies). With the full stop
// taken out, the digits d1..dn read as the whole number V = d1..dn 0..0 of
// 15 digits (below 10^15, an exact double), and the value d1..dn / 10^f (f
// decimals) is V / 10^(15 - n + f), one IEEE division of two exact
// doubles, so correctly rounded.
bool TryPlainDecimalInLanes(const char* p, const char* end, bool negative, double& value) {
  p += (end - p >= 2) & (p[0] == '0') & (p[1] == '.');  // *p is padding at worst
  const ptrdiff_t length = end - p;
  if (length < 1 || length > 16) return false;
  // The text from p on, and the same one byte later, for the digits after
  // the full stop; both loads lie within the text and its padding.
  const __m128i here = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i next = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
  const uint32_t inText = (uint32_t{1} << length) - 1;
  const uint32_t other = ~DigitLanes(here) & inText;
  const uint32_t dots = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(here, _mm_set1_epi8('.'))));
  // Digits only, or digits and one full stop.
  if (((other & (other - 1)) != 0) | ((other & ~dots) != 0)) return false;
  // Without a full stop all are digits: the bit at length stands in for it.
  // (Integers and decimals alternate unpredictably: no branch on which.)
  const int intCount = std::countr_zero(other | (uint32_t{1} << length));
  const int digitCount = static_cast<int>(length) - static_cast<int>(other != 0);
  if ((digitCount == 0) | (digitCount > 15)) return false;
  // Digits before the full stop from here, after it from next: d1..dn in
  // lanes 0..n-1, then moved one lane up so that 16 lanes spell V.
  const __m128i before = LanesBelow(intCount);
  const __m128i joined = _mm_or_si128(_mm_and_si128(before, here), _mm_andnot_si128(before, next));
  const __m128i digits = _mm_and_si128(_mm_sub_epi8(joined, _mm_set1_epi8('0')), LanesBelow(digitCount));
  const double v = LanesValue(_mm_slli_si128(digits, 1)) / kPow10[15 - intCount];
  // Multiplying by -1 or 1 is exact (and gives -0 for "-0").
  static constexpr double kSign[] = {1.0, -1.0};
  value = v * kSign[negative];
  return true;
}
#endif

// TryPlainDecimal for a text followed by at least 16 readable bytes that
// the inline word path (StrToFloatOrZeroPadded) has not settled: after its
// sign, a short one in the word, a longer one in SSE2 lanes; without
// either, the plain way.
bool TryPlainDecimalPadded(std::string_view text, double& value) {
  const char* p = text.data();
  const char* const end = p + text.size();
  if (p == end) return false;
  const bool negative = *p == '-';
  const bool sign = (*p == '-') | (*p == '+');
  p += sign;
  if constexpr (kDecimalsInWord) {
    if (end - p <= 8) {
      // Without a sign the word path has already said no.
      double v = 0.0;
      if (!sign || !TryUnsignedDecimalInWord(p, static_cast<size_t>(end - p), v)) return false;
      value = negative ? -v : v;  // exact; -0 for "-0"
      return true;
    }
  }
#if CADXFORM_SSE2 && FLT_EVAL_METHOD == 0
  return TryPlainDecimalInLanes(p, end, negative, value);
#else
  (void)negative;
  return TryPlainDecimal(text, value);
#endif
}

// Any literal. The significant digits (leading zeros dropped) are copied
// into a fixed buffer as "<digits>e<exponent>" and handed to from_chars.
// Correct rounding depends only on the first 769 significant digits and on
// whether anything non-zero follows them, so longer mantissas keep their
// first kKeptDigits digits and a final '1' standing in for a non-zero rest;
// this bounds the buffer and keeps megabyte-long literals linear in time.
double ParseLongReal(const TRealLiteral& lit) {
  constexpr size_t kKeptDigits = 780;
  // Decimal exponent of the first significant digit: the value lies in
  // [10^lead, 10^(lead+1)).
  std::string_view intPart = lit.IntDigits;
  std::string_view fracPart = lit.FracDigits;
  int64_t lead = 0;
  const size_t intFirst = intPart.find_first_not_of('0');
  if (intFirst != std::string_view::npos) {
    intPart.remove_prefix(intFirst);
    lead = static_cast<int64_t>(intPart.size()) - 1;
  } else {
    const size_t fracFirst = fracPart.find_first_not_of('0');
    if (fracFirst == std::string_view::npos) return SignedZero(lit.Negative);
    intPart = {};
    fracPart.remove_prefix(fracFirst);
    lead = -static_cast<int64_t>(fracFirst) - 1;
  }
  const int64_t magnitude = lead + lit.Exponent;
  // Doubles end below 1.8e308; the smallest subnormal is 4.9e-324.
  if (magnitude > 310) return 0.0;  // overflow reads as 0
  if (magnitude < -330) return SignedZero(lit.Negative);

  char buf[kKeptDigits + 1 + 32];
  size_t n = 0;
  bool nonZeroRest = false;
  for (std::string_view part : {intPart, fracPart}) {
    const size_t kept = std::min(part.size(), kKeptDigits - n);
    if (kept > 0) std::memcpy(buf + n, part.data(), kept);
    n += kept;
    if (!nonZeroRest) nonZeroRest = part.find_first_not_of('0', kept) != std::string_view::npos;
  }
  if (nonZeroRest) buf[n++] = '1';
  // buf[0..n) read as an integer times 10^scale gives the value.
  const int64_t scale = magnitude + 1 - static_cast<int64_t>(n);
  buf[n++] = 'e';
  const auto exp = std::to_chars(buf + n, buf + sizeof buf, scale);
  assert(exp.ec == std::errc());
  double v = 0.0;
  const auto res = std::from_chars(buf, exp.ptr, v);
  if (res.ec == std::errc::result_out_of_range) {
    // from_chars leaves v alone when the value is out of range.
    return magnitude > 0 ? 0.0 : SignedZero(lit.Negative);
  }
  assert(res.ec == std::errc() && res.ptr == exp.ptr);
  return lit.Negative ? -v : v;
}

// Texts that are no plain decimal: the grammar, then the value.
double ParseRealLiteral(std::string_view text) {
  TRealLiteral lit;
  if (!ScanRealLiteral(text, lit)) return 0.0;
  double value = 0.0;
  if (TryShortReal(lit, value)) return value;
  return ParseLongReal(lit);
}

}  // namespace

int32_t StrToIntOrZero(std::string_view text) {
  // Most integers of a file are a few digits alone ("3", "15"): up to nine
  // digits fit in int32 whatever they are, so the value needs no checks.
  if (text.size() - 1 < 9) {
    uint32_t value = 0;
    size_t i = 0;
    for (; i < text.size(); ++i) {
      const auto digit = static_cast<uint32_t>(static_cast<unsigned char>(text[i])) - uint32_t{'0'};
      if (digit > 9) break;
      value = value * 10 + digit;
    }
    if (i == text.size()) return static_cast<int32_t>(value);
  }
  text = SkipBlanks(text);
  const bool negative = TakeSign(text);
  if (!text.empty() && (text[0] == '$' || text[0] == 'x' || text[0] == 'X')) {
    return HexDigitsToInt(text.substr(1));
  }
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    return HexDigitsToInt(text.substr(2));
  }
  return DecimalDigitsToInt(text, negative);
}

double StrToFloatOrZero(std::string_view text) {
  double value = 0.0;
  if (TryPlainDecimal(text, value)) return value;
  return ParseRealLiteral(text);
}

double ReadPaddedRealBeyondWord(std::string_view text) {
  double value = 0.0;
  if (TryPlainDecimalPadded(text, value)) return value;
  return StrToFloatOrZero(text);
}

}  // namespace cadxform
