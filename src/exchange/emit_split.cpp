// Writing a large drawing on two threads. The input order is cut at a split
// position: this thread writes the entities before it into the caller's
// write state, as one pass would; a second thread writes the rest into a
// write state of its own, whose output is held back (up to a bound) until
// the first stretch is written and then follows it in order. What the second writer must know of the first stretch (the values
// written last and the pending flags) it works out itself first, by running
// the attribute writers over the first stretch without writing entities;
// which polyline is open at the split it reads off the two entities around
// it. So the joined bytes are exactly those of one pass.
//
// The Escape key and the progress display are polled by this thread only,
// at the same positions and in the same order as by one pass: those of the
// first stretch while it is written, those of the second once the second
// thread is done. A key seen down in the second stretch brings the caller's
// write state to that position (attribute writers only) before the output
// is discarded, so the closing lines are the same as well.
#include <atomic>
#include <cassert>
#include <condition_variable>
#include <mutex>
#include <string>
#include <vector>

#include "exchange/attr_writers.h"
#include "exchange/emit_range.h"
#include "cadxform/out_buffer.h"
#include "exchange/worker_thread.h"

namespace cadxform {

namespace {

// Takes the bytes and forgets them: the attribute lines of a priming pass.
class TDiscardSink : public TOutSink {
 public:
  void Take(const char*, size_t) override {}
  void Discard() override {}
};

// Full chunks of the second writer held back until this thread has written
// the first stretch: beyond this many the second thread waits, so that a
// huge drawing costs a bounded amount of memory.
constexpr size_t kHeldChunksMax = 16;

// The second writer's sink. Holds its full chunks (up to kHeldChunksMax)
// until Open, which appends them to the first writer's buffer; from then
// on appends every chunk there at once, so the bytes follow the first
// stretch in order and go on to the temporary file as one output.
class TRelaySink : public TOutSink {
 public:
  void Take(const char* data, size_t size) override {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return target_ != nullptr || cancelled_ || held_.size() < kHeldChunksMax; });
    if (cancelled_) return;
    if (target_ == nullptr) {
      held_.emplace_back(data, size);
      return;
    }
    lock.unlock();
    // This thread alone writes to target until the first writer joins it.
    target_->AppendRaw(data, size);
  }
  void Discard() override {}  // a second writer's output is never abandoned

  // Appends the chunks held to target and passes every later one on.
  // target must not be used by its owner until the second thread is done.
  void Open(TOutBuffer& target) {
    std::lock_guard lock(mutex_);
    for (const std::string& chunk : held_) target.AppendRaw(chunk.data(), chunk.size());
    held_.clear();
    target_ = &target;
    changed_.notify_all();
  }
  // Drops every chunk from now on; a waiting Take returns.
  void Cancel() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    changed_.notify_all();
  }

 private:
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> held_;
  TOutBuffer* target_ = nullptr;
  bool cancelled_ = false;
};

// The second stretch [Split, Total) and the thread writing it. Destroying
// it stops the thread at its next poll position and waits for it, so an
// exception on this thread never leaves it running.
class TSecondStretch {
 public:
  TSecondStretch(const TDrawing& d, const TWriteState& w, const TEmitOverrides& o, int32_t split)
      : d_(d), o_(o), split_(split) {
    // The state every entity write starts from; the caller's state changes
    // once this thread writes the first stretch.
    w_.First = w.First;
    w_.Last = w.Last;
    w_.PendingAttr = w.PendingAttr;
  }
  TSecondStretch(const TSecondStretch&) = delete;
  TSecondStretch& operator=(const TSecondStretch&) = delete;
  ~TSecondStretch() {
    Stop();
    relay_.Cancel();
    worker_.Wait();
  }

  // Starts the thread; false when the system has none to give.
  bool Start() {
    return worker_.Start([this] { Run(); });
  }
  // Makes the thread stop at its next poll position.
  void Stop() { stop_.store(true, std::memory_order_relaxed); }
  // Waits for the thread; rethrows what it threw.
  void Finish() { worker_.Finish(); }
  // Lets the second writer's output follow what w.Out holds (see
  // TRelaySink::Open); w.Out is the second thread's until Finish.
  void FollowOn(TWriteState& w) { relay_.Open(w.Out); }
  // The finished second writer.
  const TWriteState& Writer() const { return w_; }

 private:
  void Run() {
    w_.Out.SetSink(&discard_);
    PrimeRange(d_, w_, o_, 0, split_);
    w_.Out.Clear();
    w_.Out.SetSink(&relay_);
    EmitRange(d_, w_, o_, split_, d_.Order.Count(), nullptr, &stop_);
  }

  const TDrawing& d_;
  const TEmitOverrides& o_;
  const int32_t split_;
  TDiscardSink discard_;
  TRelaySink relay_;
  TWriteState w_;
  std::atomic<bool> stop_{false};
  TWorkerThread worker_;  // last: stops before the members it uses go
};

// Takes over the second writer's output and final values into w.
void JoinSecondWriter(TWriteState& w, const TWriteState& second) {
  w.Out.AppendBuffer(second.Out);
  w.Last = second.Last;
  w.PendingAttr = second.PendingAttr;
}

// Writes every entity of d on two threads, the second starting at split;
// returns the position at which the Escape key was seen down (w then stands
// as one pass would have left it there), Order.Count() when none, or -1
// when no thread could be started (nothing was written).
int32_t EmitInTwoStretches(const TDrawing& d, TWriteState& w, const TEmitOverrides& o,
                           const TEmitPolls& polls, int32_t split) {
  const int32_t total = d.Order.Count();
  TSecondStretch second(d, w, o, split);
  if (!second.Start()) return -1;
  const int32_t stopped = EmitRange(d, w, o, 0, split, &polls, nullptr);
  if (stopped < split) {
    // The whole output is abandoned: whatever the second thread met no
    // longer matters.
    second.Stop();
    return stopped;
  }
  second.FollowOn(w);
  second.Finish();
  const int32_t escaped = PollRange(polls, split, total);
  if (escaped < total) {
    PrimeRange(d, w, o, split, escaped);
    return escaped;
  }
  JoinSecondWriter(w, second.Writer());
  return total;
}

}  // namespace

int32_t SplitPosition(int32_t total) {
  if (total < kSplitEmissionFrom) return -1;
  return static_cast<int32_t>(int64_t{total} * kFirstShareNum / kFirstShareDen);
}

void EmitAllSplitAt(const TDrawing& d, TWriteState& w, const TEmitOverrides& overrides,
                    const TEscapeKeySource& escapeKeyDown, TProgress* progress, int32_t split) {
  if (d.BzSeen) w.Out.AddLine("bz");
  const int32_t total = d.Order.Count();
  assert(split <= total);
  const TEmitPolls polls{escapeKeyDown, progress, total};
  int32_t stopped = split >= 0 ? EmitInTwoStretches(d, w, overrides, polls, split) : -1;
  if (stopped < 0) stopped = EmitRange(d, w, overrides, 0, total, &polls, nullptr);
  // The user abandons the whole output, "hd" and "bz" included.
  if (stopped < total) ClearOutLines(w.Out);
  // Leave the drawing's own layer group and layer in force.
  PutGroup(w, d.First.Group);
  PutLayer(w, d.First.Layer);
}

}  // namespace cadxform
