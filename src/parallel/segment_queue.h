// The hand-over between the two writers of a large drawing. The input order
// is cut into segments 0, 1, 2 ..., which the writers take in turn, each
// the next one not yet taken when it is free (Take), and write side by
// side, each into an output buffer of its own; the queue holds the output
// of the segments written and not yet joined, and joins it in segment
// order into the output of the drawing, moving the chunks of each segment's
// output on without copying their bytes. A writer may run at most kSegmentsAhead segments
// ahead of the next one to be joined, so the output held in memory stays
// bounded however large the drawing.
//
// One thread joins (the one owning the drawing's output); any thread puts.
// Cancel wakes every waiter and makes every later wait fail, so that a
// writer that stops (Escape key, exception) never leaves the other hanging.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <vector>

#include "format/out_buffer.h"

namespace cadxform {

// Segments that may be written ahead of the next one joined: a writer
// waits before writing segment k until segment k - kSegmentsAhead is
// joined.
inline constexpr int32_t kSegmentsAhead = 4;

class TSegmentQueue {
 public:
  TSegmentQueue();
  TSegmentQueue(const TSegmentQueue&) = delete;
  TSegmentQueue& operator=(const TSegmentQueue&) = delete;

  // The next segment not yet taken (the caller knows the count: a number
  // from it on means none is left).
  int32_t Take();
  // Waits until segment k may be written; false when the queue was
  // cancelled.
  bool WaitForRoom(int32_t k);
  // Takes over the finished output of segment k (out is left empty, its
  // chunk pool and spare chunk stay with it). Segment k
  // must be the putting writer's, with room for it (WaitForRoom).
  void Put(int32_t k, TOutBuffer& out);
  // Appends the output of the next segment to target when it is finished:
  // waits for it when `wait`, else returns false at once when it is not.
  // Also false when the queue was cancelled.
  bool JoinNext(TOutBuffer& target, bool wait);
  // Counts segment k, written straight into the joined output by the
  // joining thread, as joined; every segment before it must be joined.
  void SkipJoined(int32_t k);
  // Number of segments joined so far (only the joining thread asks).
  int32_t Joined() const { return joined_; }
  // Makes every wait return false from now on.
  void Cancel();

 private:
  TOutBuffer& Slot(int32_t k) { return slots_[static_cast<size_t>(k % kSegmentsAhead)]; }

  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<TOutBuffer> slots_;  // segment k's output in slot k % kSegmentsAhead
  std::vector<int32_t> ready_;     // per slot: the segment whose output it holds, -1 none
  int32_t taken_ = 0;              // segments taken
  int32_t joined_ = 0;             // segments joined; written only by the joining thread
  bool cancelled_ = false;
};

}  // namespace cadxform
