#include "format/tokenizer.h"

#include <bit>
#include <cassert>
#include <cstdint>
#include <cstring>
#include <new>

#include "format/byte_copy.h"
#include "format/chunk_scan.h"
#include "numeric/word_bits.h"

#if CADXFORM_SSE2
#include <emmintrin.h>
#endif

namespace cadxform {

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

#if !CADXFORM_SSE2

// Word-at-a-time byte tests for FirstStop16 where SSE2 is missing.

// High bit set in every byte of w below n (n <= 0x80), possibly also in
// bytes above the lowest such byte; the test "any byte below n" and the
// position of the lowest one are exact. Valid for bytes below 0x80.
constexpr uint64_t BytesBelow(uint64_t w, uint8_t n) { return (w - kOnes * n) & ~w & kHighBits; }

// High bit set in bytes of w equal to b (exact for the lowest one).
constexpr uint64_t BytesEqual(uint64_t w, uint8_t b) { return BytesBelow(w ^ (kOnes * b), 1); }

// High bit set in the bytes of w that are neither a blank nor a plain token
// byte (0x21..0x7F less '"' and '='): control bytes and tabs, quotes,
// equals signs and bytes from 0x80 up. Exact for the lowest such byte.
constexpr uint64_t SpecialBytes(uint64_t w) {
  return BytesBelow(w, 0x20) | BytesEqual(w, '"') | BytesEqual(w, '=') | (w & kHighBits);
}

#endif

// Position (0..16) of the first blank or special byte among the 16 bytes at
// p; 16 when there is none. With SSE2 all 16 are tested at once: as signed
// bytes, 0x80..0xFF are negative, so "below 0x21" takes them along with
// blanks, tabs and control bytes. Otherwise two words.
int FirstStop16(const char* p) {
#if CADXFORM_SSE2
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i stops = StopLanes(v);
  const auto bits = static_cast<uint32_t>(_mm_movemask_epi8(stops)) | (uint32_t{1} << 16);
  return std::countr_zero(bits);
#else
  for (int half = 0; half < 16; half += 8) {
    const uint64_t w = LoadWord(p + half);
    const uint64_t stops = SpecialBytes(w) | BytesEqual(w, ' ');
    if (stops != 0) return half + CountLowZeros(stops) / 8;
  }
  return 16;
#endif
}

// The rest of a line after splitting has ended: line[from..size) goes to
// the token being built, written to out from `pos` on (out may be the line
// itself: pos never passes the byte read): double-byte characters whole,
// other bytes from 0x20 to 0xFD kept, everything else (control bytes, tabs,
// 0xFE, 0xFF) and a lead byte that is the last byte of the line dropped.
// Returns the end of the token.
size_t AppendRestOfLine(const char* line, size_t from, size_t size, char* out, size_t pos) {
  const auto* p = reinterpret_cast<const unsigned char*>(line);
  size_t i = from;
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
  return pos;
}

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

namespace {

#if CADXFORM_SSE2

// Lines shorter than this are split by SplitShortPlain.
constexpr size_t kShortLine = 64;

// Bit i set for byte i of a line of n (< kShortLine) bytes: Blanks for
// blanks, Stops for blanks and special bytes (those FirstStop16 stops at).
struct TLineMasks {
  uint64_t Blanks, Stops;
};

// The masks of the 16 bytes at p, placed at bit `shift`.
void AddPieceMasks(const char* p, unsigned shift, TLineMasks& m) {
  const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i blank = _mm_cmpeq_epi8(v, _mm_set1_epi8(' '));
  const __m128i stop = StopLanes(v);
  m.Blanks |= uint64_t{static_cast<uint32_t>(_mm_movemask_epi8(blank))} << shift;
  m.Stops |= uint64_t{static_cast<uint32_t>(_mm_movemask_epi8(stop))} << shift;
}

// The masks of the line at src, read from src itself: its copy at b was just
// written piece by piece, and a read of it across those writes would wait
// for them to reach the cache. Only a line shorter than one piece is read
// from b, where kTokenPad readable bytes follow it.
TLineMasks LineMasks(const char* src, const char* b, size_t n) {
  assert(n < kShortLine);
  TLineMasks m{0, 0};
  if (n < 16) {
    AddPieceMasks(b, 0, m);
  } else {
    for (size_t k = 0; k < n / 16; ++k) AddPieceMasks(src + 16 * k, static_cast<unsigned>(16 * k), m);
    // The last 16 bytes of the line, over the pieces read (the same bits).
    AddPieceMasks(src + n - 16, static_cast<unsigned>(n - 16), m);
  }
  const uint64_t inLine = (uint64_t{1} << n) - 1;
  m.Blanks &= inLine;
  m.Stops &= inLine;
  return m;
}

// SplitPlain for a line of fewer than kShortLine bytes at src, copied and
// padded at b: every token from the masks of the whole line at once. A token starts
// at a token byte after a blank (or at the start) and ends after a token
// byte before a blank; the first special byte ends the plain part.
bool SplitShortPlain(const char* src, char* b, size_t n, uint32_t base, TTokenSpan32* spans, int& count) {
  auto at = [base](size_t i) { return static_cast<uint32_t>(base + i); };
  const TLineMasks m = LineMasks(src, b, n);
  const uint64_t special = m.Stops & ~m.Blanks;
  const size_t limit = special != 0 ? static_cast<size_t>(CountLowZeros(special)) : n;
  if (limit < n && b[limit] != '"') return false;
  const uint64_t words = ~m.Blanks & ((uint64_t{1} << limit) - 1);  // token bytes before limit
  uint64_t starts = words & ~(words << 1);
  uint64_t ends = words & ~(words >> 1);  // last byte of each token
  int index = 0;                          // tokens before limit
  for (; starts != 0; ++index) {
    const auto s = static_cast<size_t>(CountLowZeros(starts));
    const auto e = static_cast<size_t>(CountLowZeros(ends)) + 1;
    if (index < kMaxTokens) spans[index] = TTokenSpan32{at(s), at(e)};
    starts &= starts - 1;
    ends &= ends - 1;
  }
  if (limit < n) {
    // The first double quote ends splitting: the rest of the line joins the
    // token it ends, or a token of its own after a blank.
    const size_t end = AppendRestOfLine(b, limit + 1, n, b, limit);
    if (limit > 0 && b[limit - 1] != ' ') {
      if (index - 1 < kMaxTokens) spans[index - 1].End = at(end);
      count = index;
    } else {
      if (index < kMaxTokens) spans[index] = TTokenSpan32{at(limit), at(end)};
      count = index + 1;
    }
    return true;
  }
  if (index == 0) {
    spans[0] = TTokenSpan32{at(0), at(0)};  // nothing but blanks
    count = 1;
    return true;
  }
  // Blanks after the last token open an empty last token.
  if (b[n - 1] == ' ') {
    if (index < kMaxTokens) spans[index] = TTokenSpan32{at(n), at(n)};
    ++index;
  }
  count = index;
  return true;
}

#endif

// Most lines hold only plain bytes and blanks. Their tokens are the runs
// between blanks, found sixteen bytes at a time in a copy of the line at b
// and left in place there; token places go to spans as offsets from b plus
// base. Sets count and returns true, or returns false (the line holds a
// special byte before any double quote) when the general way must split it.
bool SplitPlain(std::string_view line, char* b, uint32_t base, TTokenSpan32* spans, int& count) {
  const size_t n = line.size();
  CopyBytes(b, line.data(), n);
  // Blanks after the end stop every scan at the end and are no special
  // bytes; the words read below end within them.
  static_assert(kTokenPad == 16, "two words of blanks");
  const uint64_t padding = kOnes * ' ';
  std::memcpy(b + n, &padding, 8);
  std::memcpy(b + n + 8, &padding, 8);
#if CADXFORM_SSE2
  if (n < kShortLine) return SplitShortPlain(line.data(), b, n, base, spans, count);
#endif
  auto at = [base](size_t i) { return static_cast<uint32_t>(base + i); };
  // Each token ends at the first blank or special byte of the 16-byte
  // pieces read from its start on, so every byte of a token is checked;
  // bytes between tokens are blanks. A piece is read only from a position up
  // to n, so it ends within the padding.
  int index = 0;  // token being built
  size_t i = 0;
  while (i < n && b[i] == ' ') ++i;  // leading blanks
  while (i < n) {
    // Token `index` starts at i and ends at the next blank.
    size_t j = i;
    for (;;) {
      const int stop = FirstStop16(b + j);
      j += static_cast<size_t>(stop);
      if (stop < 16) break;
    }
    if (index < kMaxTokens) spans[index] = TTokenSpan32{at(i), at(j)};
    if (j < n && b[j] != ' ') {
      // A special byte. The first double quote ends splitting (a text line
      // carries its string after one); anything else takes the general way.
      if (b[j] != '"') return false;
      const size_t end = AppendRestOfLine(b, j + 1, n, b, j);
      if (index < kMaxTokens) spans[index].End = at(end);
      break;
    }
    if (j >= n) break;
    // Blanks after a token start the next one, which stays empty when the
    // line ends in them.
    ++index;
    i = j + 1;
    while (i < n && b[i] == ' ') ++i;
    if (index < kMaxTokens) spans[index] = TTokenSpan32{at(i), at(i)};
  }
  count = index + 1;
  if (index == 0 && i >= n) spans[0] = TTokenSpan32{at(0), at(0)};  // nothing but blanks
  return true;
}

// Every other line, byte by byte: the token bytes are copied together to
// out; returns the token count.
int SplitGeneral(std::string_view line, char* out, uint32_t base, TTokenSpan32* spans) {
  // The tokens never hold more bytes than the line. Bytes of tokens beyond
  // kMaxTokens are written too (that is cheaper than testing every byte) but
  // no token points at them: they are dropped.
  const auto* p = reinterpret_cast<const unsigned char*>(line.data());
  const size_t size = line.size();
  auto at = [base](size_t i) { return static_cast<uint32_t>(base + i); };
  size_t pos = 0;         // bytes written so far
  int index = 0;          // token being built
  bool nonEmpty = false;  // the token being built has a byte
  spans[0].Begin = at(0);

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
        // The token ends here and the next one begins.
        if (index < kMaxTokens) spans[index].End = at(pos);
        ++index;
        if (index < kMaxTokens) spans[index].Begin = at(pos);
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
  // quotes and equals signs included.
  pos = AppendRestOfLine(line.data(), i, size, out, pos);
  // Close the last stored token (when more than kMaxTokens tokens began,
  // the last stored one was closed when the next one began).
  if (index < kMaxTokens) spans[index].End = at(pos);
  assert(pos <= size);
  std::memset(out + pos, 0, kTokenPad);  // the padding after the last token
  return index + 1;
}

}  // namespace

int SplitCompact(std::string_view line, char* out, uint32_t base, TTokenSpan32* spans) {
  assert(uint64_t{base} + line.size() + kTokenPad <= UINT32_MAX);
  int count = 1;
  if (!SplitPlain(line, out, base, spans, count)) count = SplitGeneral(line, out, base, spans);
  return count;
}

int TTokenLine::Split(std::string_view line) {
  // Token places are 32-bit offsets into the buffer; a line too long for
  // them is treated as one too long for memory, as on a 32-bit build.
  if (line.size() > UINT32_MAX - kTokenPad) throw std::bad_alloc();
  Reserve(line.size() + kTokenPad);
  count_ = SplitCompact(line, bytes_.get(), 0, spans_.data());
  return count_;
}

}  // namespace cadxform
