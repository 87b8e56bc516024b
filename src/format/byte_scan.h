// Searching the bytes of the exchange file for line ends: the line reader's
// short searches, sixteen bytes at a time with SSE2 and inline (a library
// call each would cost more than the search, and the 32-bit target's C
// library searches byte by byte).
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

// The first byte c in p[0..size), or nullptr; reads nothing outside that
// range. Sixteen bytes at a time with SSE2, inline: the short searches of
// the line reader would pay a library call each, and the 32-bit target's C
// library searches byte by byte.
inline const char* FindByte(const char* p, size_t size, char c) {
#if CADXFORM_SSE2
  const __m128i wanted = _mm_set1_epi8(c);
  for (; size >= 16; p += 16, size -= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const auto hits = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(v, wanted)));
    if (hits != 0) return p + std::countr_zero(hits);
  }
  for (; size > 0; ++p, --size) {
    if (*p == c) return p;
  }
  return nullptr;
#else
  return static_cast<const char*>(std::memchr(p, c, size));
#endif
}

// First byte equal to a or b among the size bytes at p, or nullptr.
inline const char* FindEitherByte(const char* p, size_t size, char a, char b) {
#if CADXFORM_SSE2
  const __m128i wantA = _mm_set1_epi8(a);
  const __m128i wantB = _mm_set1_epi8(b);
  for (; size >= 16; p += 16, size -= 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    const __m128i eq = _mm_or_si128(_mm_cmpeq_epi8(v, wantA), _mm_cmpeq_epi8(v, wantB));
    const auto hits = static_cast<uint32_t>(_mm_movemask_epi8(eq));
    if (hits != 0) return p + std::countr_zero(hits);
  }
#endif
  for (; size > 0; ++p, --size) {
    if (*p == a || *p == b) return p;
  }
  return nullptr;
}

}  // namespace cadxform
