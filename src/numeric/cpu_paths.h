// Which processor-specific paths are compiled. Every x86 build has SSE2
// (the 32-bit Windows build too: -msse2), and 64-bit GCC and clang have a
// 128-bit integer; the word-at-a-time and 32-bit-piece code beside those
// paths serves other processors. A build with CADXFORM_PORTABLE defined (the
// `portable` preset) turns both off, so that code is compiled and tested too.
#pragma once

#if defined(__SSE2__) && !defined(CADXFORM_PORTABLE)
#define CADXFORM_SSE2 1
#else
#define CADXFORM_SSE2 0
#endif

#if defined(__SIZEOF_INT128__) && !defined(CADXFORM_PORTABLE)
#define CADXFORM_INT128 1
#else
#define CADXFORM_INT128 0
#endif
