// Writing a large drawing on two threads. The input order is cut into
// segments of equal entity counts; this thread and a second one take them
// in turn, each the next one not yet taken when it is free, and write each
// into a write state of their own and an output buffer of the segment's
// own, which the segment queue joins in order into the caller's output
// (and on to the temporary file). Before each segment a writer brings its
// values written last and pending flags from the end of its previous
// segment to the segment's start by noting the attribute values of the
// segments the other writer took in between, writing nothing (PrimeRange);
// which polyline is open at a cut EmitRange reads off the two entities
// around it. So the joined bytes are exactly those of one pass.
//
// The Escape key is polled by this thread only,
// at the same positions and in the same order as by one pass: before
// writing a segment it polls those of the segments the second writer took
// before it, and at the end those of the segments after its last one. A
// key seen down brings this thread's write state to that position
// (attribute values only) before the output is abandoned, so the closing
// lines are the same as well.
//
// The output of the segments moves on by chunks, never copied: from the
// writer's buffer to the queue, to the drawing's output, to the temporary
// file; the chunks whose bytes went to the file come back through a pool
// shared by the writers and are filled again.
#include "parallel/emit_split.h"

#include <atomic>
#include <cassert>
#include <utility>

#include "parallel/chunk_pool.h"
#include "format/emit_range.h"
#include "parallel/segment_queue.h"
#include "parallel/worker_thread.h"

namespace cadxform {

namespace {

// Spare chunks the writers' pool keeps: about as many as the segments in
// flight fill (those held ahead of the join and the two being written, up
// to three chunks each), so that a chunk once faulted in is rarely freed
// and a fresh one faulted in again.
constexpr size_t kSpareChunks = 16;

// Copies the values written last and the pending flags (and the drawing's
// first-seen attributes they fall back on) from `from` to `to`.
void CopyAttrState(TWriteState& to, const TWriteState& from) {
  to.First = from.First;
  to.Last = from.Last;
  to.PendingAttr = from.PendingAttr;
}

// A stop request another thread may make at any time.
class TStopFlag final : public TStopTest {
 public:
  void Request() { flag_.store(true, std::memory_order_relaxed); }
  bool StopRequested() const override { return flag_.load(std::memory_order_relaxed); }

 private:
  std::atomic<bool> flag_{false};
};

// The cut of the input order into segments of `size` entities.
struct TSegments {
  int32_t Size;
  int32_t Total;
  int32_t Count() const { return static_cast<int32_t>((int64_t{Total} + Size - 1) / Size); }
  int32_t Begin(int32_t k) const { return static_cast<int32_t>(int64_t{k} * Size); }
  int32_t End(int32_t k) const { return k + 1 < Count() ? Begin(k + 1) : Total; }
};

// One of the two writers: a write state of its own and the position of the
// input order it stands at.
struct TSegmentWriter {
  TWriteState W;
  int32_t At = 0;

  // Brings W to what writing [At, pos) would leave, without its lines.
  void PrimeTo(const TDrawing& d, const TEmitOverrides& o, int32_t pos) {
    assert(pos >= At && W.Out.Count() == 0);
    PrimeRange(d, W, o, At, pos);
    At = pos;
  }
  // Writes segment k into W.Out (polling with polls, stopping once stop
  // says so); W must stand at its start (PrimeTo). Returns the position it
  // stopped at, End(k) when written whole.
  int32_t Write(const TDrawing& d, const TEmitOverrides& o, const TSegments& s, int32_t k,
                const TEmitPolls* polls, const TStopTest* stop) {
    assert(At == s.Begin(k));
    At = EmitRange(d, W, o, s.Begin(k), s.End(k), polls, stop);
    return At;
  }
};

// Lends a writer the drawing's output (when `lend`) for as long as it
// lives: what the writer writes goes straight into it.
class TLentOutput {
 public:
  TLentOutput(TWriteState& writer, TOutBuffer& out, bool lend)
      : writer_(writer), out_(out), lent_(lend) {
    if (lent_) std::swap(writer_.Out, out_);
  }
  TLentOutput(const TLentOutput&) = delete;
  TLentOutput& operator=(const TLentOutput&) = delete;
  ~TLentOutput() {
    if (lent_) std::swap(writer_.Out, out_);
  }

 private:
  TWriteState& writer_;
  TOutBuffer& out_;
  const bool lent_;
};

// The second writer and its thread. Destroying it stops the thread at its
// next poll position or wait and waits for it, so an exception on this
// thread never leaves it running.
class TSecondWriter {
 public:
  TSecondWriter(const TDrawing& d, const TEmitOverrides& o, const TSegments& s, TSegmentQueue& queue,
                const TWriteState& start, TChunkPool& pool)
      : d_(d), o_(o), s_(s), queue_(queue) {
    CopyAttrState(writer_.W, start);
    TOutBufferJoin::SetChunkPool(writer_.W.Out, &pool);
  }
  TSecondWriter(const TSecondWriter&) = delete;
  TSecondWriter& operator=(const TSecondWriter&) = delete;
  ~TSecondWriter() {
    Stop();
    worker_.Wait();
  }

  // Starts the thread; false when the system has none to give.
  bool Start() {
    return worker_.Start([this] { Run(); });
  }
  // Makes the thread stop at its next poll position or wait.
  void Stop() {
    stop_.Request();
    queue_.Cancel();
  }
  // Waits for the thread; rethrows what it threw.
  void Finish() { worker_.Finish(); }
  // The finished writer.
  const TSegmentWriter& Writer() const { return writer_; }

