#include "parallel/chunk_pool.h"

#include <cassert>
#include <utility>

#include "format/out_buffer_join.h"

namespace cadxform {

TChunkPool::TChunkPool(size_t keep) : keep_(keep) { spare_.reserve(keep); }

std::unique_ptr<char[]> TChunkPool::Get() {
  {
    std::lock_guard lock(mutex_);
    if (!spare_.empty()) {
      std::unique_ptr<char[]> chunk = std::move(spare_.back());
      spare_.pop_back();
      return chunk;
    }
  }
  return std::unique_ptr<char[]>(new char[TOutBuffer::kChunk]);
}

void TChunkPool::Put(std::unique_ptr<char[]> chunk) noexcept {
  assert(chunk != nullptr);
  std::lock_guard lock(mutex_);
  if (spare_.size() < keep_) spare_.push_back(std::move(chunk));
}

size_t TChunkPool::Spare() const {
  std::lock_guard lock(mutex_);
  return spare_.size();
}

}  // namespace cadxform
