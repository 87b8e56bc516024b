// Number texts as a drawing's exchange file holds them: plain decimals with
// a full stop, no exponent, mostly short, some with 15 significant digits
// (values that an earlier transformation left behind).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "gen/rng.h"

namespace bench {

// A short number text held by value (no allocation per number).
struct TNum {
  char s[40];
  int len = 0;
  std::string_view View() const { return std::string_view(s, static_cast<size_t>(len)); }
};

// Exact text of milli / 1000 with trailing zeros removed.
//   1234500 -> "1234.5"   87250 -> "87.25"   -125 -> "-0.125"   0 -> "0"
TNum MilliText(int64_t milli);

// Text of a coordinate given in thousandths, in a random precision like a
// real drawing's: about 45% whole numbers ("1234"), 25% one decimal
// ("1234.5"), 15% two or three decimals ("87.25", "0.125") and 15% long
// values of up to 15 significant digits ("1234.56789012345"). Rounding to
// the shorter forms is half away from zero, so the text lies within 0.5 of
// milli / 1000.
TNum CoordText(TRng& rng, int64_t milli);

// Appends the text of n to out.
inline void Append(std::string& out, const TNum& n) { out.append(n.s, static_cast<size_t>(n.len)); }

}  // namespace bench
