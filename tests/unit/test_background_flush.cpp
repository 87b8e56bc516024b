// The background flush of a file being written: one flush per full window
// at most, none for a small file, the file's bytes untouched, the flusher
// restartable after Stop (the same sink writes the next output), and a
// flush that failed told by Stop.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "failing_calls.h"
#include "parallel/background_flush.h"
#include "platform/file_system.h"

namespace {

namespace fs = std::filesystem;
using cadxform::TBackgroundFlush;
using namespace cadxform::platform;

// Writes `windows` windows and a half of numbered 1 MiB pieces to a new
// file at path through flush; returns the flushes made.
int WriteThrough(TBackgroundFlush& flush, const fs::path& path, int windows) {
  const TFileHandle file = CreateNewFile(path);
  EXPECT_NE(file, kNoFile);
  const size_t piece = size_t{1} << 20;
  const int pieces = static_cast<int>((windows * TBackgroundFlush::kWindow + TBackgroundFlush::kWindow / 2) / piece);
  for (int i = 0; i < pieces; ++i) {
    const std::string bytes(piece, static_cast<char>('a' + i % 26));
    EXPECT_TRUE(WriteToFile(file, bytes.data(), bytes.size()));
    flush.Wrote(file, bytes.size());
  }
  flush.Stop();
  const int flushes = flush.Flushes();
  EXPECT_TRUE(FlushFileToDisk(file));
  EXPECT_TRUE(CloseFile(file));
  std::ifstream in(path, std::ios::binary);
  const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(all.size(), static_cast<size_t>(pieces) * piece);
  for (int i = 0; i < pieces; ++i) EXPECT_EQ(all[static_cast<size_t>(i) * piece + 7], 'a' + i % 26);
  return flushes;
}

TEST(BackgroundFlush, FlushesFullWindowsOnlyAndKeepsTheBytes) {
  const fs::path dir = fs::temp_directory_path() / ("cadxform_background_flush_" + std::to_string(cadxform::platform::CurrentProcessId()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  TBackgroundFlush flush(true);
  EXPECT_EQ(WriteThrough(flush, dir / "small", 0), 0);  // half a window: no thread
  const int first = WriteThrough(flush, dir / "large", 3);
  EXPECT_GE(first, 1);
  EXPECT_LE(first, 3);
  EXPECT_GE(WriteThrough(flush, dir / "again", 2), first + 1);  // restarted after Stop
  TBackgroundFlush off(false);
  EXPECT_EQ(WriteThrough(off, dir / "off", 2), 0);
  fs::remove_all(dir);
}

// A flush that failed in the background fails the write: the system may
// report a lost write to that flush only, and the final one then succeeds.
TEST(BackgroundFlush, StopTellsAFailedFlush) {
  using namespace cadxform::test;
  const fs::path path = fs::temp_directory_path() / ("cadxform_failed_flush_" + std::to_string(CurrentProcessId()));
  const TFileHandle file = CreateNewFile(path);
  ASSERT_NE(file, kNoFile);
  for (const TFault fault : {fNone, fIoError}) {
    TFailingCalls failing(fcFlush, {fault});
    TBackgroundFlush flush(true);
    flush.Wrote(file, TBackgroundFlush::kWindow);  // a window full: one flush
    EXPECT_EQ(flush.Stop(), fault == fNone);
    EXPECT_EQ(flush.Flushes(), 1);
    EXPECT_TRUE(flush.Stop());  // told once
  }
  CloseFile(file);
  fs::remove(path);
}

}  // namespace
