// Number readers shared by the line handlers of the exchange file reader.
//
// A line may come with the values of its tokens read ahead (a large file
// whose lines a second thread splits reads some of them there); Real uses
// such a value when there is one, which is the same function of the same
// bytes, so the drawing is the same either way.
//
// Tokens that are missing or malformed read as 0: a handler never has to
// check a token before reading it.
//   line `ci 1 2.5 x`:  Int(t, 1) -> 1   Real(t, 2) -> 2.5   Real(t, 3) -> 0
//                       Real(t, 9) -> 0 (no such token)
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "format/token_view.h"
#include "numeric/parse_padded.h"

namespace cadxform::reading {

// Token k read as a 32-bit integer (decimal or "$" hex), 0 when malformed.
inline int32_t Int(const TTokenView& t, int k) { return StrToIntOrZero(t.Token(k)); }

// Token k read as a real, 0.0 when malformed: its value read ahead, else
// its bytes (every token is padded, which lets short decimals be read a
// word at a time).
inline double Real(const TTokenView& t, int k) {
  if (t.Reals() != nullptr && k >= 0 && k < t.StoredCount()) return t.Reals()[k];
  return StrToFloatOrZeroPadded(t.Token(k));
}

// Tokens first .. first + N - 1 read as Real reads each, into values, with
// one test for values read ahead.
template <size_t N>
[[gnu::always_inline]] inline void RealsFrom(const TTokenView& t, int first, double (&values)[N]) {
  if (t.Reals() != nullptr) {
    for (size_t k = 0; k < N; ++k) values[k] = Real(t, first + static_cast<int>(k));
  } else {
    std::string_view texts[N];
    for (size_t k = 0; k < N; ++k) texts[k] = t.Token(first + static_cast<int>(k));
    for (size_t k = 0; k < N; ++k) values[k] = StrToFloatOrZeroPadded(texts[k]);
  }
}

}  // namespace cadxform::reading
