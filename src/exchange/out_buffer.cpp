#include "cadxform/out_buffer.h"

#include <cassert>
#include <cstring>
#include <utility>

namespace cadxform {

void TOutBuffer::SetSink(TOutSink* sink) { sink_ = sink; }

void TOutBuffer::AppendSlow(const char* data, size_t size) {
  while (size > 0) {
    if (!chunks_.empty() && used_ == kChunk && sink_ != nullptr) {
      // Every chunk is full: hand them to the sink and reuse the last one.
      for (const auto& chunk : chunks_) sink_->Take(chunk.get(), kChunk);
      std::swap(chunks_.front(), chunks_.back());
      chunks_.resize(1);
      used_ = 0;
    } else if (chunks_.empty() || used_ == kChunk) {
      chunks_.reserve(chunks_.size() + 1);
      chunks_.push_back(std::unique_ptr<char[]>(new char[kChunk]));
      used_ = 0;
    }
    const size_t room = kChunk - used_;
    const size_t n = size < room ? size : room;
    std::memcpy(chunks_.back().get() + used_, data, n);
    used_ += n;
    data += n;
    size -= n;
  }
}

void TOutBuffer::AddEntry(std::string_view entry, bool header) {
  entry = entry.substr(0, kOutLineMax);
  Append(entry.data(), entry.size());
  // The partner of a header ends the joined line, whatever it is.
  if (join_next_ || !header) {
    Append("\r\n", 2);
    join_next_ = false;
  } else {
    join_next_ = true;
  }
  ++count_;
}

void TOutBuffer::AddLine(std::string_view line) { AddEntry(line, false); }

void TOutBuffer::AddHeader(std::string_view header) { AddEntry(header, true); }

void TOutBuffer::AppendBuffer(const TOutBuffer& other) {
  assert(!join_next_ && !other.join_next_);
  other.ForEachPiece([&](const char* p, size_t n) { Append(p, n); });
  count_ += other.count_;
}

void TOutBuffer::AppendRaw(const char* data, size_t size) {
  assert(!join_next_);
  Append(data, size);
}

void TOutBuffer::Clear() {
  if (sink_ != nullptr) sink_->Discard();
  chunks_.clear();
  chunks_.shrink_to_fit();
  used_ = 0;
  count_ = 0;
  join_next_ = false;
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
