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

namespace cadxform {

// Number of tokens a line keeps. No line of the format needs more than 17.
inline constexpr int kMaxTokens = 32;

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

// Where token k of a split line lies: bytes [Begin, End) of the area the
// line was split into, as offsets of type Off.
template <class Off>
struct TTokenSpan {
  Off Begin;
  Off End;
};
using TTokenSpan32 = TTokenSpan<uint32_t>;

// Readable bytes after every token (the reader reads numbers in words).
inline constexpr size_t kTokenPad = 16;

// Splits line by the rules above into a compact area: the token bytes go to
// out, which has room for line.size() + kTokenPad bytes, and the places of
// the first kMaxTokens tokens go to spans (room for kMaxTokens), as offsets
// from out plus base. Returns the true token count, as TTokenLine::Split.
// base + line.size() + kTokenPad must fit in 32 bits.
int SplitCompact(std::string_view line, char* out, uint32_t base, TTokenSpan32* spans);

// The tokens of one line. The object is meant to be reused line after line:
// the token bytes live in one buffer that only grows, so splitting a line
// allocates nothing once the buffer is as long as the longest line so far.
// The views that Token returns are valid until the next Split, and at
// least kPad readable bytes follow each of them in the buffer.
class TTokenLine {
 public:
  // Splits line by the rules above and returns Count().
  // A line of more than kMaxTokens tokens is split without failure: the
  // first kMaxTokens tokens are exactly those of any shorter line, the bytes
  // of later tokens are dropped, and Count() still counts every token, so a
  // form that asks for "exactly n tokens" never mistakes such a line for a
  // shorter one.
  // Throws std::bad_alloc only when the buffer must grow and cannot.
  int Split(std::string_view line);

  // The true number of tokens of the last line split (at least 1).
  int Count() const { return count_; }

  // Token k of the last line split; empty for k >= Count(), for k >=
  // kMaxTokens and for k < 0.
  std::string_view Token(int k) const {
    // (Unsigned: one test for k < 0 and k >= stored_; stored_ <= kMaxTokens.)
    const auto u = static_cast<unsigned>(k);
    if (u >= static_cast<unsigned>(stored_) || u >= unsigned{kMaxTokens}) return std::string_view();
    const TTokenSpan<size_t>& s = spans_[static_cast<size_t>(k)];
    return std::string_view(bytes_.get() + s.Begin, s.End - s.Begin);
  }

  // True when the line held nothing but blanks, tabs and dropped bytes.
  bool Empty() const { return count_ == 1 && spans_[0].End == spans_[0].Begin; }

  // Readable bytes after every token (the reader reads numbers in words).
  static constexpr size_t kPad = kTokenPad;

 private:
  void Reserve(size_t size);

  std::unique_ptr<char[]> bytes_;
  size_t capacity_ = 0;
  // Token k is bytes_[Begin .. End) of spans_[k], for k < stored_. Offsets
  // of the full width, so that a line of any length is split correctly.
  std::array<TTokenSpan<size_t>, kMaxTokens> spans_{};
  int count_ = 1;
  int stored_ = 1;
};

}  // namespace cadxform
