// Reading a large exchange file on two threads: a second thread reads the
// file, cuts it into lines and splits each line into tokens, in batches of
// lines; this thread applies the split lines to the drawing in file order.
// The drawing comes out exactly as when one thread does everything.
#pragma once

#include <cstddef>

#include "cadxform/drawing.h"
#include "parallel/path_policy.h"
#include "format/read_state.h"
#include "platform/file_system.h"

namespace cadxform {

// Outcome of ReadSplitOnTwoThreads.
enum TSplitReadResult { srDone, srReadFailed, srNoThread };

// Reads the file on two threads into d with r, beginning with the `got`
// bytes at `first`, which are the first bytes of the file (followed by
// kChunkPad writable bytes; its lines are split in place there, and it must
// stay unchanged until this returns), then reading the
// rest of `file` to its end or a Ctrl+Z line, policy.ReadChunk bytes at a
// time, in batches of policy.BatchLines lines or policy.BatchBytes bytes. srReadFailed when a read
// failed (the lines before it were applied); srNoThread when no second
// thread could be started (nothing was applied: the caller goes on alone).
// Throws std::bad_alloc (from either thread) when memory runs out.
TSplitReadResult ReadSplitOnTwoThreads(platform::TFileHandle file, char* first, size_t got,
                                       TDrawing& d, TReadState& r, const TPathPolicy& policy);

}  // namespace cadxform
