// The parsers that can fail: the same grammar and values as StrToIntOrZero
// and StrToFloatOrZero, with "not a number" told apart from 0. A result
// other than 0 is a valid literal; a 0 is one only when the text is a
// literal of zero (or, for reals, one that underflows to zero).
#include <cstddef>

#include "cadxform/parse_number.h"

namespace cadxform {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// text without its leading blanks (0x20 only) and one sign.
std::string_view WithoutBlanksAndSign(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  return text.substr(i);
}

// True for digits (at least one) that are all zero: "0", "000".
bool AllZeros(std::string_view digits) { return !digits.empty() && digits.find_first_not_of('0') == digits.npos; }

// An integer literal whose value is zero: decimal or hex zeros.
bool IsZeroIntLiteral(std::string_view text) {
  text = WithoutBlanksAndSign(text);
  if (!text.empty() && (text[0] == '$' || text[0] == 'x' || text[0] == 'X')) return AllZeros(text.substr(1));
  if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) return AllZeros(text.substr(2));
  return AllZeros(text);
}

// The parts of a real literal: its mantissa digits and where the first
// non-zero one stands, its exponent; false when text is no literal.
struct TRealShape {
  bool AnyNonZero = false;
  long long Magnitude = 0;  // decimal exponent of the first non-zero digit
};

// Beyond this an exponent alone decides (no text in memory has as many
// digits); it keeps every sum far from overflow.
constexpr long long kExponentCap = 1'000'000'000'000'000;

bool ShapeOf(std::string_view text, TRealShape& shape) {
  text = WithoutBlanksAndSign(text);
  size_t i = 0, digits = 0;
  long long position = 0;  // digits before the point, less leading zeros
  bool seenNonZero = false, afterPoint = false;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '.' && !afterPoint) {
      afterPoint = true;
      continue;
    }
    if (!IsDigit(c)) break;
    ++digits;
    if (c != '0' && !seenNonZero) {
      seenNonZero = true;
      if (afterPoint) --position;
    } else if (!seenNonZero && afterPoint) {
      --position;
    } else if (seenNonZero && !afterPoint) {
      ++position;
    }
  }
  if (digits == 0) return false;
  long long exponent = 0;
  if (i < text.size() && (text[i] == 'E' || text[i] == 'e')) {
    ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    const size_t start = i;
    for (; i < text.size() && IsDigit(text[i]); ++i) {
      if (exponent < kExponentCap) exponent = exponent * 10 + (text[i] - '0');
    }
    if (i == start) return false;
    if (negative) exponent = -exponent;
  }
  if (i != text.size()) return false;
  shape.AnyNonZero = seenNonZero;
  shape.Magnitude = position + exponent;
  return true;
}

}  // namespace

std::optional<int32_t> TryStrToInt(std::string_view text) {
  const int32_t value = StrToIntOrZero(text);
  if (value != 0 || IsZeroIntLiteral(text)) return value;
  return std::nullopt;
}

std::optional<double> TryStrToFloat(std::string_view text) {
  const double value = StrToFloatOrZero(text);
  if (value != 0.0) return value;
  TRealShape shape;
  if (!ShapeOf(text, shape)) return std::nullopt;
  // A literal of zero, or one too small for a double (it reads as the
  // nearest, a zero); one too large for a double reads as 0 but is none.
  if (!shape.AnyNonZero || shape.Magnitude < 0) return value;
  return std::nullopt;
}

}  // namespace cadxform
