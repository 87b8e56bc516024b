// The output buffer: every line of the new exchange file, queued until the
// file is written.
//
// Lines are held compactly as the bytes they will have in the file (each
// line followed by CR LF), in chunks of 1 MiB that never move. Without a
// sink the buffer holds the whole output (about its size in memory). With a
// sink (the temporary file of the file writer, see SetSink) every chunk that
// fills up is handed to the sink and its memory reused, so a huge output
// costs one chunk of memory. Two kinds of entry exist:
//   - a plain line (AddOutLine): written followed by CR LF;
//   - a text header (AddTextHeader, used only by the text and dimension
//     writers): written without a line end, so that the entry queued after
//     it (the text itself) continues the same file line and ends it.
// A header that is the last entry leaves the file without a final CR LF.
// Whatever its last byte, a plain line always gets its own CR LF: a font
// name that ends in a double quote never swallows the next line.
//
// Every entry is cut to its first 255 bytes.
//
// With a sink, Clear also tells the sink to discard what it was given, so
// an abandoned output leaves nothing behind in either place.
//
// Example: out.AddLine("hd"); out.AddHeader("ch 10 20 1 0 \""); out.AddLine("A");
//   gives the bytes  hd\r\nch 10 20 1 0 "A\r\n
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "format/byte_copy.h"

namespace cadxform {

// Longest entry of the output buffer.
inline constexpr size_t kOutLineMax = 255;

// Bytes a line written in place (TOutBuffer::BeginLine) may use, scratch
// bytes after its end included; more than the longest entry and its line
// end.
inline constexpr size_t kLineRoom = 320;
static_assert(kLineRoom >= kOutLineMax + 2);

// Memory that several buffers share (the library's own business).
class TChunkStore;

// Where a buffer with a sink sends its complete chunks, in order.
class TOutSink {
 public:
  virtual ~TOutSink() = default;
  // Takes the next size bytes of the output. A failure is the sink's to
  // remember and report; the buffer drops the bytes either way.
  virtual void Take(const char* data, size_t size) = 0;
  // Forgets every byte taken so far (the output was abandoned).
  virtual void Discard() = 0;
};

class TOutBuffer {
 public:
  // Sends full chunks to sink from now on, those already held first
  // (nullptr: keep everything in memory). The buffer does not own it.
  void SetSink(TOutSink* sink);
  TOutSink* Sink() const { return sink_; }
  // Appends a plain line (cut to 255 bytes). A line that fits the room of
  // the last chunk is copied there with its line end at once.
  void AddLine(std::string_view line) {
    if (line.size() <= kOutLineMax && HasLineRoom()) {
      char* begin = chunks_.back().Data.get() + used_;
      CopyBytes(begin, line.data(), line.size());
      CloseInPlace(begin, line.size());
      return;
    }
    AddEntry(line, false);
  }
  // Appends a text header (cut to 255 bytes); the next entry joins it.
  void AddHeader(std::string_view header);
  // A line written in place, without a copy: BeginLine gives room for
  // kLineRoom bytes (at the end of the last chunk when it has that room,
  // else in a scratch area); EndLine(begin, end) or EndHeader(begin, end)
  // then appends the bytes written from begin to end as AddLine or
  // AddHeader would. Nothing else may be appended in between.
  char* BeginLine() {
    if (HasLineRoom()) return chunks_.back().Data.get() + used_;
    return lineScratch_;
  }
  void EndLine(char* begin, const char* end) {
    // In place, a plain line of at most kOutLineMax bytes takes its line end
    // there too (the room holds it).
    const auto n = static_cast<size_t>(end - begin);
    if (begin != lineScratch_ && n <= kOutLineMax) return CloseInPlace(begin, n);
    EndEntry(begin, end, false);
  }
  void EndHeader(char* begin, const char* end) { EndEntry(begin, end, true); }
  // EndHeader(begin, end) and then AddLine(line): a text header and its
  // text, written together in place when the room holds both uncut.
  void EndHeaderWithLine(char* begin, const char* end, std::string_view line) {
    const auto n = static_cast<size_t>(end - begin);
    if (begin != lineScratch_ && !join_next_ && n <= kOutLineMax && line.size() <= kOutLineMax &&
        n + line.size() + 2 <= kLineRoom) {
      CopyBytes(begin + n, line.data(), line.size());
      char* lineEnd = begin + n + line.size();
      lineEnd[0] = '\r';
      lineEnd[1] = '\n';
      used_ += n + line.size() + 2;
      count_ += 2;
      return;
    }
    EndHeader(begin, end);
    AddLine(line);
  }
  // Number of entries appended since the last Clear.
  int32_t Count() const { return count_; }
  // Empties the buffer and releases its storage; a sink is told to discard
  // what it took and stays set.
  void Clear();
  // The bytes of the file as held in memory (without the "hq" of an empty
  // buffer, which the file writer adds, and without what went to a sink).
  std::string Bytes() const;
  // Calls f(const char* data, size_t size) for each piece held in memory,
  // in order.
  template <class F>
  void ForEachPiece(F&& f) const {
    for (size_t i = 0; i < chunks_.size(); ++i) {
      const size_t used = (i + 1 == chunks_.size()) ? used_ : chunks_[i].Used;
      if (used > 0) f(chunks_[i].Data.get(), used);
    }
  }
  // Number of bytes held in memory.
  size_t Size() const { return closed_ + used_; }
  // A writer met a value that is not a finite number (and wrote 0 for it):
  // the output must not reach the file (see format/written_real.h).
  // Cleared by Clear; joined buffers pass it on.
  void NoteNotFinite() { notFinite_ = true; }
  bool HadNotFinite() const { return notFinite_; }

