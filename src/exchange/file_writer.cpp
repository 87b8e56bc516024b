#include "cadxform/file_writer.h"

#include <cassert>
#include <new>
#include <string>
#include <utility>

#include "platform/file_system.h"
#include "cadxform/out_buffer.h"
#include "exchange/overwrite_message.h"
#include "exchange/temp_file_sink.h"

namespace cadxform {

using namespace cadxform::platform;

namespace {

// Names tried for the temporary file before giving up (another file of the
// same name may be left from an earlier run that was cut short).
constexpr int kTempNameTries = 10;

// Creates a new temporary file in the folder of path, named after it and
// the process, with the access of the file at path (which it replaces);
// returns its handle and name, or kNoFile.
TFileHandle CreateTempBeside(const TPath& path, TPath& tempPath) {
  TPath base = path;
  base += ".tmp" + std::to_string(CurrentProcessId());
  for (int i = 0; i < kTempNameTries; ++i) {
    tempPath = base;
    if (i > 0) tempPath += "-" + std::to_string(i);
    const TFileHandle f = CreateNewFile(tempPath);
    if (f == kNoFile) continue;
    CopyAccessOf(path, f);
    return f;
  }
  return kNoFile;
}

// Writes what the buffer still holds in memory, or "hq" when nothing was
// queued, in the buffer's large pieces.
bool WriteOutLines(const TOutBuffer& lines, TFileHandle file) {
  if (lines.Count() == 0) return WriteToFile(file, "hq\r\n", 4);
  bool ok = true;
  lines.ForEachPiece([&](const char* data, size_t size) {
    if (ok) ok = WriteToFile(file, data, size);
  });
  return ok;
}

}  // namespace

void AbandonExchangeFile(TWriteState& w) {
  TTempFileSink& spill = *w.Spill;
  if (w.Out.Sink() == &spill) w.Out.SetSink(nullptr);
  spill.Abandon();
}

bool BeginExchangeFile(TWriteState& w, const TPath& path) {
  AbandonExchangeFile(w);
  // Every allocation happens before the file exists, so running out of
  // memory here leaves nothing behind.
  TPath forPath = path;
  TPath tempPath;
  const TFileHandle file = CreateTempBeside(path, tempPath);
  if (file == kNoFile) return false;  // the buffer stays in memory
  TTempFileSink& spill = *w.Spill;
  spill.Open(std::move(forPath), std::move(tempPath), file);
  w.Out.SetSink(&spill);
  return true;
}

// The content is flushed to disk before the rename, so a crash of the
// machine right after it cannot leave an empty or partial exchange file.
namespace {

// MoveFileOver that deletes the temporary file when running out of memory
// stops it before the rename, so no stray file stays beside the exchange
// file; the failure then goes on to the caller.
bool MoveTempOver(const TPath& tempPath, const TPath& path) {
  try {
    return MoveFileOver(tempPath, path);
  } catch (const std::bad_alloc&) {
    DeleteFileAt(tempPath);
    throw;
  }
}

}  // namespace

bool WriteExchangeFile(TWriteState& w, const TPath& path) {
  TTempFileSink& spill = *w.Spill;
  TPath tempPath;
  TFileHandle file = kNoFile;
  bool ok = true;
  if (w.Out.Sink() == &spill && spill.IsOpen()) {
    w.Out.SetSink(nullptr);
    assert(spill.Path() == path);
    if (spill.Path() != path) {
      // Part of the output went to a file meant for another path.
      spill.Abandon();
      return false;
    }
    file = spill.File();
    tempPath = spill.TakeTempPath();
    ok = !spill.Failed();
    spill.Release();
  } else {
    spill.Abandon();  // left by a run that never wrote it
    file = CreateTempBeside(path, tempPath);
    if (file == kNoFile) {
      // No new file can be made beside it (a read-only folder): the host
      // must still not read its own input back as the result.
      OverwriteWithFailureMessage(path);
      return false;
    }
  }
  ok = ok && WriteOutLines(w.Out, file) && FlushFileToDisk(file);
  ok = CloseFile(file) && ok;
  if (ok && MoveTempOver(tempPath, path)) return true;
  DeleteFileAt(tempPath);
  if (!DeleteFileAt(path)) OverwriteWithFailureMessage(path);
  return false;
}

}  // namespace cadxform
