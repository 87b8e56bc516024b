// Splitting one exchange-file line into tokens, and the byte-string searches
// that recognise a line by its first token.
//
// All bytes are code page 932. A byte 0x80-0x9F or 0xE0-0xFD starts a
// double-byte character; its second byte belongs to it whatever its value
// (a blank, a double quote, an equals sign, 0x5C ...), so it never separates
// tokens, never ends splitting and is never matched alone.
//
// Splitting rules, byte by byte, first match wins:
//   1. lead byte: taken with the byte after it; a lead byte that is the last
//      byte of the line is dropped;
//   2. double quote while splitting: dropped, splitting ends;
//   3. equals sign while splitting: kept, splitting ends;
//   4. blank or tab while splitting: closes a non-empty token (so runs of
//      blanks count once and leading blanks are skipped);
//   5. 0x20..0xFD: kept (after splitting ended: blanks, quotes and equals
//      signs too);
//   6. anything else (control bytes, a tab after splitting ended, 0xFE,
//      0xFF): dropped.
// The token count is the index of the last token started plus 1, so blanks
// after a non-empty last token open an empty last token that counts.
//
// Examples:
//   `ci 1 2 3`            -> "ci" "1" "2" "3"            Count 4
//   `ci 1 2 3 `           -> "ci" "1" "2" "3" ""         Count 5
//   `ch 1 2 3 0 "A B`     -> "ch" "1" "2" "3" "0" "A B"  Count 6
//   `cn"$MS Gothic`       -> "cn$MS Gothic"               Count 1
//   `file=C:\a b\x.txt`   -> "file=C:\a b\x.txt"          Count 1
//   `  `                  -> ""                           Count 1 (empty)
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "cadxform/cp932.h"
#include "format/token_view.h"

namespace cadxform {

// Position of the first occurrence of pat in text that begins on a character
// boundary (never on the second byte of a double-byte character), or npos.
// pat must not be empty.
//   FindOnBoundary("hp12ln", "ln") -> 4
//   FindOnBoundary("\x82\x6Cn", "ln") -> npos   (0x6C is a trail byte here)
size_t FindOnBoundary(std::string_view text, std::string_view pat);

// True when text begins with prefix. A match at the first byte is always on
// a character boundary, so this is a plain byte comparison.
inline bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Splits line by the rules above into a compact area: the token bytes go to
// out, which has room for line.size() + kTokenPad bytes, and the places of
// the first kMaxTokens tokens go to spans (room for kMaxTokens), as offsets
// from out plus base. Returns the true token count, as TTokenLine::Split.
// base + line.size() + kTokenPad must fit in 32 bits.
int SplitCompact(std::string_view line, char* out, uint32_t base, TTokenSpan32* spans);

// The tokens of one line. The object is meant to be reused line after line:
// the token bytes live in one buffer that only grows, so splitting a line
// allocates nothing once the buffer is as long as the longest line so far.
// A view of the line is valid until the next Split, and at least kTokenPad
// readable bytes follow each of its tokens in the buffer.
class TTokenLine {
 public:
  // Splits line by the rules above and returns its true token count.
  // A line of more than kMaxTokens tokens is split without failure: the
  // first kMaxTokens tokens are exactly those of any shorter line, the bytes
  // of later tokens are dropped, and the count still counts every token, so
  // a form that asks for "exactly n tokens" never mistakes such a line for a
  // shorter one.
  // Throws std::bad_alloc when the buffer must grow and cannot, and for a
  // line whose tokens would not fit 32-bit offsets (more than 4 GiB, which
  // only a 64-bit build can even hold).
  int Split(std::string_view line);

  // The last line split (before the first Split: one empty token).
  TTokenView View() const { return TTokenView(bytes_.get(), spans_.data(), nullptr, count_); }

 private:
  void Reserve(size_t size);

  std::unique_ptr<char[]> bytes_;
  size_t capacity_ = 0;
  // Token k is bytes_[Begin .. End) of spans_[k], for k < kMaxTokens.
  std::array<TTokenSpan32, kMaxTokens> spans_{};
  int count_ = 1;
};

}  // namespace cadxform
