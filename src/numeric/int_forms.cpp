// The integer and hex forms (number_forms.h).
#include <cstring>

#include "numeric/number_forms.h"
#include "numeric/real_form_paths.h"

namespace cadxform {

namespace {

constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

}  // namespace

namespace real_form {

// Writes the decimal digits of v (no sign, at least one digit); returns the end.
char* AppendUnsigned(char* out, uint32_t v) {
  char tmp[10];
  char* p = tmp + sizeof(tmp);
  while (v >= 100) {
    const uint32_t pair = (v % 100) * 2;
    v /= 100;
    *--p = kDigitPairs[pair + 1];
    *--p = kDigitPairs[pair];
  }
  if (v >= 10) {
    *--p = kDigitPairs[v * 2 + 1];
    *--p = kDigitPairs[v * 2];
  } else {
    *--p = static_cast<char>('0' + v);
  }
  const size_t n = static_cast<size_t>(tmp + sizeof(tmp) - p);
  std::memcpy(out, p, n);
  return out + n;
}

}  // namespace real_form

char* AppendIntForm(char* out, int32_t value) {
  // The magnitude as unsigned: -2147483648 has no positive int32.
  uint32_t v = static_cast<uint32_t>(value);
  if (value < 0) {
    *out++ = '-';
    v = 0u - v;
  }
  return real_form::AppendUnsigned(out, v);
}

char* AppendHexForm(char* out, int32_t value) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  uint32_t v = static_cast<uint32_t>(value);
  char tmp[8];
  int n = 0;
  do {
    tmp[n++] = kHex[v & 0xF];
    v >>= 4;
  } while (v != 0);
  while (n > 0) *out++ = tmp[--n];
  return out;
}

std::string IntForm(int32_t value) {
  char buf[kNumberFormMax];
  return std::string(buf, AppendIntForm(buf, value));
}

std::string HexForm(int32_t value) {
  char buf[kNumberFormMax];
  return std::string(buf, AppendHexForm(buf, value));
}

}  // namespace cadxform
