#include "exchange/reader_batch.h"

#include <cassert>

#include "cadxform/parse_number.h"

namespace cadxform {

namespace {

// Makes v at least `size` long, growing by at least half so that the
// copies of a growing batch cost linear time.
template <class T>
void GrowTo(std::vector<T>& v, size_t size) {
  if (v.size() >= size) return;
  const size_t half = v.size() + v.size() / 2;
  v.resize(size > half ? size : half);
}

}  // namespace

void TTokenBatch::Add(std::string_view line, bool readReals) {
  TEntry e{static_cast<uint32_t>(spansUsed_), 1, -1, -1};
  if (line.size() > kLongLine) {
    if (longUsed_ == long_.size()) long_.emplace_back();
    long_[longUsed_].assign(line);
    e.Long = static_cast<int32_t>(longUsed_);
    lines_.push_back(e);  // may throw: then the long line stays unused
    ++longUsed_;
    return;
  }
  // The offsets of a batch stay far below 2^32: it is handed over long
  // before (see the caller), and its lines are short.
  assert(bytesUsed_ + line.size() + kTokenPad < UINT32_MAX);
  GrowTo(bytes_, bytesUsed_ + line.size() + kTokenPad);
  GrowTo(spans_, spansUsed_ + kMaxTokens);
  e.Count = SplitCompact(line, bytes_.data() + bytesUsed_, static_cast<uint32_t>(bytesUsed_),
                         spans_.data() + spansUsed_);
  const size_t stored = static_cast<size_t>(e.Count < kMaxTokens ? e.Count : kMaxTokens);
  if (readReals) {
    e.Reals = static_cast<int32_t>(reals_.size());
    const TTokenSpan32* s = spans_.data() + spansUsed_;
    for (size_t k = 0; k < stored; ++k) {
      reals_.push_back(StrToFloatOrZeroPadded(
          std::string_view(bytes_.data() + s[k].Begin, s[k].End - s[k].Begin)));
    }
  }
  lines_.push_back(e);
  // The line's tokens end at most at its end; its padding is kept readable.
  bytesUsed_ += line.size() + kTokenPad;
  spansUsed_ += stored;
}

void TTokenBatch::Clear() {
  lines_.clear();
  reals_.clear();
  bytesUsed_ = 0;
  spansUsed_ = 0;
  longUsed_ = 0;
}

std::string_view TTokenBatch::LongLine(int32_t i) const {
  assert(IsLong(i));
  return long_[static_cast<size_t>(lines_[static_cast<size_t>(i)].Long)];
}

TBatchLine TTokenBatch::Line(int32_t i) const {
  const TEntry& e = lines_[static_cast<size_t>(i)];
  assert(e.Long < 0);
  return TBatchLine(bytes_.data(), spans_.data() + e.Spans,
                    e.Reals >= 0 ? reals_.data() + e.Reals : nullptr, e.Count);
}

}  // namespace cadxform
