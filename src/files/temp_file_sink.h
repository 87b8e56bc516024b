// The temporary file beside the exchange file that the output buffer writes
// its full chunks into while the output is produced (see file_writer.h).
#pragma once

#include <utility>

#include "format/out_buffer.h"
#include "parallel/background_flush.h"
#include "platform/file_system.h"

namespace cadxform {

// A failed write is remembered and reported by WriteExchangeFile;
// discarding (the user's abort) empties the file, which makes it consistent
// with the empty buffer again. An open file that was never handed over is
// closed and deleted when the sink is destroyed. A large file is flushed
// to disk in the background while it is written (TBackgroundFlush).
class TTempFileSink : public TOutSink {
 public:
  TTempFileSink() = default;
  TTempFileSink(const TTempFileSink&) = delete;
  TTempFileSink& operator=(const TTempFileSink&) = delete;
  ~TTempFileSink() override { Abandon(); }

  void Take(const char* data, size_t size) override {
    if (!failed_ && !platform::WriteToFile(file_, data, size)) failed_ = true;
    flush_.Wrote(file_, size);
  }
  void Discard() override { failed_ = !platform::TruncateFile(file_); }

  bool IsOpen() const { return file_ != platform::kNoFile; }
  // True when a write failed, or a flush made in the background (waited
  // for here): the file may not hold the output on disk.
  bool Failed() {
    if (!flush_.Stop()) failed_ = true;
    return failed_;
  }
  const platform::TPath& Path() const { return path_; }
  // The temporary file's name, moved out (no allocation).
  platform::TPath TakeTempPath() { return std::move(tempPath_); }
  platform::TFileHandle File() const { return file_; }

  void Open(platform::TPath path, platform::TPath tempPath, platform::TFileHandle file) {
    path_ = std::move(path);
    tempPath_ = std::move(tempPath);
    file_ = file;
    failed_ = false;
  }
  // Forgets the file without closing it (its handle has been taken over).
  void Release() {
    flush_.Stop();
    path_.clear();
    tempPath_.clear();
    file_ = platform::kNoFile;
    failed_ = false;
  }
  // Closes and deletes a file that will never be written whole.
  void Abandon() {
    if (!IsOpen()) return;
    flush_.Stop();
    platform::CloseFile(file_);
    platform::DeleteFileAt(tempPath_);
    Release();
  }

 private:
  platform::TPath path_;      // the exchange file the output is for
  platform::TPath tempPath_;  // the temporary file
  platform::TFileHandle file_ = platform::kNoFile;
  bool failed_ = false;
  TBackgroundFlush flush_;
};

}  // namespace cadxform
