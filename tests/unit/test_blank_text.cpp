// StripBlanks and IsBlankText on code page 932 bytes.
#include <gtest/gtest.h>

#include <string>

#include "cadxform/cp932.h"

namespace {

using namespace cadxform;

struct BlankCase {
  std::string Text;
  std::string Expected;
};

TEST(StripBlanks, KeepsVisibleUnitsOnly) {
  const BlankCase cases[] = {
      {"", ""},
      {"   ", ""},
      {" \t\r\n\x01\x1F \x81\x40\x81\x40", ""},
      {"a b", "ab"},
      {"\x82\x60", "\x82\x60"},                   // full-width letter
      {" \x81\x40\x82\x60 ", "\x82\x60"},
      {"\xB1\xDF", "\xB1\xDF"},                   // half-width katakana
      {"\x81\x20", "\x81\x20"},                   // trail byte 0x20 stays with its lead
      {std::string("\x81\x00", 2), std::string("\x81\x00", 2)},
      {"\x81\x81\x40", "\x81\x81\x40"},           // 0x81 0x40 is not a unit here
      {"\x80\x40", "\x80\x40"},                   // 0x80 is a lead byte
      {"\xFD\x20", "\xFD\x20"},                   // 0xFD is a lead byte
      {"\xE0\x40\x20", "\xE0\x40"},
      {"\x7F\xA0\xFE\xFF", "\x7F\xA0\xFE\xFF"},   // single bytes, copied
      {"\x81", "\x81"},                           // lone lead byte at the end
      {" a\x81", "a\x81"},
  };
  for (const BlankCase& c : cases) {
    EXPECT_EQ(StripBlanks(c.Text), c.Expected) << c.Text;
    EXPECT_EQ(IsBlankText(c.Text), c.Expected.empty()) << c.Text;
  }
}

}  // namespace
