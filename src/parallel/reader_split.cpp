#include "parallel/reader_split.h"

#include <array>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <vector>

#include "format/drawing_memory.h"
#include "platform/block_source.h"
#include "format/parse_line.h"
#include "parallel/reader_batch.h"
#include "format/chunk_scan.h"
#include "format/reader_lines.h"
#include "parallel/worker_thread.h"

namespace cadxform {

namespace {

// Batches in circulation. Every hand-over of a batch may put a thread to
// sleep and wake it again (on Windows, under Wine at least, each sleep and
// each wake-up is a round trip to another process), so batches are large
// (TPathPolicy::BatchLines) and hand-overs rare; the batches are reused,
// and gone before the output is written. A batch is also handed over once
// its token bytes reach TPathPolicy::BatchBytes, so that long lines do not
// make it large.
constexpr size_t kBatchCount = 4;
// A splitting thread that found no empty batch sleeps until this many are
// empty: it usually waits for the applying thread, which then still has
// full batches to work on, and it is woken half as often as after every
// batch.
constexpr size_t kWakeFree = kBatchCount / 2;

// Of this many lines that begin with a number, the splitting thread reads
// the numbers of all but one.
constexpr int32_t kReadAheadRun = 3;

// Whether a line that begins with byte c begins with a number (the lines
// of polyline points and the like, all numbers): a digit, a sign or a
// point. (The byte after an empty line is its line end.)
inline bool StartsWithNumber(char c) {
  const auto u = static_cast<unsigned char>(c);
  constexpr uint64_t kNumberStarts = (uint64_t{0x3FF} << '0') | (uint64_t{1} << '+') | (uint64_t{1} << '-') |
                                     (uint64_t{1} << '.');
  return u < 64 && ((kNumberStarts >> u) & 1) != 0;
}

// Chunks the file is read into by the splitting thread. Lines split in
// place leave their tokens in their chunk, so a chunk is read into again
// only when no batch holds a line of it: one being read, the others held
// by the batches in circulation (a batch of the default size holds lines
// of one or two chunks).
constexpr size_t kChunkCount = kBatchCount + 2;

// A chunk of the file and the number of its users: the splitting thread
// while it reads and splits it, and each batch that holds a line split in
// place there.
struct TChunk {
  std::unique_ptr<char[]> Bytes;
  int Users = 0;
};

// Split lines, in file order, and the chunks their tokens lie in.
struct TBatch {
  TTokenBatch Lines;
  std::vector<TChunk*> Chunks;
};

// Hands batches between the two threads: empty ones to the splitting
// thread, full ones to the applying thread in the order they were filled.
// The splitting thread, when it would wait, first prepares memory for the
// records (see TBlockSource): the faults of their fresh pages are then
// taken while it would be idle, not by the applying thread, which builds
// the records and is the busier one. (The applying thread does not prepare
// while it waits: a batch that arrives meanwhile would wait for it, and it
// made no measurable difference.)
class TBatchQueue {
 public:
  explicit TBatchQueue(TBlockSource& memory) : memory_(memory) {
    for (TBatch& b : batches_) free_.push_back(&b);
  }
  // Gives every chunk chunkSize bytes and the padding the scanner needs.
  // Throws std::bad_alloc.
  void MakeChunks(size_t chunkSize) {
    for (TChunk& c : chunks_) {
      c.Bytes.reset(new char[chunkSize + kChunkPad]);
      freeChunks_.push_back(&c);
    }
  }
  // A chunk no batch holds, for the splitting thread (its first user), or
  // nullptr when none is free now.
  TChunk* TryTakeChunk() {
    std::lock_guard lock(mutex_);
    return TakeChunkLocked();
  }
  // TryTakeChunk, waiting for one; nullptr once cancelled. Only while the
  // splitting thread holds no batch with lines in place: every chunk is
  // then freed by the applying thread.
  TChunk* TakeChunk() {
    std::unique_lock lock(mutex_);
    if (freeChunks_.empty() && !cancelled_) {
      splitterWaits_ = true;
      changed_.wait(lock, [&] { return cancelled_ || !freeChunks_.empty(); });
      splitterWaits_ = false;
    }
    return cancelled_ ? nullptr : TakeChunkLocked();
  }
  // b holds lines of c from now on.
  void Hold(TBatch* b, TChunk* c) {
    std::lock_guard lock(mutex_);
    b->Chunks.push_back(c);
    ++c->Users;
  }
  // The splitting thread is done with c.
  void Drop(TChunk* c) {
    std::lock_guard lock(mutex_);
    DropLocked(c);
  }
  // An empty batch, waiting for kWakeFree of them when none is free;
  // nullptr once cancelled.
  TBatch* TakeEmpty() {
    std::unique_lock lock(mutex_);
    PrepareWhile(lock, [&] { return free_.empty() && !cancelled_; });
    if (free_.empty() && !cancelled_) {
      splitterWaits_ = true;
      changed_.wait(lock, [&] { return cancelled_ || free_.size() >= kWakeFree; });
      splitterWaits_ = false;
    }
    if (cancelled_) return nullptr;
    TBatch* b = free_.back();
    free_.pop_back();
    return b;
  }
  void PutFull(TBatch* b) {
    std::lock_guard lock(mutex_);
    full_[(fullHead_ + fullCount_) % kBatchCount] = b;
    ++fullCount_;
    if (applierWaits_) changed_.notify_all();
  }
  // The next full batch, waiting for one; nullptr when the splitting thread
  // is done and every batch has been taken.
  TBatch* TakeFull() {
    std::unique_lock lock(mutex_);
    if (fullCount_ == 0 && !closed_) {
      applierWaits_ = true;
      changed_.wait(lock, [&] { return closed_ || fullCount_ > 0; });
      applierWaits_ = false;
    }
    if (fullCount_ == 0) return nullptr;
    TBatch* b = full_[fullHead_];
    fullHead_ = (fullHead_ + 1) % kBatchCount;
    --fullCount_;
    return b;
  }
  void PutEmpty(TBatch* b) {
    b->Lines.Clear();
    std::lock_guard lock(mutex_);
    for (TChunk* c : b->Chunks) DropLocked(c);
    b->Chunks.clear();
    free_.push_back(b);
    if (splitterWaits_ && (free_.size() >= kWakeFree || !freeChunks_.empty())) changed_.notify_all();
  }
  // The splitting thread will put no more batches.
  void Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
  }
  // The applying thread takes no more batches.
  void Cancel() {
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    changed_.notify_all();
  }

