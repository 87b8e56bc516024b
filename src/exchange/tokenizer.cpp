#include "exchange/tokenizer.h"

#include <cassert>
#include <cstdint>

namespace rek {

namespace {

// What a byte does in the splitter; see the rules in tokenizer.h.
enum TByteClass : uint8_t { bcKeep, bcDrop, bcLead, bcQuote, bcEquals, bcBlank };

constexpr std::array<TByteClass, 256> MakeClassTable() {
  std::array<TByteClass, 256> t{};
  for (int b = 0; b < 256; ++b) {
    const auto u = static_cast<unsigned char>(b);
    if (IsLeadByte(u)) {
      t[u] = bcLead;
    } else if (u == '"') {
      t[u] = bcQuote;
    } else if (u == '=') {
      t[u] = bcEquals;
    } else if (u == ' ' || u == '\t') {
      t[u] = bcBlank;
    } else if (u >= 0x20 && u <= 0xFD) {
      t[u] = bcKeep;
    } else {
      t[u] = bcDrop;
    }
  }
  return t;
}

constexpr std::array<TByteClass, 256> kClass = MakeClassTable();

}  // namespace

size_t FindOnBoundary(std::string_view text, std::string_view pat) {
  assert(!pat.empty());
  size_t i = 0;
  while (i + pat.size() <= text.size()) {
    if (text[i] == pat[0] && text.compare(i, pat.size(), pat) == 0) return i;
    i += IsLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
  }
  return std::string_view::npos;
}

void TTokenLine::Reserve(size_t size) {
  if (size <= capacity_) return;
  // Grow at least by half, so a run of ever longer lines costs linear time.
  size_t want = capacity_ + capacity_ / 2;
  if (want < size) want = size;
  if (want < 256) want = 256;
  bytes_.reset();
  capacity_ = 0;
  bytes_.reset(new char[want]);
  capacity_ = want;
}

int TTokenLine::Split(std::string_view line) {
  // The tokens never hold more bytes than the line. Bytes of tokens beyond
  // kMaxTokens are written too (that is cheaper than testing every byte) but
  // no token points at them: they are dropped.
  Reserve(line.size());
  char* const out = bytes_.get();
  const auto* p = reinterpret_cast<const unsigned char*>(line.data());
  const size_t size = line.size();
  size_t pos = 0;         // bytes written so far
  int index = 0;          // token being built
  bool nonEmpty = false;  // the token being built has a byte
  begin_[0] = 0;

  // While splitting: blanks and tabs separate tokens.
  size_t i = 0;
  while (i < size) {
    const unsigned char b = p[i];
    const TByteClass c = kClass[b];
    if (c == bcKeep) {
      out[pos++] = static_cast<char>(b);
      nonEmpty = true;
      ++i;
    } else if (c == bcBlank) {
      if (nonEmpty) {
        ++index;
        if (index <= kMaxTokens) begin_[static_cast<size_t>(index)] = pos;
        nonEmpty = false;
      }
      ++i;
    } else if (c == bcLead) {
      if (i + 1 == size) break;  // lone lead byte at the end: dropped
      out[pos++] = static_cast<char>(b);
      out[pos++] = static_cast<char>(p[i + 1]);
      nonEmpty = true;
      i += 2;
    } else if (c == bcDrop) {
      ++i;
    } else {
      // The first double quote (dropped) or equals sign (kept) ends splitting.
      if (c == bcEquals) out[pos++] = static_cast<char>(b);
      ++i;
      break;
    }
  }

  // After splitting: the rest of the line joins the current token, blanks,
  // quotes and equals signs included; control bytes (a tab too), 0xFE and
  // 0xFF are dropped.
  while (i < size) {
    const unsigned char b = p[i];
    if (kClass[b] == bcLead) {
      if (i + 1 == size) break;  // lone lead byte at the end: dropped
      out[pos++] = static_cast<char>(b);
      out[pos++] = static_cast<char>(p[i + 1]);
      i += 2;
    } else {
      if (b >= 0x20 && b <= 0xFD) out[pos++] = static_cast<char>(b);
      ++i;
    }
  }

  count_ = index + 1;
  stored_ = count_ < kMaxTokens ? count_ : kMaxTokens;
  // Close the last stored token (when more than kMaxTokens tokens began,
  // token kMaxTokens - 1 was closed when the next one began).
  if (index < kMaxTokens) begin_[static_cast<size_t>(index) + 1] = pos;
  assert(pos <= size);
  return count_;
}

}  // namespace rek
