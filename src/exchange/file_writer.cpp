#include "exchange/file_writer.h"

#include <string>

#include "exchange/file_ops.h"
#include "exchange/out_buffer.h"
#include "exchange/store.h"

namespace rek {

namespace {

// Names tried for the temporary file before giving up (another file of the
// same name may be left from an earlier run that was cut short).
constexpr int kTempNameTries = 10;

// Creates a new temporary file in the folder of path, named after it and
// the process; returns its handle and name, or kNoFile.
TFileHandle CreateTempBeside(const std::string& path, std::string& tempPath) {
  const std::string base = path + ".tmp" + std::to_string(CurrentProcessId());
  for (int i = 0; i < kTempNameTries; ++i) {
    tempPath = i == 0 ? base : base + "-" + std::to_string(i);
    const TFileHandle f = CreateNewFile(tempPath);
    if (f != kNoFile) return f;
  }
  return kNoFile;
}

// Writes the queued lines, or "hq" when nothing was queued, in the buffer's
// large pieces.
bool WriteOutLines(TFileHandle file) {
  const TOutBuffer& lines = Store.OutLines;
  if (lines.Count() == 0) return WriteToFile(file, "hq\r\n", 4);
  bool ok = true;
  lines.ForEachPiece([&](const char* data, size_t size) {
    if (ok) ok = WriteToFile(file, data, size);
  });
  return ok;
}

}  // namespace

// The new content goes to a temporary file in the same folder, is flushed
// to disk, and only then renamed over the exchange file, so the path holds
// either the host's input or the complete output at every moment. Should
// writing fail after the temporary file exists, both files are deleted: the
// host then finds no file rather than its own input taken for the result.
bool WriteExchangeFile(const std::string& path) {
  std::string tempPath;
  const TFileHandle file = CreateTempBeside(path, tempPath);
  if (file == kNoFile) return false;  // nothing written, nothing deleted
  bool ok = WriteOutLines(file) && FlushFileToDisk(file);
  ok = CloseFile(file) && ok;
  if (ok && MoveFileOver(tempPath, path)) return true;
  DeleteFileAt(tempPath);
  DeleteFileAt(path);
  return false;
}

}  // namespace rek