 private:
  // Prepares record memory, with the lock released, while `wouldWait()`
  // (checked under the lock) and there is memory left to prepare.
  template <class F>
  void PrepareWhile(std::unique_lock<std::mutex>& lock, F wouldWait) {
    while (wouldWait()) {
      lock.unlock();
      const bool prepared = memory_.PrepareSome();
      lock.lock();
      if (!prepared) return;
    }
  }

  TChunk* TakeChunkLocked() {
    if (freeChunks_.empty()) return nullptr;
    TChunk* c = freeChunks_.back();
    freeChunks_.pop_back();
    c->Users = 1;
    return c;
  }
  void DropLocked(TChunk* c) {
    if (--c->Users == 0) freeChunks_.push_back(c);
  }

  TBlockSource& memory_;
  std::array<TBatch, kBatchCount> batches_;
  std::array<TChunk, kChunkCount> chunks_;
  std::vector<TChunk*> freeChunks_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<TBatch*> free_;
  std::array<TBatch*, kBatchCount> full_{};
  size_t fullHead_ = 0;
  size_t fullCount_ = 0;
  bool closed_ = false;
  bool cancelled_ = false;
  // A thread sleeps in TakeEmpty or TakeFull: only then is it woken.
  bool splitterWaits_ = false;
  bool applierWaits_ = false;
};

// The splitting thread. Destroying it cancels the queue and waits for the
// thread, so an exception on the applying thread never leaves it running.
class TSplitter {
 public:
  TSplitter(platform::TFileHandle file, char* first, size_t got, TBlockSource& memory,
            const TPathPolicy& policy)
      : file_(file), first_(first), got_(got), policy_(policy), queue_(memory) {}
  TSplitter(const TSplitter&) = delete;
  TSplitter& operator=(const TSplitter&) = delete;
  ~TSplitter() {
    queue_.Cancel();
    worker_.Wait();
  }

  bool Start() {
    return worker_.Start([this] { Run(); });
  }
  TBatchQueue& Queue() { return queue_; }
  // Waits for the thread; rethrows what it threw; true when every read
  // succeeded.
  bool Finish() {
    worker_.Finish();
    return !readFailed_;
  }

 private:
  // Splits the file; the queue is closed however that ends.
  void Run() {
    try {
      Split();
    } catch (...) {
      queue_.Close();
      throw;
    }
    queue_.Close();
  }

