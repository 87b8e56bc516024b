// Inline copies and compares of short byte strings: every length around the
// piece sizes, at every alignment, against memcpy and memcmp.
#include "format/byte_copy.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <string_view>

namespace {

using cadxform::CopyBytes;
using cadxform::SameBytes;

// Bytes 1, 2, 3 ... (never 0) so that a byte copied to the wrong place shows.
std::string Pattern(size_t n) {
  std::string s(n, '\0');
  for (size_t i = 0; i < n; ++i) s[i] = static_cast<char>(1 + i % 251);
  return s;
}

TEST(ByteCopy, CopiesExactlyTheBytesAskedFor) {
  const std::string src = Pattern(300 + 16);
  for (size_t n = 0; n <= 300; ++n) {
    for (size_t off = 0; off < 16; off += 3) {
      // Guard bytes on both sides must stay as they were.
      std::string dst(n + 32, '\xEE');
      CopyBytes(dst.data() + 16, src.data() + off, n);
      ASSERT_EQ(dst.substr(0, 16), std::string(16, '\xEE')) << n << " " << off;
      ASSERT_EQ(dst.substr(16, n), src.substr(off, n)) << n << " " << off;
      ASSERT_EQ(dst.substr(16 + n), std::string(16, '\xEE')) << n << " " << off;
    }
  }
}

TEST(ByteCopy, SameBytesAgreesWithEquality) {
  const std::string a = Pattern(300);
  for (size_t n = 0; n <= 300; ++n) {
    const std::string_view x(a.data(), n);
    std::string y(x);
    ASSERT_TRUE(SameBytes(x, y)) << n;
    // One byte changed anywhere (first, middle, last) is a difference.
    for (size_t at : {size_t{0}, n / 2, n - 1}) {
      if (n == 0) break;
      std::string z(x);
      z[at] = static_cast<char>(z[at] ^ 0x80);
      ASSERT_FALSE(SameBytes(x, z)) << n << " " << at;
    }
    if (n > 0) {
      ASSERT_FALSE(SameBytes(x, std::string_view(a.data(), n - 1))) << n;
    }
  }
}

}  // namespace
