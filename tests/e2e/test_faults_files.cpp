// The exchange file cannot be read or written: the tool says so (exit
// status 1, one line on standard error per failure) and never leaves a
// partial or misleading file behind.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include "app/run.h"
#include "e2e/run_process.h"
#include "files/overwrite_message.h"
#include "test_args.h"

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kMoveArgs = {"1", "1", "0", "0"};

#ifdef _WIN32
constexpr bool kOnWindows = true;
#else
constexpr bool kOnWindows = false;
#endif

// A small drawing whose output (about 30 KB) is larger than a few KB.
std::string SmallDrawing() {
  std::string s = "lg1\r\nly2\r\n";
  for (int i = 0; i < 2000; ++i) s += "ci " + std::to_string(i) + " 0 5\r\n";
  return s;
}

// Splits standard error into its lines, checking that each ends in LF.
std::vector<std::string> ErrorLines(const std::string& err) {
  std::vector<std::string> lines;
  size_t pos = 0;
  while (pos < err.size()) {
    size_t lf = err.find('\n', pos);
    EXPECT_NE(lf, std::string::npos) << "unterminated line on stderr";
    if (lf == std::string::npos) lf = err.size();
    std::string line = err.substr(pos, lf - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();  // Windows text mode
    lines.push_back(line);
    pos = lf + 1;
  }
  return lines;
}

// Checks that stderr holds exactly the given failure lines, in order, each
// a plain line naming the exchange file of this sandbox.
void ExpectFailureLines(const cadxform::e2e::TProcessResult& r, const cadxform::e2e::TToolSandbox& box,
                        const std::vector<std::string>& what) {
  EXPECT_EQ(r.ExitCode, 1);
  EXPECT_EQ(r.Stdout, "");
  const auto lines = ErrorLines(r.Stderr);
  ASSERT_EQ(lines.size(), what.size()) << r.Stderr;
  // The sandbox folder's own name, to see that the path is named; the
  // tool spells the rest of the path its own way (drive letters on Wine).
  const std::string folder = box.ToolDir().parent_path().filename().string();
  for (size_t i = 0; i < what.size(); ++i) {
    EXPECT_NE(lines[i].find(what[i]), std::string::npos) << lines[i];
    EXPECT_NE(lines[i].find(folder), std::string::npos) << lines[i];
    EXPECT_NE(lines[i].find("ZPH_TEMP.TXT"), std::string::npos) << lines[i];
  }
}

}  // namespace

// Before: the failed read was ignored, the translation ran on an empty drawing
// and the write failed silently: exit status 0, nothing said.
TEST(Faults, ExchangePathIsAFolder) {
  cadxform::e2e::TToolSandbox box(TestArgs.at(0), "folder");
  fs::create_directory(box.ExchangePath());
  const std::string inside = (box.ExchangePath() / "keep.txt").string();
  { std::ofstream(inside, std::ios::binary) << "host data"; }

  const auto r = box.Run(kMoveArgs);

  ExpectFailureLines(r, box, {"cannot read", "cannot write"});
  EXPECT_TRUE(fs::is_directory(box.ExchangePath()));
  EXPECT_EQ(cadxform::e2e::ReadFileBytes(inside), "host data");
  EXPECT_TRUE(box.StrayEntries().empty()) << box.StrayEntries().front();
}

// Disk full: with RLIMIT_FSIZE every write past the limit fails (EFBIG).
// Before: the exchange file was truncated and written in place; a failed
// write deleted it and the tool still ended with status 0, silently.
TEST(Faults, DiskFullLeavesNoFile) {
  if (kOnWindows) GTEST_SKIP() << "file size limits are POSIX only";
  // Limits above the length of the tool's line on standard error, which
  // is a file here and so limited too.
  for (const int64_t limit : {256, 4096}) {
    SCOPED_TRACE("file size limit " + std::to_string(limit));
    cadxform::e2e::TToolSandbox box(TestArgs.at(0), "disk_full");
    box.PutExchange(SmallDrawing());
    cadxform::e2e::TChildLimits limits;
    limits.FileSizeBytes = limit;

    const auto r = box.Run(kMoveArgs, limits);

    ExpectFailureLines(r, box, {"cannot write"});
    // The host finds no file rather than a partial output, or its own input
    // taken for the result.
    EXPECT_FALSE(fs::exists(box.ExchangePath()));
    EXPECT_TRUE(box.StrayEntries().empty()) << box.StrayEntries().front();
  }
}

// The folder is read-only (as root the tool runs as "nobody", so that the
// permissions apply): no temporary file can be made beside the exchange
// file. Before: nothing was written and the tool ended with status 0,
// silently, so the host read its own input back as the result. Now a
// writable exchange file gets the failure message line in place; a
// read-only one keeps the input. Either way exit status 1.
TEST(Faults, ReadOnlyFolderNeverPassesTheInputOff) {
  if (kOnWindows) GTEST_SKIP() << "read-only folders do not stop file creation on Windows";
  const std::string input = SmallDrawing();
  const std::string message = "h#" + std::string(cadxform::kWriteFailedMessage) + "\r\n";
  const struct {
    bool FileWritable;
    std::string Expected;
  } cases[] = {{false, input}, {true, message}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.FileWritable ? "writable file" : "read-only file");
    cadxform::e2e::TToolSandbox box(TestArgs.at(0), "read_only");
    box.PutExchange(input);
    const fs::perms readable = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    const fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(box.ExchangePath(), c.FileWritable ? readable | writable : readable);
    fs::permissions(box.ToolDir(), readable | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec);
    cadxform::e2e::TChildLimits limits;
    limits.DropRoot = true;

    const auto r = box.Run(kMoveArgs, limits);

    ExpectFailureLines(r, box, {"cannot write"});
    EXPECT_EQ(box.GetExchange(), c.Expected);
    EXPECT_TRUE(box.StrayEntries().empty()) << box.StrayEntries().front();
  }
}

// A FIFO or a device in place of the exchange file is no drawing: reading
// it fails, and it is replaced by the read-failed message line. Before: a
// FIFO held the tool in its open for ever, and a link to /dev/null read as
// an empty drawing (exit status 0, an empty "hd" output).
TEST(Faults, SpecialFileIsAFailedRead) {
#ifdef _WIN32
  GTEST_SKIP() << "FIFOs and links to devices are POSIX only";
#else
  const std::string message = "h#" + std::string(cadxform::kReadFailedMessage) + "\r\n";
  const struct {
    const char* name;
    bool fifo;
  } cases[] = {{"FIFO", true}, {"link to /dev/null", false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cadxform::e2e::TToolSandbox box(TestArgs.at(0), "special");
    if (c.fifo) {
      ASSERT_EQ(mkfifo(box.ExchangePath().c_str(), 0666), 0);
    } else {
      fs::create_symlink("/dev/null", box.ExchangePath());
    }

    cadxform::e2e::TChild child = box.Start(kMoveArgs);
    // A run takes milliseconds; one still going after a minute waits for ever.
    for (int i = 0; i < 6000 && child.Running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const bool hangs = child.Running();
    child.Kill();
    const auto r = child.Wait();

    ASSERT_FALSE(hangs) << "the tool waits for ever";
    ExpectFailureLines(r, box, {"cannot read"});
    EXPECT_EQ(box.GetExchange(), message);
    EXPECT_TRUE(box.StrayEntries().empty()) << box.StrayEntries().front();
  }
#endif
}
