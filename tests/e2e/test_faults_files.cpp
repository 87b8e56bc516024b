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
#include <unistd.h>
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

// A folder in place of the exchange file is a failed read, said once: no
// translation of an empty drawing, no second line for the message that
// cannot take its place, and the folder stays as it was.
TEST(Faults, ExchangePathIsAFolder) {
  cadxform::e2e::TToolSandbox box(TestArgs.at(0), "folder");
  fs::create_directory(box.ExchangePath());
  const std::string inside = (box.ExchangePath() / "keep.txt").string();
  { std::ofstream(inside, std::ios::binary) << "host data"; }

  const auto r = box.Run(kMoveArgs);

  ExpectFailureLines(r, box, {"cannot read"});
  EXPECT_TRUE(fs::is_directory(box.ExchangePath()));
  EXPECT_EQ(cadxform::e2e::ReadFileBytes(inside), "host data");
  EXPECT_TRUE(box.StrayEntries().empty()) << box.StrayEntries().front();
}

// Disk full, or a file size limit (RLIMIT_FSIZE, with SIGXFSZ as a shell
// leaves it: ending the process): the write fails with EFBIG, the tool says
// so and exits with status 1, the temporary file goes, and the exchange
// file holds the failure message line, never a partial output or the
// host's own input.
TEST(Faults, DiskFullLeavesTheMessage) {
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
    EXPECT_EQ(box.GetExchange(), "h#" + std::string(cadxform::kWriteFailedMessage) + "\r\n");
    EXPECT_TRUE(box.StrayEntries().empty()) << box.StrayEntries().front();
  }
}

// The folder is read-only (as root the tool runs as "nobody", so that the
// permissions apply): no temporary file can be made beside the exchange
// file. The host must not read its own input back as the result: the
// exchange file gets the failure message line in place; exit status 1,
// said once.
TEST(Faults, ReadOnlyFolderNeverPassesTheInputOff) {
  if (kOnWindows) GTEST_SKIP() << "read-only folders do not stop file creation on Windows";
  cadxform::e2e::TToolSandbox box(TestArgs.at(0), "read_only");
  box.PutExchange(SmallDrawing());
  const fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  fs::permissions(box.ExchangePath(), writable, fs::perm_options::add);
  fs::permissions(box.ToolDir(), writable, fs::perm_options::remove);
  cadxform::e2e::TChildLimits limits;
  limits.DropRoot = true;

  const auto r = box.Run(kMoveArgs, limits);

  ExpectFailureLines(r, box, {"cannot write"});
  EXPECT_EQ(box.GetExchange(), "h#" + std::string(cadxform::kWriteFailedMessage) + "\r\n");
  EXPECT_TRUE(box.StrayEntries().empty()) << box.StrayEntries().front();
}

// An exchange file the user marked read-only (Windows: the attribute; POSIX:
// no write permission for anyone, which Wine shows as that attribute) is
// left exactly as it is, whoever runs the tool (root could replace or write
// it) and whatever its folder allows: exit status 1, one line that says
// why, no temporary file.
TEST(Faults, ReadOnlyExchangeFileIsLeftAsItIs) {
  const struct {
    const char* name;
    bool asNobody;
    bool folderReadOnly;
  } cases[] = {{"as whoever runs the tests", false, false},
               {"as an ordinary user", true, false},
               {"in a read-only folder", true, true}};
  for (const auto& c : cases) {
    if (kOnWindows && c.asNobody) continue;  // no other user, nor folder permissions, on Windows
    SCOPED_TRACE(c.name);
    cadxform::e2e::TToolSandbox box(TestArgs.at(0), "read_only_file");
    const std::string input = SmallDrawing();
    box.PutExchange(input);
    const fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(box.ExchangePath(), writable, fs::perm_options::remove);
    if (c.folderReadOnly) fs::permissions(box.ToolDir(), writable, fs::perm_options::remove);
    cadxform::e2e::TChildLimits limits;
    limits.DropRoot = c.asNobody;

    const auto r = box.Run(kMoveArgs, limits);

    fs::permissions(box.ToolDir(), fs::perms::owner_write, fs::perm_options::add);
    ExpectFailureLines(r, box, {"read-only"});
    EXPECT_EQ(box.GetExchange(), input);
    EXPECT_EQ(fs::status(box.ExchangePath()).permissions() & writable, fs::perms::none);
    EXPECT_TRUE(box.StrayEntries().empty()) << box.StrayEntries().front();
    fs::permissions(box.ExchangePath(), fs::perms::owner_write, fs::perm_options::add);
  }
}

// A name that leads to no regular file is no drawing and no missing file:
// reading it fails at once (a FIFO never holds the tool in its open, a link
// to /dev/null never reads as an empty drawing, a link to nothing, a link
// loop or a link into a folder the user may not search never reads as a
// missing file, whose output would be an empty drawing), and it is
// replaced by the read-failed message line.
TEST(Faults, NoRegularFileIsAFailedRead) {
#ifdef _WIN32
  GTEST_SKIP() << "FIFOs and links to devices are POSIX only";
#else
  const std::string message = "h#" + std::string(cadxform::kReadFailedMessage) + "\r\n";
  using TMake = void (*)(const fs::path& exchange);
  const struct {
    const char* name;
    TMake make;
    bool asNobody;  // permissions apply (run as "nobody" when root)
  } cases[] = {
      {"FIFO", [](const fs::path& f) { ASSERT_EQ(mkfifo(f.c_str(), 0666), 0); }, false},
      {"link to /dev/null", [](const fs::path& f) { fs::create_symlink("/dev/null", f); }, false},
      {"link to nothing", [](const fs::path& f) { fs::create_symlink("no_such_file", f); }, false},
      {"link loop", [](const fs::path& f) { fs::create_symlink(f.filename(), f); }, false},
      {"link into a folder that may not be searched",
       [](const fs::path& f) {
         const fs::path locked = f.parent_path() / "locked";
         fs::create_directory(locked);
         std::ofstream(locked / "drawing.txt", std::ios::binary) << "ci 1 2 3\r\n";
         fs::permissions(locked, fs::perms::owner_all);
         fs::create_symlink(locked / "drawing.txt", f);
       },
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cadxform::e2e::TToolSandbox box(TestArgs.at(0), "special");
    c.make(box.ExchangePath());
    cadxform::e2e::TChildLimits limits;
    if (c.asNobody) {
      if (geteuid() != 0) GTEST_SKIP() << "needs root to run as another user";
      limits.DropRoot = true;
      fs::permissions(box.ToolDir(), fs::perms::all);  // the message may take the link's place
    }

    cadxform::e2e::TChild child = box.Start(kMoveArgs, limits);
    // A run takes milliseconds; one still going after a minute waits for ever.
    for (int i = 0; i < 6000 && child.Running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    const bool hangs = child.Running();
    child.Kill();
    const auto r = child.Wait();
    fs::remove_all(box.ToolDir() / "locked");

    ASSERT_FALSE(hangs) << "the tool waits for ever";
    ExpectFailureLines(r, box, {"cannot read"});
    EXPECT_EQ(box.GetExchange(), message);
    EXPECT_TRUE(box.StrayEntries().empty()) << box.StrayEntries().front();
  }
#endif
}
