// Cutting the bytes of the exchange file into lines.
//
// The file is read in large binary chunks; TLineAssembler finds the line
// ends in each chunk and hands every complete line to a callback, carrying a
// partial line over to the next chunk. Line rules:
//   - a line ends at LF; the LF is not part of the line;
//   - every CR is removed: the CR of a CR LF pair ends the line with the LF,
//     and a CR not followed by LF neither ends a line nor stays in it;
//   - a Ctrl+Z byte (0x1A) as the first byte of a line ends the file;
//   - a last line without line end is still a line; lines have no length
//     limit.
//
// Example: the bytes  "ab\r\ncd\re\nf"  give the lines "ab", "cde", "f";
//          the bytes  "ab\n\x1A\ncd"     give the line "ab" only.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

#include "format/byte_scan.h"
#include "format/chunk_scan.h"

namespace cadxform {

class TLineAssembler {
 public:
  // Feeds the next size bytes of the file. Calls onLine(std::string_view)
  // for every line completed by them, in order; the view is valid only
  // during the call. Returns false once a Ctrl+Z has ended the file (then
  // nothing more may be fed). Copies only lines that cross a chunk boundary
  // or hold a lone CR, so any line length costs linear time.
  // Throws std::bad_alloc when a carried line cannot grow (or whatever
  // onLine throws); the lines handed out before stay handed out.
  template <class F>
  bool Feed(const char* data, size_t size, F&& onLine) {
    if (ended_) return false;
    const char* end = data + size;
    while (data < end) {
      if (carry_.empty()) {
        // The usual line, ending in LF or CR LF with no other CR, in one
        // search for either byte; anything else the general way below.
        const char* stop = FindEitherByte(data, static_cast<size_t>(end - data), '\n', '\r');
        const size_t crlf = stop != nullptr && *stop == '\r' ? 1 : 0;
        if (stop != nullptr && (crlf == 0 || (stop + 1 < end && stop[1] == '\n'))) {
          const std::string_view line(data, static_cast<size_t>(stop - data));
          data = stop + 1 + crlf;
          if (!DeliverPlain(line, onLine)) return false;
          continue;
        }
      }
      const char* stop = FindByte(data, static_cast<size_t>(end - data), '\n');
      if (stop == nullptr) {
        carry_.append(data, static_cast<size_t>(end - data));
        break;
      }
      std::string_view raw(data, static_cast<size_t>(stop - data));
      data = stop + 1;
      if (!carry_.empty()) {
        carry_.append(raw);
        const bool go = Deliver(carry_, onLine);
        carry_.clear();
        if (!go) return false;
      } else if (!Deliver(raw, onLine)) {
        return false;
      }
    }
    return true;
  }

  // Feed for a chunk followed by kChunkPad writable bytes, which it clears
  // (the chunk's size must fit 32-bit offsets): a plain line that lies whole in the chunk is split
  // in place, which may move its bytes (see chunk_scan.h), and handed to
  // onSplit(std::string_view line, const TTokenSpan32* spans, int count),
  // its token places offsets from line.data(), written where room() said
  // (see ScanChunk); every other line goes to onLine as with Feed.
  template <class FRoom, class FSplit, class FLine>
  bool FeedSplit(char* data, size_t size, FRoom&& room, FSplit&& onSplit, FLine&& onLine) {
    if (ended_) return false;
    std::memset(data + size, 0, kChunkPad);
    size_t from = 0;
    if (!carry_.empty()) {
      // The line carried over ends in this chunk, or goes on past it.
      const char* stop = FindByte(data, size, '\n');
      if (stop == nullptr) {
        carry_.append(data, size);
        return true;
      }
      carry_.append(data, static_cast<size_t>(stop - data));
      const bool go = Deliver(carry_, onLine);
      carry_.clear();
      if (!go) return false;
      from = static_cast<size_t>(stop - data) + 1;
    }
    auto onOther = [&](std::string_view raw) { return Deliver(raw, onLine); };
    const size_t rest = ScanChunk(data, from, size, room, onSplit, onOther);
    if (rest == kScanStopped) return false;
    carry_.append(data + rest, size - rest);
    return true;
  }

  // Ends the file: hands out the last line when it had no line end.
  template <class F>
  void Finish(F&& onLine) {
    if (!ended_ && !carry_.empty()) Deliver(carry_, onLine);
    carry_.clear();
    ended_ = true;
  }

 private:
  // Hands one raw line (without its LF) to onLine; false when the line
  // starts with Ctrl+Z and so ends the file.
  template <class F>
  bool Deliver(std::string_view raw, F&& onLine) {
    if (EndsFile(raw)) return false;
    onLine(StripCr(raw));
    return true;
  }

  // Deliver for a raw line that holds no CR (it ended in LF or CR LF).
  template <class F>
  bool DeliverPlain(std::string_view raw, F&& onLine) {
    if (EndsFile(raw)) return false;
    onLine(raw);
    return true;
  }

  // True (and the file ended) when the raw line starts with Ctrl+Z.
  bool EndsFile(std::string_view raw) {
    if (raw.empty() || raw.front() != '\x1A') return false;
    ended_ = true;
    return true;
  }

  // raw without its CR bytes; a view of raw itself when the only CR is the
  // last byte (the usual CR LF) or there is none.
  std::string_view StripCr(std::string_view raw);

  std::string carry_;    // partial line carried over to the next chunk
  std::string noCr_;     // raw line with inner CR bytes removed
  bool ended_ = false;
};

}  // namespace cadxform
