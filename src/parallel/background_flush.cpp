#include "parallel/background_flush.h"

namespace cadxform {

void TBackgroundFlush::Wrote(platform::TFileHandle file, size_t n) {
  if (!enabled_) return;
  std::unique_lock lock(mutex_);
  written_ += n;
  if (written_ - requested_ < kWindow) return;
  requested_ = written_;
  if (!started_) {
    file_ = file;
    stop_ = false;
    started_ = true;
    lock.unlock();
    if (!thread_.Start([this] { Run(); })) {
      lock.lock();
      started_ = false;  // no thread: the final flush does it all
    }
    return;
  }
  if (waiting_) wake_.notify_one();
}

void TBackgroundFlush::Run() {
  std::unique_lock lock(mutex_);
  uint64_t flushed = 0;  // requested_ at the last flush
  for (;;) {
    // A flush asked for before Stop is still made: it leaves that much
    // less to the final flush.
    if (requested_ == flushed) {
      if (stop_) break;
      waiting_ = true;
      wake_.wait(lock, [&] { return stop_ || requested_ != flushed; });
      waiting_ = false;
      continue;
    }
    flushed = requested_;
    const platform::TFileHandle file = file_;
    lock.unlock();
    const bool ok = platform::FlushFileToDisk(file);
    lock.lock();
    if (!ok) failed_ = true;
    ++flushes_;
  }
}

bool TBackgroundFlush::Stop() {
  {
    std::lock_guard lock(mutex_);
    if (!started_) {
      written_ = requested_ = 0;
      return true;
    }
    stop_ = true;
    wake_.notify_one();
  }
  thread_.Wait();
  std::lock_guard lock(mutex_);
  started_ = false;
  file_ = platform::kNoFile;
  written_ = requested_ = 0;
  const bool ok = !failed_;
  failed_ = false;
  return ok;
}

}  // namespace cadxform
