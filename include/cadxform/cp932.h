// Code page 932 (Shift-JIS) character helpers. Texts are bytes in this code
// page everywhere in the library and are never converted: a byte search in a
// text must step over double-byte characters whole, since their second byte
// may look like a blank, a comma or a backslash.
//
// Example: the text "表\" (bytes 0x95 0x5C 0x5C) holds one backslash of its
// own; the first 0x5C is the second byte of "表":
//   for (size_t i = 0; i < t.size(); ++i) {
//     if (IsLeadByte(t[i])) { ++i; continue; }   // skip the whole character
//     if (t[i] == '\\') ...                      // a real backslash
//   }
//   StripBlanks(" \x81\x40A B") -> "AB"   (half- and full-width blanks go)
#pragma once

#include <string>
#include <string_view>

namespace cadxform {

// True for a byte that starts a double-byte character: 0x80-0x9F or
// 0xE0-0xFD, one byte wider on each side than the strict Shift-JIS ranges,
// as the host treats them. The byte after it belongs to the character
// whatever its value.
constexpr bool IsLeadByte(unsigned char b) { return (b >= 0x80 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFD); }

// Copy of text without half-width blanks, control bytes (< 0x20) and
// full-width spaces (0x81 0x40). Double-byte characters are taken whole. A
// lone lead byte at the end is copied alone.
std::string StripBlanks(std::string_view text);

// True when StripBlanks(text) would be empty; allocates nothing.
bool IsBlankText(std::string_view text);

}  // namespace cadxform
