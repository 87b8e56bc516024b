// Copying and comparing the short byte strings of the reader and the
// attribute writers (a line, a token, a font name) inline.
//
// A memcpy or memcmp of a length known only at run time is a library call.
// The 32-bit Windows build links the system C runtime, whose routines
// (under Wine at least) spend tens of cycles on a short string before the
// first byte moves, and some compare byte by byte; the reader copies every
// line once. These helpers move or compare the bytes in 16-byte pieces,
// using overlapping pieces at the end instead of a byte loop, and leave
// long strings to the library, where its set-up cost no longer counts.
//
// Neither reads or writes a byte outside [p, p + n) of its arguments.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include "numeric/cpu_paths.h"

#if CADXFORM_SSE2
#include <emmintrin.h>
#endif

namespace cadxform {

// Strings up to this length are handled inline.
inline constexpr size_t kInlineBytes = 256;

namespace byte_copy_detail {

// Copies n bytes (0..16) from src to dst with at most two loads of a
// fixed size, which the compiler turns into plain moves.
inline void CopyUpTo16(char* dst, const char* src, size_t n) {
  if (n >= 8) {
    uint64_t a;
    uint64_t b;
    std::memcpy(&a, src, 8);
    std::memcpy(&b, src + n - 8, 8);
    std::memcpy(dst, &a, 8);
    std::memcpy(dst + n - 8, &b, 8);
  } else if (n >= 4) {
    uint32_t a;
    uint32_t b;
    std::memcpy(&a, src, 4);
    std::memcpy(&b, src + n - 4, 4);
    std::memcpy(dst, &a, 4);
    std::memcpy(dst + n - 4, &b, 4);
  } else if (n > 0) {
    // 1 to 3 bytes: the first, the middle and the last (some the same).
    const char first = src[0];
    const char middle = src[n / 2];
    const char last = src[n - 1];
    dst[0] = first;
    dst[n / 2] = middle;
    dst[n - 1] = last;
  }
}

// Copies the 16 bytes at src to dst: one SSE2 register, or two words.
inline void Copy16(char* dst, const char* src) {
#if CADXFORM_SSE2
  _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), _mm_loadu_si128(reinterpret_cast<const __m128i*>(src)));
#else
  uint64_t a;
  uint64_t b;
  std::memcpy(&a, src, 8);
  std::memcpy(&b, src + 8, 8);
  std::memcpy(dst, &a, 8);
  std::memcpy(dst + 8, &b, 8);
#endif
}

}  // namespace byte_copy_detail

// Copies n bytes from src to dst (the ranges must not overlap), as memcpy.
//   CopyBytes(d, "abc", 3) -> d begins "abc"
inline void CopyBytes(char* dst, const char* src, size_t n) {
  if (n <= 16) {
    byte_copy_detail::CopyUpTo16(dst, src, n);
    return;
  }
  if (n > kInlineBytes) {
    std::memcpy(dst, src, n);
    return;
  }
  // Whole pieces, then the last 16 bytes again (overlapping what was copied).
  size_t i = 0;
  for (; i + 16 < n; i += 16) byte_copy_detail::Copy16(dst + i, src + i);
  byte_copy_detail::Copy16(dst + n - 16, src + n - 16);
}

// True when a and b hold the same bytes, as a == b for string_views.
//   SameBytes("MS Gothic", "MS Gothic") -> true;  SameBytes("a", "ab") -> false
inline bool SameBytes(std::string_view a, std::string_view b) {
  const size_t n = a.size();
  if (n != b.size()) return false;
  if (n > kInlineBytes) return std::memcmp(a.data(), b.data(), n) == 0;
  const char* p = a.data();
  const char* q = b.data();
  size_t i = 0;
  // Eight bytes at a time, then the last eight again when n >= 8.
  for (; i + 8 <= n; i += 8) {
    uint64_t x;
    uint64_t y;
    std::memcpy(&x, p + i, 8);
    std::memcpy(&y, q + i, 8);
    if (x != y) return false;
  }
  if (i == n) return true;
  if (n >= 8) {
    uint64_t x;
    uint64_t y;
    std::memcpy(&x, p + n - 8, 8);
    std::memcpy(&y, q + n - 8, 8);
    return x == y;
  }
  for (; i < n; ++i) {
    if (p[i] != q[i]) return false;
  }
  return true;
}

}  // namespace cadxform
