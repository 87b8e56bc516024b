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
    if (k < 0 || k >= stored_) return std::string_view();
    return std::string_view(bytes_.get() + begin_[static_cast<size_t>(k)],
                            end_[static_cast<size_t>(k)] - begin_[static_cast<size_t>(k)]);
  }

  // True when the line held nothing but blanks, tabs and dropped bytes.
  bool Empty() const { return count_ == 1 && end_[0] == begin_[0]; }

  // Readable bytes after every token (the reader reads numbers in words).
  static constexpr size_t kPad = 16;

  // Values of the tokens read ahead by another thread (see ReadRealsAhead
  // in reader_values.h); Split forgets them.
  int StoredCount() const { return stored_; }
  bool HasReals() const { return hasReals_; }
  double StoredReal(int k) const { return reals_[static_cast<size_t>(k)]; }
  void StoreReal(int k, double v) { reals_[static_cast<size_t>(k)] = v; }
  void MarkRealsStored() { hasReals_ = true; }

 private:
  void Reserve(size_t size);
  bool SplitPlain(std::string_view line);
  void SplitGeneral(std::string_view line);

  std::unique_ptr<char[]> bytes_;
  size_t capacity_ = 0;
  // Token k is bytes_[begin_[k] .. end_[k]) for k < stored_. (The general
  // splitter packs the tokens: end_[k] == begin_[k+1].)
  std::array<size_t, kMaxTokens + 1> begin_{};
  std::array<size_t, kMaxTokens> end_{};
  int count_ = 1;
  int stored_ = 1;
  bool hasReals_ = false;
  std::array<double, kMaxTokens> reals_{};
};

}  // namespace cadxform
