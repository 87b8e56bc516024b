// Cutting a chunk of the exchange file into lines and splitting its plain
// lines into tokens in the same pass, 64 bytes at a time.
//
// Each 64-byte block gives bit masks of its line ends, blanks and stop
// bytes (every byte that is no plain token byte: blanks, line ends, control
// bytes and tabs, bytes from 0x80 up, double quotes and equals signs). The
// tokens of a line are the runs of plain bytes between its blanks; they
// stay in place in the chunk. A line is plain when it holds only plain
// bytes and blanks before its LF (a CR right before the LF is allowed), or
// a double quote under the conditions below; its tokens then come out
// exactly as the splitter in tokenizer.h gives them. Every other line
// (double-byte characters before a quote, equals signs, tabs, control
// bytes, a Ctrl+Z, a lone CR, more than kMaxTokens - 1 tokens) is handed
// out raw, for the general way.
//
//   chunk "ci 1 2\r\nch 1 \"A B\nfile=x\n" -> plain "ci 1 2" ("ci" "1" "2"),
//   plain "ch 1 \"A B" ("ch" "1" "A B"), raw "file=x"
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "cadxform/cp932.h"
#include "format/token_view.h"
#include "numeric/cpu_paths.h"
#include "numeric/word_bits.h"

#if CADXFORM_SSE2
#include <emmintrin.h>
#endif

namespace cadxform {

// Readable bytes a chunk given to ScanChunk must have after its end:
// its last block is read whole, and the tokens of its last line need
// kTokenPad bytes after them.
inline constexpr size_t kChunkPad = 64;

#if CADXFORM_SSE2
// The lanes of v that hold a byte splitting stops at: below 0x21 as signed
// bytes (blanks, tabs, control bytes and, being negative, every byte from
// 0x80 up), double quotes and equals signs. The one statement of those
// bytes for every SSE2 scan of the reader.
inline __m128i StopLanes(__m128i v) {
  return _mm_or_si128(_mm_cmplt_epi8(v, _mm_set1_epi8(0x21)),
                      _mm_or_si128(_mm_cmpeq_epi8(v, _mm_set1_epi8('"')), _mm_cmpeq_epi8(v, _mm_set1_epi8('='))));
}
#endif

// Bit i of each mask for byte i of 64 bytes.
struct TBlockMasks {
  uint64_t Ends;    // LF
  uint64_t Returns; // CR
  uint64_t Blanks;  // ' '
  uint64_t Stops;   // no plain token byte: below 0x21 or from 0x80 up, '"', '='
};

// The masks of the 64 bytes at p: sixteen at a time with SSE2, where the
// bytes from 0x80 up are negative and so below 0x21 with the control bytes;
// otherwise byte by byte.
inline TBlockMasks ScanBlock(const char* p) {
  TBlockMasks m{0, 0, 0, 0};
#if CADXFORM_SSE2
  for (unsigned k = 0; k < 64; k += 16) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + k));
    const __m128i ends = _mm_cmpeq_epi8(v, _mm_set1_epi8('\n'));
    const __m128i returns = _mm_cmpeq_epi8(v, _mm_set1_epi8('\r'));
    const __m128i blanks = _mm_cmpeq_epi8(v, _mm_set1_epi8(' '));
    const __m128i stops = StopLanes(v);
    m.Ends |= uint64_t{static_cast<uint32_t>(_mm_movemask_epi8(ends))} << k;
    m.Returns |= uint64_t{static_cast<uint32_t>(_mm_movemask_epi8(returns))} << k;
    m.Blanks |= uint64_t{static_cast<uint32_t>(_mm_movemask_epi8(blanks))} << k;
    m.Stops |= uint64_t{static_cast<uint32_t>(_mm_movemask_epi8(stops))} << k;
  }
#else
  for (unsigned k = 0; k < 64; ++k) {
    const auto b = static_cast<unsigned char>(p[k]);
    const uint64_t bit = uint64_t{1} << k;
    if (b == '\n') m.Ends |= bit;
    if (b == '\r') m.Returns |= bit;
    if (b == ' ') m.Blanks |= bit;
    if (b < 0x21 || b >= 0x80 || b == '"' || b == '=') m.Stops |= bit;
  }
