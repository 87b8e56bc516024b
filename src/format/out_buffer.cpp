#include "format/out_buffer.h"

#include "format/byte_copy.h"
#include "format/out_buffer_join.h"

#include <cassert>
#include <cstddef>
#include <cstring>
#include <utility>

namespace cadxform {

void TOutBuffer::SetSink(TOutSink* sink) { sink_ = sink; }

void TOutBuffer::StartChunk() {
  chunks_.reserve(chunks_.size() + 1);
  std::unique_ptr<char[]> data = std::move(spare_);
  if (data == nullptr) data = pool_ != nullptr ? pool_->Get() : std::unique_ptr<char[]>(new char[kChunk]);
  if (!chunks_.empty()) {
    chunks_.back().Used = used_;
    closed_ += used_;
  }
  chunks_.push_back(TChunk{std::move(data), 0});
  used_ = 0;
}

void TOutBuffer::Release(std::unique_ptr<char[]> chunk) noexcept {
  if (spare_ == nullptr) {
    spare_ = std::move(chunk);
  } else if (pool_ != nullptr) {
    pool_->Put(std::move(chunk));
  }
}

void TOutBuffer::HandOver(size_t n) {
  assert(sink_ != nullptr && n <= chunks_.size());
  for (size_t i = 0; i < n; ++i) {
    const bool last = i + 1 == chunks_.size();
    const size_t used = last ? used_ : chunks_[i].Used;
    if (used > 0) sink_->Take(chunks_[i].Data.get(), used);
    if (!last) closed_ -= used;
    Release(std::move(chunks_[i].Data));
  }
  chunks_.erase(chunks_.begin(), chunks_.begin() + static_cast<std::ptrdiff_t>(n));
  if (chunks_.empty()) used_ = closed_ = 0;
}

// A line is copied inline, not by a library call per line: the 32-bit
// Windows build's C runtime spends longer setting up a short copy than
// making it.
inline void TOutBuffer::Append(const char* data, size_t size) {
  if (size <= kChunk - used_ && !chunks_.empty()) {
    CopyBytes(chunks_.back().Data.get() + used_, data, size);
    used_ += size;
    return;
  }
  AppendSlow(data, size);
}

void TOutBuffer::AppendSlow(const char* data, size_t size) {
  while (size > 0) {
    if (chunks_.empty() || used_ == kChunk) {
      // Every chunk is full: they go to the sink before a new one starts.
      if (sink_ != nullptr) HandOver(chunks_.size());
      StartChunk();
    }
    const size_t room = kChunk - used_;
    const size_t n = size < room ? size : room;
    std::memcpy(chunks_.back().Data.get() + used_, data, n);
    used_ += n;
    data += n;
    size -= n;
  }
}

void TOutBuffer::AddEntry(std::string_view entry, bool header) {
  entry = entry.substr(0, kOutLineMax);
  Append(entry.data(), entry.size());
  CloseEntry(header);
}

void TOutBuffer::EndEntry(char* begin, const char* end, bool header) {
  size_t n = static_cast<size_t>(end - begin);
  if (n > kOutLineMax) n = kOutLineMax;
  if (begin == lineScratch_) {
    Append(begin, n);
  } else {
    assert(!chunks_.empty() && begin == chunks_.back().Data.get() + used_);
    used_ += n;  // written in place
  }
  CloseEntry(header);
}

void TOutBuffer::CloseEntry(bool header) {
  // The partner of a header ends the joined line, whatever it is.
  if (join_next_ || !header) {
    Append("\r\n", 2);
    join_next_ = false;
  } else {
    join_next_ = true;
  }
  ++count_;
}

void TOutBuffer::AddHeader(std::string_view header) { AddEntry(header, true); }

void TOutBuffer::MoveFrom(TOutBuffer& other) {
  assert(!join_next_ && !other.join_next_ && &other != this);
  chunks_.reserve(chunks_.size() + other.chunks_.size());  // the only step that may throw
  count_ += other.count_;
  other.count_ = 0;
  notFinite_ |= std::exchange(other.notFinite_, false);
  if (other.chunks_.empty()) return;
  if (!chunks_.empty() && used_ == 0) {
    Release(std::move(chunks_.back().Data));
    chunks_.pop_back();
  } else if (!chunks_.empty()) {
    chunks_.back().Used = used_;  // closed partly filled
    closed_ += used_;
  }
  for (TChunk& chunk : other.chunks_) chunks_.push_back(std::move(chunk));
  closed_ += other.closed_;
  used_ = other.used_;
  other.chunks_.clear();
  other.used_ = other.closed_ = 0;
  if (sink_ != nullptr) HandOver(chunks_.size() - 1);
}

void TOutBuffer::Clear() {
  if (sink_ != nullptr) sink_->Discard();
  for (TChunk& chunk : chunks_) Release(std::move(chunk.Data));
  if (spare_ != nullptr && pool_ != nullptr) pool_->Put(std::move(spare_));
  spare_.reset();
  chunks_.clear();
  chunks_.shrink_to_fit();
  used_ = closed_ = 0;
  count_ = 0;
  join_next_ = false;
  notFinite_ = false;
}

std::string TOutBuffer::Bytes() const {
  std::string out;
  out.reserve(Size());
  ForEachPiece([&](const char* p, size_t n) { out.append(p, n); });
  return out;
}

void AddMessageLine(TOutBuffer& out, std::string_view msg) {
  std::string line = "h#";
  line.append(msg);
  out.AddLine(line);
}

}  // namespace cadxform
