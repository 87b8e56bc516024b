#include "parallel/reader_batch.h"

#include <cassert>
#include <new>

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
  const int count = SplitCompact(line, bytes_.data() + bytesUsed_, static_cast<uint32_t>(bytesUsed_), SpanRoom());
  // The line's tokens end at most at its end; its padding is kept readable.
  bytesUsed_ += line.size() + kTokenPad;
  Append(nullptr, count, readReals);
}

void TTokenBatch::MakeSpanRoom() {
  // A batch of the default size holds some 16 thousand places: the first
  // room made is about that, so that a batch seldom grows.
  constexpr size_t kFirstRoom = size_t{1} << 14;
  const size_t used = static_cast<size_t>(spanAt_ - spans_.data());
  // The places are offsets below the flag bit of an entry.
  if (used + kLineRoom >= kReadAhead) throw std::bad_alloc();
  GrowTo(spans_, used + kLineRoom > kFirstRoom ? used + kLineRoom : kFirstRoom);
  reals_.resize(spans_.size());
  spanAt_ = spans_.data() + used;
  spanFit_ = spans_.data() + (spans_.size() - kLineRoom + 1);
}

void TTokenBatch::GrowLines() {
  const size_t used = static_cast<size_t>(lineAt_ - lines_.data());
  GrowTo(lines_, used + 1);
  lineAt_ = lines_.data() + used;
  lineEnd_ = lines_.data() + lines_.size();
}

void TTokenBatch::ReadReals(const char* bytes, uint32_t at, uint32_t stored) {
  const TTokenSpan32* spans = spans_.data() + at;
  double* values = reals_.data() + at;
  for (uint32_t k = 0; k < stored; ++k) {
    values[k] = StrToFloatOrZeroPadded(std::string_view(bytes + spans[k].Begin, spans[k].End - spans[k].Begin));
  }
}

void TTokenBatch::AddLong(std::string_view line) {
  if (lineAt_ == lineEnd_) GrowLines();
  if (longUsed_ == long_.size()) long_.emplace_back();
  long_[longUsed_].assign(line);
  *lineAt_++ = TEntry{nullptr, static_cast<uint32_t>(longUsed_), 0};
  ++longUsed_;
}

void TTokenBatch::Clear() {
  lineAt_ = lines_.data();
  bytesUsed_ = 0;
  spanAt_ = spans_.data();
  longUsed_ = 0;
}

std::string_view TTokenBatch::LongLine(int32_t i) const {
  assert(IsLong(i));
  return long_[lines_[static_cast<size_t>(i)].Spans];
}

}  // namespace cadxform
