// Memory for a drawing's record blocks and text chunks, carved from large
// regions that are faulted in ahead of use.
//
// A large drawing's records take far more memory than the file they come
// from, and every fresh page costs a fault when it is first written. The
// thread that builds the records is the busier of the two that read a large
// file, so the other one, when it would wait anyway, calls PrepareSome:
// the region the records will need next is then already faulted in. Blocks
// are handed out in order from the current region and never given back
// one by one; every region goes back when the source is destroyed.
//
// Example:
//   TBlockSource memory;
//   TBlockArray<TLineEnt> lines(&memory);   // blocks from `memory`
//   memory.PrepareSome();                   // on another thread, when idle
//   lines.Append();                         // takes from the prepared region
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

#include "cadxform/block_array.h"
#include "platform/block_memory.h"

namespace cadxform {

class TBlockSource final : public detail::TBlockMemory {
 public:
  // Size of a region; a request of more than kRegion / 4 bytes gets a
  // region of its own size.
  static constexpr size_t kRegion = size_t{4} << 20;
  // Regions prepared ahead at most: what a thread with nothing else to do
  // may fault in before the records need it.
  static constexpr int kReadyMax = 2;

  TBlockSource() = default;
  TBlockSource(const TBlockSource&) = delete;
  TBlockSource& operator=(const TBlockSource&) = delete;
  // Gives back every region, prepared ones included.
  ~TBlockSource();

  // `bytes` of uninitialised memory aligned for any record, valid until
  // the source is destroyed: from the current region, else from a prepared
  // region, else from a new one. Called by one thread only (the one that
  // fills the drawing). Throws std::bad_alloc when no memory is left; the
  // source is then unchanged.
  void* Take(size_t bytes);
  void* TakeBlock(size_t bytes) override { return Take(bytes); }

  // Bytes PrepareSome faults in at a time: a short step, so that a thread
  // that prepares while it would wait is soon back at its own work.
  static constexpr size_t kPrepareStep = size_t{512} << 10;
  static_assert(kRegion % kPrepareStep == 0, "a region is prepared in whole steps");

  // Faults in the next kPrepareStep bytes of the region being prepared
  // (mapping one first when none is); a region fully faulted in is ready
  // for Take. Does nothing when kReadyMax regions are ready. May run on
  // another thread while one calls Take, but on one thread at a time.
  // Returns false when it did nothing (enough are ready, or no memory was
  // to be had).
  bool PrepareSome();

  // Gives back the prepared regions not taken and the one being prepared
  // (once the drawing is read). Not while PrepareSome may run.
  void DropPrepared();

  // Bytes mapped for Take's regions so far, prepared ones not counted.
  size_t BytesMapped() const { return mapped_; }

 private:
  struct TRegion {
    char* Base;
    size_t Size;
  };
  // A region for Take: a prepared one, else a new one of `size` bytes.
  TRegion NextRegion(size_t size);
  // NextRegion(size), kept among the regions Take hands out from (all of
  // it poisoned under AddressSanitizer until handed out).
  TRegion AddRegion(size_t size);

  std::vector<TRegion> regions_;  // handed to Take; only Take changes it
  char* cur_ = nullptr;           // unused rest of the current region
  size_t left_ = 0;
  size_t mapped_ = 0;

  std::mutex mutex_;  // guards the two below
  TRegion prepared_[kReadyMax] = {};
  int preparedCount_ = 0;

  // The region PrepareSome is faulting in, and how far (its thread's own).
  TRegion preparing_ = {};
  size_t preparingDone_ = 0;
};

}  // namespace cadxform
