#include "parallel/segment_queue.h"

#include "format/out_buffer_join.h"

#include <cassert>

namespace cadxform {

TSegmentQueue::TSegmentQueue() : slots_(kSegmentsAhead), ready_(kSegmentsAhead, -1) {}

int32_t TSegmentQueue::Take() {
  std::lock_guard lock(mutex_);
  return taken_++;
}

bool TSegmentQueue::WaitForRoom(int32_t k) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return cancelled_ || k < joined_ + kSegmentsAhead; });
  return !cancelled_;
}

void TSegmentQueue::Put(int32_t k, TOutBuffer& out) {
  assert(out.Sink() == nullptr);
  {
    std::lock_guard lock(mutex_);
    assert(k >= joined_ && k < joined_ + kSegmentsAhead);
    const size_t slot = static_cast<size_t>(k % kSegmentsAhead);
    assert(ready_[slot] == -1 && slots_[slot].Count() == 0);
    TOutBufferJoin::MoveFrom(slots_[slot], out);
    ready_[slot] = k;
  }
  changed_.notify_all();
}

bool TSegmentQueue::JoinNext(TOutBuffer& target, bool wait) {
  const size_t slot = static_cast<size_t>(joined_ % kSegmentsAhead);
  {
    std::unique_lock lock(mutex_);
    const auto finished = [&] { return cancelled_ || ready_[slot] == joined_; };
    if (wait) changed_.wait(lock, finished);
    if (cancelled_ || !finished()) return false;
  }
  // The slot is this thread's until joined_ moves on: no writer puts into
  // it before then.
  TOutBufferJoin::MoveFrom(target, slots_[slot]);
  {
    std::lock_guard lock(mutex_);
    ready_[slot] = -1;
    ++joined_;
  }
  changed_.notify_all();
  return true;
}

void TSegmentQueue::SkipJoined([[maybe_unused]] int32_t k) {
  {
    std::lock_guard lock(mutex_);
    assert(k == joined_);
    ++joined_;
  }
  changed_.notify_all();
}

void TSegmentQueue::Cancel() {
  {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
  }
  changed_.notify_all();
}

}  // namespace cadxform