#endif
  return m;
}

// What ScanChunk returns when a line handed out stopped it.
inline constexpr size_t kScanStopped = ~size_t{0};

// True when the bytes p[from .. end) end in a lead byte without its second
// byte, p[from] being the first byte of a character: the last run of lead
// bytes there, which starts a character, pairs its bytes from its start.
inline bool EndsInLoneLead(const char* p, size_t from, size_t end) {
  size_t run = 0;
  while (end > from + run && IsLeadByte(static_cast<unsigned char>(p[end - run - 1]))) ++run;
  return run % 2 != 0;
}

// True when the special bytes of a line at the bits of `special` of the
// block at p, whose content ends at p[end] (its CR or LF), are a double
// quote and after it only bytes that the quote's token keeps as they are:
// quotes, equals signs and the bytes of double-byte characters and
// single-byte kana (0x80 to 0xFD), the line not ending in a lead byte
// without its second byte (which is dropped).
inline bool QuotedRest(const char* p, uint64_t special, size_t end) {
  const size_t quote = CountLowZeros(special);
  if (p[quote] != '"') return false;
  bool wide = false;
  for (uint64_t rest = special & (special - 1); rest != 0; rest &= rest - 1) {
    const auto c = static_cast<unsigned char>(p[CountLowZeros(rest)]);
    if (c >= 0x80 && c <= 0xFD) {
      wide = true;
    } else if (c != '"' && c != '=') {
      return false;
    }
  }
  return !wide || !EndsInLoneLead(p, quote + 1, end);
}

// Places beyond kMaxTokens that ScanChunk may write to (a block adds up to
// 32 tokens to a line before it knows the line has too many).
inline constexpr size_t kSpanRoomPad = 32;

