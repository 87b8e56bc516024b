#include "parallel/reader_batch.h"

#include <cassert>

#include "format/tokenizer.h"
#include "numeric/parse_padded.h"

namespace cadxform {

void TTokenBatch::Add(std::string_view line, bool readReals) {
  if (line.size() > kLongLine) {
    AddLong(line);
    return;
  }
  // The offsets of a batch stay far below 2^32: it is handed over long
  // before (see the caller), and its lines are short.
  assert(bytesUsed_ + line.size() + kTokenPad < UINT32_MAX);
  GrowTo(bytes_, bytesUsed_ + line.size() + kTokenPad);
  GrowTo(spans_, spansUsed_ + kMaxTokens);
  const int count =
      SplitCompact(line, bytes_.data() + bytesUsed_, static_cast<uint32_t>(bytesUsed_), spans_.data() + spansUsed_);
  // The line's tokens end at most at its end; its padding is kept readable.
  bytesUsed_ += line.size() + kTokenPad;
  Append(nullptr, count, readReals);
}

void TTokenBatch::ReadReals(const char* bytes, size_t stored) {
  const TTokenSpan32* spans = spans_.data() + spansUsed_;
  GrowTo(reals_, realsUsed_ + stored);
  double* values = reals_.data() + realsUsed_;
  for (size_t k = 0; k < stored; ++k) {
    // Keywords (the first token of most lines) read as 0 without a call.
    const std::string_view token(bytes + spans[k].Begin, spans[k].End - spans[k].Begin);
    values[k] = MayReadNonZero(token) ? StrToFloatOrZeroPadded(token) : 0.0;
  }
  lines_[static_cast<size_t>(count_)].Reals = static_cast<int32_t>(realsUsed_);
  realsUsed_ += stored;
}

void TTokenBatch::AddLong(std::string_view line) {
  GrowTo(lines_, static_cast<size_t>(count_) + 1);
  if (longUsed_ == long_.size()) long_.emplace_back();
  long_[longUsed_].assign(line);
  lines_[static_cast<size_t>(count_)] = TEntry{nullptr, 0, 1, -1, static_cast<int32_t>(longUsed_)};
  ++longUsed_;
  ++count_;
}

void TTokenBatch::Clear() {
  count_ = 0;
  bytesUsed_ = 0;
  spansUsed_ = 0;
  realsUsed_ = 0;
  longUsed_ = 0;
}

std::string_view TTokenBatch::LongLine(int32_t i) const {
  assert(IsLong(i));
  return long_[static_cast<size_t>(lines_[static_cast<size_t>(i)].Long)];
}

}  // namespace cadxform
