// Number texts for the drawing generator.
#include "gen/number_text.h"

#include <cassert>

namespace bench {

namespace {

// m rounded half away from zero to a multiple of step (step > 0).
int64_t RoundTo(int64_t m, int64_t step) {
  const int64_t mag = m < 0 ? -m : m;
  const int64_t r = (mag + step / 2) / step * step;
  return m < 0 ? -r : r;
}

int DigitCount(int64_t v) {
  int d = 1;
  while (v >= 10) {
    v /= 10;
    ++d;
  }
  return d;
}

// Appends the decimal digits of v >= 0.
void PutDigits(TNum& n, int64_t v) {
  char tmp[24];
  int k = 0;
  do {
    tmp[k++] = static_cast<char>('0' + v % 10);
    v /= 10;
  } while (v > 0);
  while (k > 0) n.s[n.len++] = tmp[--k];
}

// Text of milli / 1000 with exactly three decimals ("1234.500"); a long
// value then extends these digits.
TNum MilliTextFull(int64_t milli) {
  TNum n;
  const int64_t mag = milli < 0 ? -milli : milli;
  if (milli < 0) n.s[n.len++] = '-';
  PutDigits(n, mag / 1000);
  const int64_t frac = mag % 1000;
  n.s[n.len++] = '.';
  n.s[n.len++] = static_cast<char>('0' + frac / 100);
  n.s[n.len++] = static_cast<char>('0' + frac / 10 % 10);
  n.s[n.len++] = static_cast<char>('0' + frac % 10);
  return n;
}

// A long value: three decimals of milli followed by random digits, up to 15
// significant digits in all, the last one not zero.
TNum LongText(TRng& rng, int64_t milli) {
  TNum n = MilliTextFull(milli);
  const int64_t mag = milli < 0 ? -milli : milli;
  const int intDigits = mag < 1000 ? 0 : DigitCount(mag / 1000);
  const int room = 15 - intDigits - 3;
  const int tail = room < 1 ? 1 : static_cast<int>(rng.Between(room > 2 ? 2 : 1, room));
  for (int k = 0; k < tail - 1; ++k) n.s[n.len++] = static_cast<char>('0' + rng.Below(10));
  n.s[n.len++] = static_cast<char>('1' + rng.Below(9));
  assert(n.len < static_cast<int>(sizeof n.s));
  return n;
}

}  // namespace

TNum MilliText(int64_t milli) {
  TNum n = MilliTextFull(milli);
  while (n.s[n.len - 1] == '0') --n.len;
  if (n.s[n.len - 1] == '.') --n.len;
  return n;
}

TNum CoordText(TRng& rng, int64_t milli) {
  const int64_t pick = rng.Below(100);
  if (pick < 45) return MilliText(RoundTo(milli, 1000));
  if (pick < 70) return MilliText(RoundTo(milli, 100));
  if (pick < 78) return MilliText(RoundTo(milli, 10));
  if (pick < 85) return MilliText(milli);
  return LongText(rng, milli);
}

}  // namespace bench
