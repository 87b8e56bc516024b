// Reading the exchange file: chunks of bytes in, lines out to ParseLine.
#include <memory>
#include <new>

#include "parallel/path_policy.h"
#include "format/read_state.h"
#include "files/read_file.h"
#include "format/parse_line.h"
#include "format/reader_lines.h"
#include "parallel/reader_split.h"
#include "platform/file_system.h"

namespace cadxform {

namespace {

// Closes the file when reading ends, however it ends; remembers its size
// and time when it was opened.
class TReadFile {
 public:
  explicit TReadFile(const platform::TPath& path) : file_(platform::OpenForReading(path)) {
    if (file_ != platform::kNoFile && !platform::StampOfFile(file_, atOpen_)) {
      platform::CloseFile(file_);
      file_ = platform::kNoFile;
    }
  }
  ~TReadFile() {
    if (file_ != platform::kNoFile) platform::CloseFile(file_);
  }
  TReadFile(const TReadFile&) = delete;
  TReadFile& operator=(const TReadFile&) = delete;
  platform::TFileHandle Handle() const { return file_; }

  // True when the reading that ends now took the file as it was when
  // opened: it still has that size and write time (a file cut short or
  // grown meanwhile has not), and no more bytes were read than it held
  // (fewer when a Ctrl+Z line ended the reading). Called once the reads of
  // both reading threads are over.
  bool TookWholeFile() const {
    platform::TFileStamp now;
    uint64_t read = 0;
    return platform::StampOfFile(file_, now) && now == atOpen_ && platform::FilePosition(file_, read) &&
           read <= atOpen_.Size;
  }

 private:
  platform::TFileHandle file_;
  platform::TFileStamp atOpen_;
};

}  // namespace

bool ReadExchangeFile(const platform::TPath& path, TDrawing& d) {
  return ReadExchangeFile(path, d, TPathPolicy());
}

bool ReadExchangeFile(const platform::TPath& path, TDrawing& d, const TPathPolicy& policy) {
  // Line ends are handled by TLineAssembler, the same way on every platform.
  TReadFile file(path);
  if (file.Handle() == platform::kNoFile) return false;
  // Running out of memory throws std::bad_alloc: it is no fault of the file.
  // Plain lines are split in place in the chunk (kChunkPad bytes after it).
  const size_t chunkSize = policy.ReadChunkBytes();
  std::unique_ptr<char[]> chunk(new char[chunkSize + kChunkPad]);
  TReadState r(d);
  TLineAssembler lines;
  auto parse = [&](std::string_view line) { ParseLine(d, r, line); };
  TTokenSpan32 spans[kMaxTokens + kSpanRoomPad];
  auto room = [&] { return spans; };
  auto parseSplit = [&](std::string_view line, const TTokenSpan32* places, int count) {
    ParseTokens(d, r, TTokenView(line.data(), places, nullptr, count));
  };
  for (bool firstChunk = true;; firstChunk = false) {
    size_t got = 0;
    if (!platform::ReadFromFile(file.Handle(), chunk.get(), chunkSize, got)) return false;
    if (got == 0) break;
    // A file larger than one chunk is split into lines by a second thread.
    if (firstChunk && got == chunkSize && policy.ReadOnTwoThreads) {
      const TSplitReadResult res =
          ReadSplitOnTwoThreads(file.Handle(), chunk.get(), got, d, r, policy);
      if (res != srNoThread) return res == srDone && file.TookWholeFile();
    }
    if (!lines.FeedSplit(chunk.get(), got, room, parseSplit, parse)) return file.TookWholeFile();  // Ctrl+Z
  }
  lines.Finish(parse);
  return file.TookWholeFile();
}

}  // namespace cadxform
