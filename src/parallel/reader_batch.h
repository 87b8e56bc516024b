// Lines split into tokens in batches, for reading a file on two threads: one
// thread splits lines into a batch, the other applies them after it has been
// handed over. A batch keeps all its lines in a few compact arrays (token
// bytes, token places as 32-bit offsets, read-ahead values), so that both
// threads work in a small set of memory; the tokens of a line split in
// place in the chunk it was read into stay there (the chunk is kept until
// the batch is done with).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "format/chunk_scan.h"
#include "format/token_view.h"

namespace cadxform {

// Split lines, in the order added. Reused batch after batch: its arrays keep
// their size, so a batch allocates nothing once it has held its largest
// content.
class TTokenBatch {
 public:
  // A line longer than this is kept whole, to be split by the applying
  // thread like a line of a file read on one thread (which takes lines of
  // any length); every other line is split into the compact arrays,
  // whose 32-bit offsets then never overflow.
  static constexpr size_t kLongLine = size_t{1} << 16;

  TTokenBatch() = default;
  // (Its cursors point into its own arrays.)
  TTokenBatch(const TTokenBatch&) = delete;
  TTokenBatch& operator=(const TTokenBatch&) = delete;

  // Splits line and appends it; with readReals also reads its tokens as
  // reals now. Throws std::bad_alloc when an array must grow and cannot.
  void Add(std::string_view line, bool readReals);
  // Where the token places of the next line split in place are to be
  // written: room for kMaxTokens + kSpanRoomPad places, valid until the
  // batch changes. Throws std::bad_alloc.
  TTokenSpan32* SpanRoom() {
    if (spanAt_ >= spanFit_) MakeSpanRoom();
    return spanAt_;
  }
  // Add for a line split in place, its count token places written at
  // SpanRoom() as offsets from line.data(): its tokens stay where they are
  // (kTokenPad readable bytes after each), which must not change while the
  // batch holds the line. Throws std::bad_alloc.
  void AddInPlace(std::string_view line, int count, bool readReals) { Append(line.data(), count, readReals); }

  // Lines held, and bytes of their tokens (for handing a batch over before
  // long lines make it large).
  int32_t Count() const { return static_cast<int32_t>(lineAt_ - lines_.data()); }
  size_t ByteCount() const { return bytesUsed_; }

  // Forgets every line, keeping the memory.
  void Clear();

  // Line i (0 <= i < Count()): a long line is kept whole, any other is
  // seen split in place, with the values of its tokens when they were read
  // ahead; the view is valid while the batch is not changed.
  bool IsLong(int32_t i) const { return lines_[static_cast<size_t>(i)].Count == 0; }
  std::string_view LongLine(int32_t i) const;
  TTokenView Line(int32_t i) const {
    const TEntry& e = lines_[static_cast<size_t>(i)];
    const size_t at = e.Spans & ~kReadAhead;
    return TTokenView(e.Bytes != nullptr ? e.Bytes : bytes_.data(), spans_.data() + at,
                      (e.Spans & kReadAhead) != 0 ? reals_.data() + at : nullptr, e.Count);
  }

 private:
  // A line: its token places start at Spans (without the flag bit), and so
  // do its read-ahead values, when the flag is set; a long line has Count 0
  // and its copy at long_[Spans].
  struct TEntry {
    const char* Bytes;  // what its places count from; nullptr for bytes_
    uint32_t Spans;
    int32_t Count;  // true token count
  };
  static constexpr uint32_t kReadAhead = uint32_t{1} << 31;
  // The places one line may be given: what ScanChunk may write.
  static constexpr size_t kLineRoom = kMaxTokens + kSpanRoomPad;

  void AddLong(std::string_view line);
  // Grows the arrays of token places (and of values read ahead, kept
  // beside them) to room for kLineRoom more. Throws std::bad_alloc.
  void MakeSpanRoom();

  // Makes v at least `size` long, growing by at least half so that the
  // copies of a growing batch cost linear time.
  template <class T>
  static void GrowTo(std::vector<T>& v, size_t size) {
    if (v.size() >= size) return;
    const size_t half = v.size() + v.size() / 2;
    v.resize(size > half ? size : half);
  }
  // Appends the line whose count token places were just written at
  // SpanRoom(), as offsets from bytes (nullptr: bytes_); reads its tokens
  // as reals with readReals.
  void Append(const char* bytes, int count, bool readReals) {
    if (lineAt_ == lineEnd_) GrowLines();
    const auto stored = static_cast<uint32_t>(count < kMaxTokens ? count : kMaxTokens);
    const auto at = static_cast<uint32_t>(spanAt_ - spans_.data());
    *lineAt_++ = TEntry{bytes, readReals ? at | kReadAhead : at, count};
    if (readReals) ReadReals(bytes != nullptr ? bytes : bytes_.data(), at, stored);
    spanAt_ += stored;
  }
  // Reads the stored tokens of the line whose places begin at `at` as
  // reals, to reals_[at ..].
  void ReadReals(const char* bytes, uint32_t at, uint32_t stored);
  void GrowLines();

  // Each array is used up to its cursor; its size only grows.
  std::vector<TEntry> lines_;
  TEntry* lineAt_ = nullptr;   // the next line's entry
  TEntry* lineEnd_ = nullptr;  // the end of lines_
  std::vector<char> bytes_;  // token bytes, kTokenPad readable bytes after each line's
  size_t bytesUsed_ = 0;
  std::vector<TTokenSpan32> spans_;
  std::vector<double> reals_;  // as long as spans_
  TTokenSpan32* spanAt_ = nullptr;   // the next line's places
  TTokenSpan32* spanFit_ = nullptr;  // spanAt_ below this leaves kLineRoom places
  std::vector<std::string> long_;
  size_t longUsed_ = 0;
};

}  // namespace cadxform
