// The exchange reader's real parser: StrToFloatOrZero for a text that is
// followed by at least 16 readable bytes (the reader pads every token), so
// short plain decimals are read a word at a time.
//   token "12.5" with 16 bytes of anything after it -> 12.5, as
//   StrToFloatOrZero("12.5")
//
// The reader calls it for nearly every number of a file, and most of those
// are short and unsigned ("2254", "1537.5"), so the word path below is inlined
// into its callers: a number it settles costs no call, and a line of
// several numbers keeps the word constants in registers. Everything else
// goes out of line (ReadPaddedRealBeyondWord).
#pragma once

#include <cfloat>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "cadxform/parse_number.h"
#include "numeric/powers_of_ten.h"
#include "numeric/word_bits.h"

namespace cadxform {

// StrToFloatOrZeroPadded for every text the inline word path leaves:
// signed or longer decimals, exponents, blanks, malformed texts. The same bits as
// StrToFloatOrZero(text); the same padding rule as StrToFloatOrZeroPadded.
double ReadPaddedRealBeyondWord(std::string_view text);

// ---- Plain decimals of at most eight bytes in one 64-bit word ----
//
// After its sign such a text fits in one word, where testing its bytes,
// taking out the full stop and combining the digits are a few whole-word
// operations. 64-bit targets only: the 32-bit one would do each in pieces
// (and the division needs plain double arithmetic: no x87 excess precision,
// so that one IEEE division rounds correctly).
inline constexpr bool kDecimalsInWord = kWideRegisters && FLT_EVAL_METHOD == 0;

// The whole number d0d1..d7 spelt by the digit values d0..d7 in the byte
// lanes of w (d0 in the lowest): pairs, fours, then the eight joined, each
// step one multiplication that adds ten, a hundred or ten thousand times
// each lane to the one above it (no sum reaches the next lane).
inline uint32_t WordDigitsValue(uint64_t w) {
  w = ((w * (10 * 0x100 + 1)) >> 8) & 0x00FF00FF00FF00FFu;
  w = ((w * (100 * 0x10000 + 1)) >> 16) & 0x0000FFFF0000FFFFu;
  return static_cast<uint32_t>((w * (10000 * 0x100000000u + 1)) >> 32);
}

// The value of an unsigned plain decimal ("1234.5", "87", ".25", "5.") of
// one to eight bytes, in `value`; false, having decided nothing, for any
// other text (a sign, an exponent, a blank, more bytes). The n bytes at p
// must be followed by 16 readable bytes. With the full stop taken out, the
// digits are an exact whole number m below 10^8, and the value m / 10^f (f
// decimals) is one IEEE division of two exact doubles, so correctly
// rounded.
[[gnu::always_inline]] inline bool TryUnsignedDecimalInWord(const char* p, size_t n, double& value) {
  if (n - 1 >= 8) return false;  // also for n = 0
  // The text's bytes in the top lanes, digits read as their values 0..9,
  // the lanes below as leading zeros. A byte that is no digit reads above 9
  // and gets its high bit set by adding 0x76 (a byte from 0x80 on carries
  // into the lane above it, which only ever adds a second non-digit).
  const uint64_t x = (LoadWord(p) ^ (kOnes * '0')) << (64 - 8 * n);
  const uint64_t other = ((x + kOnes * 0x76) | x) & kHighBits;
  if (other == 0) {
    value = static_cast<double>(WordDigitsValue(x));
    return true;
  }
  // One byte is no digit: a full stop ('.' ^ '0' is 0x1E), not alone. Its
  // lane is the one whose high bit is `stop`; the lanes above it hold the
  // decimals.
  const int stop = CountLowZeros(other);
  const bool fullStop = ((x >> (stop - 7)) & 0xFF) == 0x1E;
  if (((other & (other - 1)) != 0) | !fullStop | (n == 1)) return false;
  // The lanes up to the full stop move up one onto it.
  const uint64_t upToStop = (other << 1) - 1;
  const uint64_t digits = x ^ ((x ^ (x << 8)) & upToStop);
  value = static_cast<double>(WordDigitsValue(digits)) / kPow10Real[static_cast<size_t>(63 - stop) / 8];
  return true;
}

// StrToFloatOrZero(text), the same bits for every text; text.data() +
// text.size() must be followed by at least 16 readable bytes.
inline double StrToFloatOrZeroPadded(std::string_view text) {
  if constexpr (kDecimalsInWord) {
    double value;
    if (TryUnsignedDecimalInWord(text.data(), text.size(), value)) return value;
  }
  return ReadPaddedRealBeyondWord(text);
}

// False when StrToFloatOrZero(text) is +0.0 by its first byte alone: the
// text is empty or starts with a byte that begins no real literal (a
// keyword such as "ci" or "hp1"). Lets a reader skip such tokens.
//   "ci" -> false   "" -> false   "-0" -> true   ".5" -> true   " 1" -> true
inline bool MayReadNonZero(std::string_view text) {
  if (text.empty()) return false;
  const char c = text[0];
  return (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == ' ';
}

}  // namespace cadxform
