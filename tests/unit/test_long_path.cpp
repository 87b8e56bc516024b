#include "platform/long_path.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using cadxform::platform::kLongPathFrom;
using cadxform::platform::LongPathForm;

// A folder name that makes a path long enough for the "\\?\" form.
const std::wstring kLong(kLongPathFrom, L'x');

TEST(LongPath, AbsolutePathsGetTheirLongForm) {
  struct {
    std::wstring in, want;
  } const cases[] = {
      // Short paths and relative ones stay as they are.
      {L"C:\\a\\..\\b.txt", L"C:\\a\\..\\b.txt"},
      {L"a\\" + kLong, L"a\\" + kLong},
      {L"C:" + kLong, L"C:" + kLong},
      {L"\\" + kLong, L"\\" + kLong},
      // Already in a device or long form.
      {L"\\\\?\\C:\\" + kLong, L"\\\\?\\C:\\" + kLong},
      {L"\\\\.\\C:\\" + kLong, L"\\\\.\\C:\\" + kLong},
      // Drive paths: slashes turned, "." and empty parts dropped, ".." applied.
      {L"C:\\" + kLong + L"\\f.txt", L"\\\\?\\C:\\" + kLong + L"\\f.txt"},
      {L"z:/" + kLong + L"//./g/../f.txt", L"\\\\?\\z:\\" + kLong + L"\\f.txt"},
      {L"C:\\..\\..\\" + kLong, L"\\\\?\\C:\\" + kLong},
      {L"C:\\" + kLong + L"\\", L"\\\\?\\C:\\" + kLong + L"\\"},
      // UNC paths: ".." never climbs above the share.
      {L"\\\\srv\\share\\" + kLong, L"\\\\?\\UNC\\srv\\share\\" + kLong},
      {L"//srv/share/../../" + kLong, L"\\\\?\\UNC\\srv\\share\\" + kLong},
  };
  for (const auto& c : cases) {
    EXPECT_TRUE(LongPathForm(c.in) == c.want) << "case of " << c.in.size() << " characters starting "
                                              << std::string(c.in.begin(), c.in.begin() + 12);
  }
}

// Characters outside ASCII pass unchanged.
TEST(LongPath, KeepsEveryCharacter) {
  const std::wstring name = L"\u5916\u90E8\u5909\u5F62 M\u00FCller \U0001F4D0";
  EXPECT_TRUE(LongPathForm(L"C:\\" + name + L"\\" + kLong) == L"\\\\?\\C:\\" + name + L"\\" + kLong);
}

}  // namespace