 private:
  void Run() {
    try {
      for (int32_t k = queue_.Take(); k < s_.Count(); k = queue_.Take()) {
        writer_.PrimeTo(d_, o_, s_.Begin(k));
        if (!queue_.WaitForRoom(k)) return;
        if (writer_.Write(d_, o_, s_, k, nullptr, &stop_) < s_.End(k)) return;
        queue_.Put(k, writer_.W.Out);
      }
    } catch (...) {
      queue_.Cancel();  // the joining thread must not wait for what never comes
      throw;
    }
  }

  const TDrawing& d_;
  const TEmitOverrides& o_;
  const TSegments s_;
  TSegmentQueue& queue_;
  TSegmentWriter writer_;
  TStopFlag stop_;
  TWorkerThread worker_;  // last: stops before the members it uses go
};

// Lets a buffer take its chunks from a pool for as long as it lives.
class TPooledOutput {
 public:
  TPooledOutput(TOutBuffer& out, TChunkPool& pool) : out_(out) { TOutBufferJoin::SetChunkPool(out_, &pool); }
  TPooledOutput(const TPooledOutput&) = delete;
  TPooledOutput& operator=(const TPooledOutput&) = delete;
  ~TPooledOutput() { TOutBufferJoin::SetChunkPool(out_, nullptr); }

 private:
  TOutBuffer& out_;
};

// Joins segments into out until `segment` is joined; false when the other
// writer failed (its exception is then rethrown by Finish).
bool JoinUpTo(TSegmentQueue& queue, TOutBuffer& out, int32_t segment) {
  while (queue.Joined() <= segment) {
    if (!queue.JoinNext(out, true)) return false;
  }
  return true;
}

// Writes every entity of d in segments of s.Size on two threads; returns
// the position at which the Escape key was seen down (w's values then
// stand as one pass would have left them there), Order.Count() when none,
// or -1 when no thread could be started (nothing was written).
int32_t EmitInSegments(const TDrawing& d, TWriteState& w, const TEmitOverrides& o,
                       const TEmitPolls& polls, const TSegments& s) {
  TChunkPool pool(kSpareChunks);  // first: outlives every buffer using it
  const TPooledOutput pooled(w.Out, pool);
  TSegmentQueue queue;
  TSecondWriter second(d, o, s, queue, w, pool);
  if (!second.Start()) return -1;
  TSegmentWriter first;
  TOutBufferJoin::SetChunkPool(first.W.Out, &pool);
  CopyAttrState(first.W, w);
  for (;;) {
    const int32_t k = queue.Take();
    // The polls of the segments the second writer took before this one
    // come first.
    const int32_t begin = k < s.Count() ? s.Begin(k) : s.Total;
    const int32_t escaped = PollRange(polls, first.At, begin);
    if (escaped < begin) {
      first.PrimeTo(d, o, escaped);
      CopyAttrState(w, first.W);
      return escaped;
    }
    if (k >= s.Count()) break;
    first.PrimeTo(d, o, s.Begin(k));
    // Join what is finished; wait when this writer is too far ahead.
    while (queue.JoinNext(w.Out, false)) {
    }
    if (!JoinUpTo(queue, w.Out, k - kSegmentsAhead)) break;
    // When every segment before it is joined, this segment is written
    // straight into the output, else into a buffer of its own.
    const bool direct = queue.Joined() == k;
    int32_t stopped;
    {
      TLentOutput lent(first.W, w.Out, direct);
      stopped = first.Write(d, o, s, k, &polls, nullptr);
    }
    if (stopped < s.End(k)) {
      CopyAttrState(w, first.W);
      return stopped;
    }
    if (direct) {
      queue.SkipJoined(k);
    } else {
      queue.Put(k, first.W.Out);
    }
  }
  [[maybe_unused]] const bool joined = JoinUpTo(queue, w.Out, s.Count() - 1);
  second.Finish();  // rethrows what stopped the second writer
  assert(joined);
  // The writer of the last segment stands where one pass ends.
  CopyAttrState(w, first.At == s.Total ? first.W : second.Writer().W);
  return s.Total;
}

}  // namespace

int32_t SegmentSizeFor(int32_t total, const TPathPolicy& policy) {
  return total < policy.SplitEmissionFrom ? -1 : policy.SegmentEntities;
}

void EmitAllInSegments(const TDrawing& d, TWriteState& w, const TEmitOverrides& overrides,
                       const TEscapeKeySource& escapeKeyDown, int32_t segment) {
  EmitOpening(d, w);
  const int32_t total = d.Order.Count();
  assert(segment == -1 || segment > 0);
  const TEmitPolls polls{escapeKeyDown};
  int32_t stopped = -1;
  if (segment > 0 && segment < total) stopped = EmitInSegments(d, w, overrides, polls, {segment, total});
  if (stopped < 0) stopped = EmitRange(d, w, overrides, 0, total, &polls, nullptr);
  EmitClosing(d, w, stopped == total);
}

void EmitAll(const TDrawing& d, TWriteState& w, const TEmitOverrides& overrides,
             const TEscapeKeySource& escapeKeyDown, const TPathPolicy& policy) {
  EmitAllInSegments(d, w, overrides, escapeKeyDown, SegmentSizeFor(d.Order.Count(), policy));
}

void EmitAll(const TDrawing& d, TWriteState& w, const TEmitOverrides& overrides,
             const TEscapeKeySource& escapeKeyDown) {
  EmitAll(d, w, overrides, escapeKeyDown, TPathPolicy());
}

}  // namespace cadxform
