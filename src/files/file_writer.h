// Writing the output buffer to the exchange file.
//
// The new content always goes to a temporary file beside the exchange file
// and replaces it only when complete, so the exchange path holds either the
// host's input or the whole output at every moment. The temporary file gets
// the exchange file's permission bits (and, run as root, its owner and
// group; on Windows its hidden, system and archive attributes) when it is
// created, and it is held (locked) by the run until it has replaced the
// exchange file; temporary files that ended runs (killed ones) left beside
// the exchange file, which nobody holds, are deleted then.
//
// Usage (the run sequence):
//   BeginExchangeFile(w, path);   // before the transform queues any line
//   ... EmitAll(d, w) ...         // full 1 MiB chunks go to the temporary file
//   WriteExchangeFile(w, path);   // the rest, flush, replace
//
// The host reads whatever the file holds after the transform ends as its
// result. It must never find its own input there (it would add every
// selected entity a second time), nor part of a drawing. So when reading
// failed or memory ran out, replace the file by a message line for the
// user instead of the drawing:
//   TWriteState m;
//   AddMessageLine(m.Out, message);   // "h#" + message, code page 932 bytes
//   WriteExchangeFile(m, path);
#pragma once

#include <string>

#include "format/write_state.h"
#include "cadxform/path.h"

namespace cadxform {

// Creates the temporary file for the exchange file at path and lets w's
// output buffer write its full chunks into it from now on, so a huge output
// never sits in memory whole. Returns false when the temporary
// file cannot be created: the buffer then keeps everything in memory and
// WriteExchangeFile behaves as without this call. A temporary file left by
// an earlier call that was never written is deleted first.
// Must be followed by WriteExchangeFile with the same w and path, or by
// AbandonExchangeFile (destroying w also deletes the temporary file).
bool BeginExchangeFile(TWriteState& w, const platform::TPath& path);

// Gives up the output begun by BeginExchangeFile: w's buffer keeps its lines
// in memory from now on, and the temporary file is closed and deleted, so
// the exchange file stays as it was. Does nothing when no temporary file is
// open. Allocates nothing (safe when memory has run out).
void AbandonExchangeFile(TWriteState& w);

// Replaces the file at path with the output lines queued in w: each line ends
// with CR LF, a text header and its text form one line, and an empty buffer
// gives the single line "hq". The bytes are flushed to disk before the
// temporary file takes the place of the exchange file. Returns true on
// success. When no temporary file can be created, the file at path (if
// there is one and it is writable) is overwritten in place with the single
// failure message line, since no safe replacement is possible; nothing is
// deleted. Any later failure (including one while the buffer wrote its
// chunks during the transform, or a replacement refused because another
// process holds the file at path) deletes the temporary file and
// overwrites the file at path in place with the same message line, so that
// the host never takes its own input for the result; the file at path is
// never deleted (it may be another run's complete output). A file at path
// that the user marked read-only (platform/read_only.h) is neither
// replaced nor overwritten: false, and it stays as it is. A state whose
// write failed is spent: its output is dropped, and every later write with
// it returns false and touches no file.
bool WriteExchangeFile(TWriteState& w, const platform::TPath& path);

}  // namespace cadxform
