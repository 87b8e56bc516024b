// The sizes that decide when a step of a run takes a second thread, and in
// what pieces the work is then handed between the threads. The output is
// the same whatever the sizes: they change only how fast it comes.
//
// One policy serves the whole run: the run sequence passes it to reading,
// the transform and the emission. The defaults are the tool's own; tests
// and the differential fuzz target set them tiny so that small inputs take
// every two-thread path, or use OneThread() for the reference result.
//
// Example: TPathPolicy p; p.ReadChunk = 64; p.TwoThreadPassFrom = 2;
// reads any file of 64 bytes or more on two threads and transforms any
// drawing of two or more entities on two threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>

namespace cadxform {

struct TPathPolicy {
  // Reading. Bytes read from the file at a time; a file whose first read
  // fills a whole chunk is read on two threads when ReadOnTwoThreads is set
  // (a second thread cuts and splits the lines, this one applies them).
  size_t ReadChunk = size_t{1} << 20;
  bool ReadOnTwoThreads = true;
  // ReadChunk, at most 1 GiB: lines are split in place in a chunk, their
  // token places 32-bit offsets into it.
  size_t ReadChunkBytes() const {
    constexpr size_t kMaxChunk = size_t{1} << 30;
    return ReadChunk < kMaxChunk ? ReadChunk : kMaxChunk;
  }
  // Lines per batch handed from the splitting thread to the applying one;
  // a batch is also handed over once its token bytes reach BatchBytes.
  int32_t BatchLines = 4096;
  size_t BatchBytes = size_t{1} << 20;

  // Below the entity thresholds a second thread would cost about as much as
  // it saves.
  //
  // Transform. Drawings of at least this many entities are transformed on
  // two threads; this thread takes the first PassCutNum / PassCutDen of
  // every record array, the second thread the rest.
  int32_t TwoThreadPassFrom = 50000;
  int32_t PassCutNum = 1;
  int32_t PassCutDen = 2;

  // Emission. Drawings of at least this many entities are written in
  // segments of SegmentEntities entities that two writers take in turn:
  // small enough that the two writers finish close together and that the
  // segments held until they are joined cost little memory (a segment's
  // output is 1.5 to 3 MiB), large enough that the attribute-only pass over
  // the other writer's segments and the hand-over cost little time.
  int32_t SplitEmissionFrom = 50000;
  int32_t SegmentEntities = 32768;

  // Release. Drawings of at least this many entities are released on a
  // second thread while the output is flushed and put in place.
  int32_t ReleaseAsideFrom = 50000;

  // Every step on this thread, whatever the input's size: the reference
  // that every two-thread path must match.
  static TPathPolicy OneThread() {
    TPathPolicy p;
    constexpr int32_t kNever = std::numeric_limits<int32_t>::max();
    p.ReadOnTwoThreads = false;
    p.TwoThreadPassFrom = kNever;
    p.SplitEmissionFrom = kNever;
    p.ReleaseAsideFrom = kNever;
    return p;
  }
};

// The run's choice of threads as a TRunContext (cadxform/run.h) hands it
// to the transform pass.
namespace detail {
struct TRunThreads {
  const TPathPolicy& Policy;
};
}  // namespace detail

}  // namespace cadxform