  // Bytes per chunk: also the size of each full piece a sink takes.
  static constexpr size_t kChunk = 1 << 20;

 private:
  // Joins the output of the library's segment writers (out_buffer_join.h).
  friend struct TOutBufferJoin;

  // Takes chunks from pool and gives them back when done with them
  // (nullptr: allocates and frees its own). The buffer does not own it;
  // the pool must outlive its use by the buffer (chunks held when the
  // buffer is destroyed are freed, not given back).
  void SetChunkPool(TChunkStore* pool) { pool_ = pool; }
  // Appends every entry of other (neither may end in a text header) by
  // taking over its chunks; other is left empty. With a sink, every chunk
  // but the last then goes to it.
  void MoveFrom(TOutBuffer& other);

  // A chunk and, unless it is the last one, the bytes used in it.
  struct TChunk {
    std::unique_ptr<char[]> Data;
    size_t Used;
  };

  // True when the last chunk has room for a line written in place.
  bool HasLineRoom() const { return !chunks_.empty() && kChunk - used_ >= kLineRoom; }
  // Ends the plain line of n bytes (at most kOutLineMax) written in place
  // at begin, the end of the last chunk: its line end follows it there.
  void CloseInPlace(char* begin, size_t n) {
    begin[n] = '\r';
    begin[n + 1] = '\n';
    used_ += n + 2;
    join_next_ = false;
    ++count_;
  }
  // Appends bytes; the slow path starts a new chunk or spills a full one.
  void Append(const char* data, size_t size);
  void AppendSlow(const char* data, size_t size);
  void AddEntry(std::string_view entry, bool header);
  void EndEntry(char* begin, const char* end, bool header);
  // Ends an entry whose bytes were appended: its line end, or none after a
  // header.
  void CloseEntry(bool header);
  // Adds an empty last chunk.
  void StartChunk();
  // Hands the first n chunks to the sink and releases them.
  void HandOver(size_t n);
  // Keeps chunk for this buffer's next one, or gives it back to the pool
  // (or frees it).
  void Release(std::unique_ptr<char[]> chunk) noexcept;

  std::vector<TChunk> chunks_;
  size_t used_ = 0;         // bytes used in the last chunk
  size_t closed_ = 0;       // bytes used in the chunks before the last
  int32_t count_ = 0;       // entries appended
  bool join_next_ = false;  // the previous entry was a header
  bool notFinite_ = false;
  TOutSink* sink_ = nullptr;
  TChunkStore* pool_ = nullptr;
  std::unique_ptr<char[]> spare_;  // a released chunk kept for the next one
  char lineScratch_[kLineRoom];    // BeginLine's room when the chunk has none
};

// Appends line to the buffer as a plain line.
inline void AddOutLine(TOutBuffer& out, std::string_view line) { out.AddLine(line); }
// Appends a text header (text and dimension writers only).
inline void AddTextHeader(TOutBuffer& out, std::string_view header) { out.AddHeader(header); }
// Appends "h#" followed directly by msg: a message addressed to the user.
void AddMessageLine(TOutBuffer& out, std::string_view msg);
// Empties the buffer (user abort).
inline void ClearOutLines(TOutBuffer& out) { out.Clear(); }
// Number of entries in the buffer.
inline int32_t OutLineCount(const TOutBuffer& out) { return out.Count(); }

}  // namespace cadxform
