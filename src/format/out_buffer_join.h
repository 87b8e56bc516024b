// What the writers of a large drawing do with output buffers beyond what a
// transform may: share chunk memory between buffers, and join the output of
// one buffer to another without copying its bytes.
//
//   TChunkPool pool;                            // a TChunkStore
//   TOutBufferJoin::SetChunkPool(segment, &pool);
//   ... write a segment into `segment` ...
//   TOutBufferJoin::MoveFrom(joined, segment);  // segment is empty again
#pragma once

#include <memory>

#include "format/out_buffer.h"

namespace cadxform {

// Where buffers that share memory take their chunks (TOutBuffer::kChunk
// bytes each) and give them back once their bytes went to the sink. The
// buffer knows only this; a thread-safe pool implements it.
class TChunkStore {
 public:
  virtual ~TChunkStore() = default;
  // A chunk of TOutBuffer::kChunk bytes (throws std::bad_alloc).
  virtual std::unique_ptr<char[]> Get() = 0;
  // Takes back a chunk no longer used. Never throws.
  virtual void Put(std::unique_ptr<char[]> chunk) noexcept = 0;
};

struct TOutBufferJoin {
  // Buffer b takes its chunks from pool and gives them back when done with
  // them (nullptr: allocates and frees its own). The pool must outlive its
  // use by b (chunks held when b is destroyed are freed, not given back).
  static void SetChunkPool(TOutBuffer& b, TChunkStore* pool) { b.SetChunkPool(pool); }

  // Appends every entry of from to to (neither may end in a text header)
  // by taking over its chunks; from is left empty, a partly filled chunk
  // may then stand in the middle of to. With a sink, every chunk of to but
  // the last then goes to it.
  static void MoveFrom(TOutBuffer& to, TOutBuffer& from) { to.MoveFrom(from); }
};

}  // namespace cadxform