  // Feeds the file to a line assembler whose lines are split into batches.
  void Split() {
    const size_t readSize = policy_.ReadChunkBytes();
    queue_.MakeChunks(readSize);
    b_ = queue_.TakeEmpty();
    holdsChunk_ = true;  // the first bytes lie in no chunk
    // The sinks reach the state through this, one pointer for all of it.
    auto room = [this] { return Room(); };
    auto onSplit = [this](std::string_view line, const TTokenSpan32*, int count) { AddSplit(line, count); };
    auto onLine = [this](std::string_view line) { AddLine(line); };
    TLineAssembler lines;
    bool more = lines.FeedSplit(first_, got_, room, onSplit, onLine);
    while (more && b_ != nullptr) {
      TChunk* next = queue_.TryTakeChunk();
      if (next == nullptr) {
        // Every chunk is held: the batch being filled goes first, so that
        // the applying thread can free them all.
        if (b_->Lines.Count() > 0) HandOver();
        if (b_ == nullptr) break;
        next = queue_.TakeChunk();
        if (next == nullptr) break;
      }
      if (chunk_ != nullptr) queue_.Drop(chunk_);
      chunk_ = next;
      holdsChunk_ = false;
      size_t got = 0;
      if (!platform::ReadFromFile(file_, chunk_->Bytes.get(), readSize, got)) {
        readFailed_ = true;
        break;
      }
      if (got == 0) {
        lines.Finish(onLine);
        break;
      }
      more = lines.FeedSplit(chunk_->Bytes.get(), got, room, onSplit, onLine);  // false after a Ctrl+Z line
    }
    if (b_ != nullptr) queue_.PutFull(b_);
  }

  // Reading the numbers of two of every three lines that begin with a
  // number here gives both threads about the same load; such a line is
  // all numbers, which the applying thread all reads as reals.
  bool ReadAhead(std::string_view line) {
    if (!StartsWithNumber(*line.data())) return false;
    if (++sinceSkipped_ < kReadAheadRun) return true;
    sinceSkipped_ = 0;
    return false;
  }
  void HandOver() {
    queue_.PutFull(b_);
    b_ = queue_.TakeEmpty();
    holdsChunk_ = chunk_ == nullptr;
  }
  // A line split the general way.
  void AddLine(std::string_view line) {
    if (b_ == nullptr) return;  // cancelled: the rest is not wanted
    b_->Lines.Add(line, false);
    if (b_->Lines.Count() >= policy_.BatchLines || b_->Lines.ByteCount() >= policy_.BatchBytes) HandOver();
  }
  // The token places of a line split in place go straight to the batch
  // (once cancelled, to a scratch area).
  TTokenSpan32* Room() { return b_ != nullptr ? b_->Lines.SpanRoom() : scratch_; }
  // A line split in place, its places written at Room().
  void AddSplit(std::string_view line, int count) {
    if (b_ == nullptr) return;
    if (!holdsChunk_) {
      queue_.Hold(b_, chunk_);
      holdsChunk_ = true;
    }
    b_->Lines.AddInPlace(line, count, ReadAhead(line));
    if (b_->Lines.Count() >= policy_.BatchLines) HandOver();
  }

  platform::TFileHandle file_;
  char* first_;
  size_t got_;
  const TPathPolicy& policy_;
  TBatchQueue queue_;
  bool readFailed_ = false;
  // What Split fills: the batch (nullptr once cancelled), the chunk being
  // split (none for the first bytes), whether the batch holds it (from the
  // first line split in place there that it takes), the lines that began
  // with a number since one was left to the applying thread.
  TBatch* b_ = nullptr;
  TChunk* chunk_ = nullptr;
  bool holdsChunk_ = false;
  int32_t sinceSkipped_ = 0;
  TTokenSpan32 scratch_[kMaxTokens + kSpanRoomPad];
  TWorkerThread worker_;  // last: stops before the members it uses go
};

}  // namespace

TSplitReadResult ReadSplitOnTwoThreads(platform::TFileHandle file, char* first, size_t got,
                                       TDrawing& d, TReadState& r, const TPathPolicy& policy) {
  auto splitter = std::make_unique<TSplitter>(file, first, got, static_cast<TBlockSource&>(detail::TDrawingMemory::Of(d)), policy);
  if (!splitter->Start()) return srNoThread;
  while (TBatch* b = splitter->Queue().TakeFull()) {
    const TTokenBatch& lines = b->Lines;
    const int32_t count = lines.Count();
    for (int32_t i = 0; i < count; ++i) {
      if (lines.IsLong(i)) {
        ParseLine(d, r, lines.LongLine(i));
      } else {
        ParseTokens(d, r, lines.Line(i));
      }
    }
    splitter->Queue().PutEmpty(b);
  }
  const bool readAll = splitter->Finish();
  static_cast<TBlockSource&>(detail::TDrawingMemory::Of(d)).DropPrepared();  // the records are complete
  return readAll ? srDone : srReadFailed;
}

}  // namespace cadxform
