// Decimal digits written a word (eight digits) or sixteen SSE2 lanes at a
// time, as ASCII bytes in reading order: shared by the real form's short
// decimals, whole numbers and fixed range.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

#include "numeric/word_bits.h"

namespace cadxform {

#if !CADXFORM_SSE2
// The eight decimal digits of v < 10^8 (leading zeros included) as ASCII
// bytes in one 64-bit word, the first digit in the lowest byte, so that
// storing the word little-endian writes them in reading order. Splits into
// halves, quarters and single digits in parallel lanes of the word; each
// multiply-and-shift below is an exact division for its lane's range.
inline uint64_t EightDigits(uint32_t v) {
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

}  // namespace cadxform
