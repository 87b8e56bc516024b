// Eight or sixteen bytes at a time: the word loads, lane constants and
// SSE2 lane masks shared by the tokenizer, the number parser and the
// real-form formatter, which test and build a token's bytes in 64-bit words
// or SSE2 registers instead of one by one.
//
// Example: LoadWord("12345678") has '1' (0x31) in its lowest byte on every
// platform, so lane k holds byte k of the text.
//
// The 32-bit target has no 64-bit registers: there a 64-bit bit count is a
// library call and a conversion between a 64-bit integer and a double goes
// through the x87 unit (with two control-word switches for the truncation).
// The helpers below do the same work in 32-bit halves and SSE2 arithmetic
// there, and use the single instruction on 64-bit targets.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "numeric/cpu_paths.h"

#if CADXFORM_SSE2
#include <emmintrin.h>
#endif

namespace cadxform {

// One in every byte lane; times b, the byte b in every lane.
inline constexpr uint64_t kOnes = 0x0101010101010101u;
// The high bit of every byte lane.
inline constexpr uint64_t kHighBits = 0x8080808080808080u;

// True where general registers hold 64 bits.
inline constexpr bool kWideRegisters = sizeof(void*) >= 8;

// The 8 bytes at p as a word, the first byte in the lowest lane.
inline uint64_t LoadWord(const char* p) {
  uint64_t w = 0;
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(&w, p, 8);
  } else {
    for (int i = 7; i >= 0; --i) w = (w << 8) | static_cast<unsigned char>(p[i]);
  }
  return w;
}

#if CADXFORM_SSE2
// Sixteen bytes 0xFF, then sixteen 0: the 16 bytes from kOnesThenZeros +
// 16 - k have 0xFF in lanes 0..k-1 (k = 0..16) and 0 above.
alignas(16) inline constexpr unsigned char kOnesThenZeros[32] = {
    0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};

// 0xFF in byte lanes 0..k-1, 0 in the others; k = 0..16.
inline __m128i LanesBelow(int k) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(kOnesThenZeros + 16 - k));
}

#endif

// Number of zero bits below the lowest set bit of w; 64 when w is 0.
inline int CountLowZeros(uint64_t w) {
  if constexpr (kWideRegisters) {
    return std::countr_zero(w);
  } else {
    const auto lo = static_cast<uint32_t>(w);
    const auto hi = static_cast<uint32_t>(w >> 32);
    return lo != 0 ? std::countr_zero(lo) : 32 + std::countr_zero(hi);
  }
}

// Number of zero bits above the highest set bit of w; 64 when w is 0.
inline int CountHighZeros(uint64_t w) {
  if constexpr (kWideRegisters) {
    return std::countl_zero(w);
  } else {
    const auto lo = static_cast<uint32_t>(w);
    const auto hi = static_cast<uint32_t>(w >> 32);
    return hi != 0 ? std::countl_zero(hi) : 32 + std::countl_zero(lo);
  }
}

// 2^52 and 2^84: a whole number n below 2^32 placed in the low bits of
// their stored fraction gives exactly 2^52 + n or 2^84 + n * 2^32.
inline constexpr uint64_t kTwo52Bits = 0x4330000000000000u;
inline constexpr uint64_t kTwo84Bits = 0x4530000000000000u;

// The double whose stored bits are the 32-bit words high and low.
inline double DoubleFromWords(uint32_t high, uint32_t low) {
#if CADXFORM_SSE2
  // Joined in an SSE register: two 32-bit stores read back as one 64-bit
  // value, which is what the compiler makes of the plain code on the 32-bit
  // target, stall the load.
  const __m128i w = _mm_unpacklo_epi32(_mm_cvtsi32_si128(static_cast<int>(low)),
                                       _mm_cvtsi32_si128(static_cast<int>(high)));
  return _mm_cvtsd_f64(_mm_castsi128_pd(w));
#else
  return std::bit_cast<double>((uint64_t{high} << 32) | low);
#endif
}

// m as a double, exactly; m must be at most 2^53.
inline double ExactDouble(uint64_t m) {
  if constexpr (kWideRegisters) {
    return static_cast<double>(static_cast<int64_t>(m));
  } else {
    // (2^84 + hi * 2^32) - 2^84 and (2^52 + lo) - 2^52 are exact, and so is
    // their sum, which is below 2^53.
    const auto hiWord = static_cast<uint32_t>(kTwo84Bits >> 32);
    const auto loWord = static_cast<uint32_t>(kTwo52Bits >> 32);
    const double hi = DoubleFromWords(hiWord, static_cast<uint32_t>(m >> 32)) - std::bit_cast<double>(kTwo84Bits);
    const double lo = DoubleFromWords(loWord, static_cast<uint32_t>(m)) - std::bit_cast<double>(kTwo52Bits);
    return hi + lo;
  }
}

}  // namespace cadxform
