// One split line of the exchange file as the line handlers see it: its
// tokens in place, wherever the line was split (a line buffer reused line
// after line, or a batch of lines), and the values of its tokens when they
// were read as reals ahead of time.
//
//   line `ci 1 2.5 `:  Count() 4   Token(0) "ci"   Token(2) "2.5"
//                      Token(3) ""   Token(9) ""   Empty() false
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace cadxform {

// Number of tokens a line keeps. No line of the format needs more than 17.
inline constexpr int kMaxTokens = 32;

// Readable bytes after every token (the reader reads numbers in words).
inline constexpr size_t kTokenPad = 16;

// Where token k of a split line lies: bytes [Begin, End) of the area the
// line was split into.
struct TTokenSpan32 {
  uint32_t Begin;
  uint32_t End;
};

// A split line seen in place; valid while the area it was split into is
// unchanged. Small and cheap to copy; the handlers take it by reference.
class TTokenView {
 public:
  // The line whose token k is bytes[spans[k].Begin .. spans[k].End) for k <
  // min(count, kMaxTokens), with reals[k] its value when reals is not
  // nullptr. count is the true token count (at least 1).
  TTokenView(const char* bytes, const TTokenSpan32* spans, const double* reals, int count)
      : bytes_(bytes), spans_(spans), reals_(reals), count_(count),
        stored_(count < kMaxTokens ? count : kMaxTokens) {}

  // The true number of tokens of the line (at least 1), kMaxTokens or more
  // for a line of more tokens than are kept.
  int Count() const { return count_; }

  // Token k; empty for k >= Count(), for k >= kMaxTokens and for k < 0. At
  // least kTokenPad readable bytes follow it.
  std::string_view Token(int k) const {
    // (Unsigned: one test for k < 0 and k >= stored_. stored_ never exceeds
    // kMaxTokens; the second test tells the compiler so.)
    const auto u = static_cast<unsigned>(k);
    if (u >= static_cast<unsigned>(stored_) || u >= unsigned{kMaxTokens}) return std::string_view();
    const TTokenSpan32& s = spans_[k];
    return std::string_view(bytes_ + s.Begin, s.End - s.Begin);
  }

  // True when the line held nothing but blanks, tabs and dropped bytes.
  bool Empty() const { return count_ == 1 && spans_[0].End == spans_[0].Begin; }

  // The values of tokens 0 .. StoredCount()-1 read ahead as reals, or
  // nullptr when they were not read ahead.
  const double* Reals() const { return reals_; }
  // The tokens kept: min(Count(), kMaxTokens).
  int StoredCount() const { return stored_; }

 private:
  const char* bytes_;
  const TTokenSpan32* spans_;
  const double* reals_;
  int count_;
  int stored_;
};

}  // namespace cadxform
