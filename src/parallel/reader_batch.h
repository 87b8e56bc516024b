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

  // Splits line and appends it; with readReals also reads its tokens as
  // reals now. Throws std::bad_alloc when an array must grow and cannot.
  void Add(std::string_view line, bool readReals);
  // Where the token places of the next line split in place are to be
  // written: room for kMaxTokens + kSpanRoomPad places, valid until the
  // batch changes. Throws std::bad_alloc.
  TTokenSpan32* SpanRoom() {
    GrowTo(spans_, spansUsed_ + kMaxTokens + kSpanRoomPad);
    return spans_.data() + spansUsed_;
  }
  // Add for a line split in place, its count token places written at
  // SpanRoom() as offsets from line.data(): its tokens stay where they are
  // (kTokenPad readable bytes after each), which must not change while the
  // batch holds the line.
  void AddInPlace(std::string_view line, int count, bool readReals) { Append(line.data(), count, readReals); }

  // Lines held, and bytes of their tokens (for handing a batch over before
  // long lines make it large).
  int32_t Count() const { return count_; }
  size_t ByteCount() const { return bytesUsed_; }

  // Forgets every line, keeping the memory.
  void Clear();

  // Line i (0 <= i < Count()): a long line is kept whole, any other is
  // seen split in place, with the values of its tokens when they were read
  // ahead; the view is valid while the batch is not changed.
  bool IsLong(int32_t i) const { return lines_[static_cast<size_t>(i)].Long >= 0; }
  std::string_view LongLine(int32_t i) const;
  TTokenView Line(int32_t i) const {
    const TEntry& e = lines_[static_cast<size_t>(i)];
    return TTokenView(e.Bytes != nullptr ? e.Bytes : bytes_.data(), spans_.data() + e.Spans,
                      e.Reals >= 0 ? reals_.data() + e.Reals : nullptr, e.Count);
  }

 private:
  struct TEntry {
    const char* Bytes;  // what its places count from; nullptr for bytes_
    uint32_t Spans;  // first of its places in spans_
    int32_t Count;   // true token count
    int32_t Reals;   // first of its values in reals_, -1 when not read ahead
    int32_t Long;    // its copy in long_, -1 for a compact line
  };

  void AddLong(std::string_view line);

  // Makes v at least `size` long, growing by at least half so that the
  // copies of a growing batch cost linear time.
  template <class T>
  static void GrowTo(std::vector<T>& v, size_t size) {
    if (v.size() >= size) return;
    const size_t half = v.size() + v.size() / 2;
    v.resize(size > half ? size : half);
  }
  // Appends the line whose count token places were just written at the end
  // of spans_, as offsets from bytes (nullptr: bytes_); reads its tokens as
  // reals with readReals.
  void Append(const char* bytes, int count, bool readReals) {
    const size_t stored = static_cast<size_t>(count < kMaxTokens ? count : kMaxTokens);
    GrowTo(lines_, static_cast<size_t>(count_) + 1);
    lines_[static_cast<size_t>(count_)] = TEntry{bytes, static_cast<uint32_t>(spansUsed_), count, -1, -1};
    if (readReals) ReadReals(bytes != nullptr ? bytes : bytes_.data(), stored);
    ++count_;
    spansUsed_ += stored;
  }
  // Reads the stored tokens of the line being appended as reals.
  void ReadReals(const char* bytes, size_t stored);

  // Each array is used up to its count; its size only grows.
  std::vector<TEntry> lines_;
  int32_t count_ = 0;
  std::vector<char> bytes_;  // token bytes, kTokenPad readable bytes after each line's
  size_t bytesUsed_ = 0;
  std::vector<TTokenSpan32> spans_;
  size_t spansUsed_ = 0;
  std::vector<double> reals_;
  size_t realsUsed_ = 0;
  std::vector<std::string> long_;
  size_t longUsed_ = 0;
};

}  // namespace cadxform
