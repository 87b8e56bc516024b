// Flushing a file being written on a second thread, window by window, so
// that the flush before it replaces the exchange file finds little left to
// do. Where writes start their own write-back (Linux) it does nothing.
//
// Without it, the final FlushFileToDisk of a large output waits for every
// byte at once (on Windows the whole file is still in the cache); with it,
// that wait overlaps the writing.
//
// Example:
//   TBackgroundFlush flush;
//   flush.Wrote(file, n);   // after each write: from the first full
//                           // window on, a thread flushes file meanwhile
//   flush.Stop();           // before the file is flushed, closed or dropped;
//                           // false when a flush failed
#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>

#include "parallel/worker_thread.h"
#include "platform/file_system.h"

namespace cadxform {

class TBackgroundFlush {
 public:
  // Bytes written between two background flushes.
  static constexpr uint64_t kWindow = uint64_t{8} << 20;

  // Flushes in the background only when `enabled` (by default where
  // writes do not start their own write-back).
  explicit TBackgroundFlush(bool enabled = !platform::kWritesStartWriteBack) : enabled_(enabled) {}
  TBackgroundFlush(const TBackgroundFlush&) = delete;
  TBackgroundFlush& operator=(const TBackgroundFlush&) = delete;
  ~TBackgroundFlush() { Stop(); }

  // Notes that n more bytes were written to file (always the same file
  // until Stop). Starts the flushing thread once a window is full, and
  // wakes it for each further window; no thread for a small file, nor
  // when not enabled. Never fails: without a thread the final flush does
  // all the work.
  void Wrote(platform::TFileHandle file, size_t n);

  // Waits for the flushes asked for so far and ends the thread; the file
  // may then be flushed, closed or deleted. Nothing again until Wrote.
  // False when a flush since the last Stop failed: the system may report
  // a lost write to one flush only, so a later flush succeeding proves
  // nothing.
  bool Stop();

  // Flushes made since construction (for tests).
  int Flushes() const { return flushes_; }

 private:
  void Run();

  std::mutex mutex_;
  std::condition_variable wake_;
  platform::TFileHandle file_ = platform::kNoFile;
  uint64_t written_ = 0;    // bytes written so far
  uint64_t requested_ = 0;  // written_ when a flush was last asked for
  const bool enabled_;
  bool stop_ = false;
  bool started_ = false;
  bool waiting_ = false;  // the thread sleeps: only then is it woken
  bool failed_ = false;   // a flush since the last Stop failed
  int flushes_ = 0;
  TWorkerThread thread_;  // last: stops before the members it uses go
};

}  // namespace cadxform
