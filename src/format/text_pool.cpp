#include "cadxform/text_pool.h"

#include "format/byte_copy.h"
#include "format/pass_freeze.h"

namespace cadxform {

TTextRef TTextPool::Add(std::string_view s) {
  if (held_) throw TPassRuleBroken("the transform added a text to the drawing while the pass ran (use its ops.SetText)");
  return Append(s);
}

TTextRef TTextPool::Append(std::string_view s) {
  if (s.empty()) return TTextRef{nullptr, 0};
  if (s.size() > UINT32_MAX) s = s.substr(0, UINT32_MAX);
  if (s.size() > left_) {
    // A string longer than a chunk gets a chunk of its own size; otherwise a
    // fresh chunk is started and the tail of the old one is left unused.
    const size_t size = s.size() > kChunk ? s.size() : kChunk;
    cur_ = NewChunk(size);
    reserved_ += size;
    left_ = size;
  }
  char* at = cur_;
  CopyBytes(at, s.data(), s.size());
  cur_ += s.size();
  left_ -= s.size();
  return TTextRef{at, static_cast<uint32_t>(s.size())};
}

char* TTextPool::NewChunk(size_t size) {
  if (source_ != nullptr) return static_cast<char*>(source_->TakeBlock(size));
  chunks_.reserve(chunks_.size() + 1);
  chunks_.push_back(std::unique_ptr<char[]>(new char[size]));
  return chunks_.back().get();
}

void TTextPool::Clear() {
  if (held_) throw TPassRuleBroken("the transform cleared the text pool while the pass ran");
  chunks_.clear();
  chunks_.shrink_to_fit();
  cur_ = nullptr;
  left_ = 0;
  reserved_ = 0;
}

}  // namespace cadxform
