#include "exchange/file_writer.h"

#include <cassert>
#include <string>
#include <utility>

#include "platform/file_system.h"
#include "exchange/out_buffer.h"
#include "exchange/overwrite_message.h"
#include "exchange/store.h"

namespace rek {

using namespace cadxform::platform;

namespace {

// Names tried for the temporary file before giving up (another file of the
// same name may be left from an earlier run that was cut short).
constexpr int kTempNameTries = 10;

// Creates a new temporary file in the folder of path, named after it and
// the process; returns its handle and name, or kNoFile.
TFileHandle CreateTempBeside(const TPath& path, TPath& tempPath) {
  TPath base = path;
  base += ".tmp" + std::to_string(CurrentProcessId());
  for (int i = 0; i < kTempNameTries; ++i) {
    tempPath = base;
    if (i > 0) tempPath += "-" + std::to_string(i);
    const TFileHandle f = CreateNewFile(tempPath);
    if (f != kNoFile) return f;
  }
  return kNoFile;
}

// The temporary file that the output buffer writes its full chunks into
// while the transform runs. A failed write is remembered and reported by
// WriteExchangeFile; discarding (the user's abort) empties the file, which
// makes it consistent with the empty buffer again.
class TTempFileSink : public TOutSink {
 public:
  void Take(const char* data, size_t size) override {
    if (!failed_ && !WriteToFile(file_, data, size)) failed_ = true;
  }
  void Discard() override { failed_ = !TruncateFile(file_); }

  bool IsOpen() const { return file_ != kNoFile; }
  bool Failed() const { return failed_; }
  const TPath& Path() const { return path_; }
  // The temporary file's name, moved out (no allocation).
  TPath TakeTempPath() { return std::move(tempPath_); }
  TFileHandle File() const { return file_; }

  void Open(TPath path, TPath tempPath, TFileHandle file) {
    path_ = std::move(path);
    tempPath_ = std::move(tempPath);
    file_ = file;
    failed_ = false;
  }
  // Forgets the file without closing it (its handle has been taken over).
  void Release() {
    path_.clear();
    tempPath_.clear();
    file_ = kNoFile;
    failed_ = false;
  }
  // Closes and deletes a file that will never be written whole.
  void Abandon() {
    if (!IsOpen()) return;
    CloseFile(file_);
    DeleteFileAt(tempPath_);
    Release();
  }

 private:
  TPath path_;      // the exchange file the output is for
  TPath tempPath_;  // the temporary file
  TFileHandle file_ = kNoFile;
  bool failed_ = false;
};

TTempFileSink& Spill() {
  static TTempFileSink sink;
  return sink;
}

// Writes what the buffer still holds in memory, or "hq" when nothing was
// queued, in the buffer's large pieces.
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

void AbandonExchangeFile() {
  TTempFileSink& spill = Spill();
  if (Store.OutLines.Sink() == &spill) Store.OutLines.SetSink(nullptr);
  spill.Abandon();
}

bool BeginExchangeFile(const TPath& path) {
  AbandonExchangeFile();
  // Every allocation happens before the file exists, so running out of
  // memory here leaves nothing behind.
  TPath forPath = path;
  TPath tempPath;
  const TFileHandle file = CreateTempBeside(path, tempPath);
  if (file == kNoFile) return false;  // the buffer stays in memory
  TTempFileSink& spill = Spill();
  spill.Open(std::move(forPath), std::move(tempPath), file);
  Store.OutLines.SetSink(&spill);
  return true;
}

// The content is flushed to disk before the rename, so a crash of the
// machine right after it cannot leave an empty or partial exchange file.
bool WriteExchangeFile(const TPath& path) {
  TTempFileSink& spill = Spill();
  TPath tempPath;
  TFileHandle file = kNoFile;
  bool ok = true;
  if (Store.OutLines.Sink() == &spill && spill.IsOpen()) {
    Store.OutLines.SetSink(nullptr);
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
    if (file == kNoFile) return false;  // nothing written, nothing deleted
  }
  ok = ok && WriteOutLines(file) && FlushFileToDisk(file);
  ok = CloseFile(file) && ok;
  if (ok && MoveFileOver(tempPath, path)) return true;
  DeleteFileAt(tempPath);
  if (!DeleteFileAt(path)) OverwriteWithFailureMessage(path);
  return false;
}

}  // namespace rek