// Cuts data[from .. size) into lines and splits its plain lines in place.
// For each line that ends in it, in order: a plain line goes to
// onPlain(std::string_view line, const TTokenSpan32* spans, int count), line
// without its line end and its token places in spans, as offsets from its
// first byte; any other goes to onOther(std::string_view raw), raw the line
// without its LF (a CR in it still there), which returns false to stop.
// Returns where the line that does not end in the chunk begins (size when
// none), or kScanStopped when onOther stopped. data must be followed by
// kChunkPad readable bytes and size must fit 32-bit offsets. The token
// places of a line go to room(), asked for at the start and after every
// line handed out, which gives room for kMaxTokens + kSpanRoomPad places.
//
// A plain line may hold a double quote, which ends splitting, when the
// quote lies in the block of its line end, no byte of the line is a control
// byte, a tab, 0xFE or 0xFF, none before the quote is from 0x80 up, and the
// line does not end in a lead byte without its second byte: the rest of the
// line, blanks, quotes, equals signs and double-byte characters included,
// then joins the token the quote ends (whose bytes move one place up, over
// the quote) or makes a token of its own.
template <class FRoom, class FPlain, class FOther>
size_t ScanChunk(char* data, size_t from, size_t size, FRoom&& room, FPlain&& onPlain, FOther&& onOther) {
  TTokenSpan32* spans = room();
  size_t lineStart = from;
  // The line being cut, in the blocks before: tokens begun, whether the
  // last one is still open, whether a special byte (or too many tokens)
  // sends it the general way.
  uint32_t tokens = 0;
  bool open = false;
  bool special = false;
  uint64_t wordEdge = 0;  // 1 when the last byte of the block before is a token byte
  for (size_t block = from; block < size; block += 64) {
    const TBlockMasks m = ScanBlock(data + block);
    const size_t left = size - block;
    uint64_t ends = left >= 64 ? m.Ends : m.Ends & ((uint64_t{1} << left) - 1);
    const uint64_t words = ~m.Stops;
    const uint64_t after = (words << 1) | wordEdge;
    wordEdge = words >> 63;
    const uint64_t starts = words & ~after;
    const uint64_t stops = ~words & after;  // the byte after each token
    // A CR right before an LF in the block is no special byte.
    const uint64_t crlf = m.Returns & (m.Ends >> 1);
    const uint64_t specials = m.Stops & ~m.Blanks & ~m.Ends & ~crlf;
    uint64_t taken = 0;  // the bits of the lines cut
    auto base = static_cast<uint32_t>(block - lineStart);  // offsets modulo 2^32
    // Takes the tokens that begin among the bits of s into the line; each
    // start pairs with the next end in e, after the end of a token left
    // open by the block before (the last token may stay open: its end,
    // from no bit, is written again when it closes).
    auto take = [&](uint64_t s, uint64_t e) {
      if (open && e != 0) {
        spans[tokens - 1].End = base + static_cast<uint32_t>(CountLowZeros(e));
        e &= e - 1;
      }
      TTokenSpan32* p = spans + tokens;
      for (; s != 0; s &= s - 1, e &= e - 1, ++p) {
        p->Begin = base + static_cast<uint32_t>(CountLowZeros(s));
        p->End = base + static_cast<uint32_t>(CountLowZeros(e));
      }
      tokens = static_cast<uint32_t>(p - spans);
      special = tokens >= kMaxTokens;
    };
    while (ends != 0) {
      const uint64_t endBit = ends & (~ends + 1);
      const uint64_t mine = (endBit - 1) & ~taken;
      const size_t end = block + static_cast<size_t>(CountLowZeros(endBit));
      uint64_t quote = 0;  // the double quote that ends splitting
      if (!special) {
        const uint64_t first = specials & mine & (~(specials & mine) + 1);
        if (first != 0) {
          quote = first;
          const size_t contentEnd = CountLowZeros(endBit) - ((crlf & (endBit >> 1)) != 0 ? 1 : 0);
          special = !QuotedRest(data + block, specials & mine, contentEnd);
        }
      }
      if (!special) {
        const uint64_t upto = (quote != 0 ? quote : endBit);
        take(starts & mine & (upto - 1), stops & ~taken & (upto | (upto - 1)));
      }
      if (!special) {
        // (A CR at the end of the block before would have been special.)
        const size_t contentEnd = end - ((crlf & (endBit >> 1)) != 0 ? 1 : 0);
        const std::string_view line(data + lineStart, contentEnd - lineStart);
        const auto n = static_cast<uint32_t>(line.size());
        int count = static_cast<int>(tokens);
        if (quote != 0) {
          const size_t q = block + static_cast<size_t>(CountLowZeros(quote));
          if (q > lineStart && data[q - 1] != ' ') {
            TTokenSpan32& t = spans[tokens - 1];
            for (size_t i = lineStart + t.End; i > lineStart + t.Begin; --i) data[i] = data[i - 1];
            t = TTokenSpan32{t.Begin + 1, n};
          } else {
            spans[tokens] = TTokenSpan32{static_cast<uint32_t>(q + 1 - lineStart), n};
            ++count;
          }
        } else if (tokens == 0) {
          spans[0] = TTokenSpan32{0, 0};  // nothing but blanks: one empty token
          count = 1;
        } else if (line.back() == ' ') {
          spans[tokens] = TTokenSpan32{n, n};  // blanks after the last token open an empty one
          ++count;
        }
        onPlain(line, static_cast<const TTokenSpan32*>(spans), count);
      } else if (!onOther(std::string_view(data + lineStart, end - lineStart))) {
        return kScanStopped;
      }
      spans = room();
      taken |= mine | endBit;
      ends &= ends - 1;
      lineStart = end + 1;
      base = static_cast<uint32_t>(block - lineStart);
      tokens = 0;
      open = false;
      special = false;
    }
    // The rest of the block begins the next line.
    const uint64_t rest = ~taken;
    special = special || (specials & rest) != 0;
    if (!special) {
      take(starts & rest, stops & rest);
      open = wordEdge != 0;
    }
  }
  return lineStart < size ? lineStart : size;
}

}  // namespace cadxform
