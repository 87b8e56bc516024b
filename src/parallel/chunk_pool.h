// Spare chunks of output memory (TOutBuffer::kChunk bytes each) shared by
// the output buffers of the writers of one drawing. A chunk whose bytes
// went to the file comes back here and is handed to the next buffer that
// needs one, so the writers do not fault in fresh pages for every segment.
// At most `keep` spare chunks are held; more are freed, which bounds the
// memory the pool itself holds. Any thread may get and put. The output
// buffers see it as their chunk store (out_buffer.h).
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <vector>

#include "format/out_buffer_join.h"

namespace cadxform {

class TChunkPool final : public TChunkStore {
 public:
  // Holds at most keep spare chunks. Throws std::bad_alloc.
  explicit TChunkPool(size_t keep);
  TChunkPool(const TChunkPool&) = delete;
  TChunkPool& operator=(const TChunkPool&) = delete;

  // A spare chunk, else a new one (throws std::bad_alloc).
  std::unique_ptr<char[]> Get() override;
  // Keeps chunk for a later Get, or frees it when enough are spare. Never
  // throws.
  void Put(std::unique_ptr<char[]> chunk) noexcept override;
  // Number of spare chunks held.
  size_t Spare() const;

 private:
  mutable std::mutex mutex_;
  std::vector<std::unique_ptr<char[]>> spare_;  // capacity reserved: Put never allocates
  const size_t keep_;
};

}  // namespace cadxform
