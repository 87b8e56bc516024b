#include "files/file_writer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "format/out_buffer.h"
#include "files/overwrite_message.h"
#include "format/write_state.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#else
#include <windows.h>
#endif

namespace {

namespace fs = std::filesystem;
using namespace cadxform;
using namespace cadxform::platform;

std::string ReadBytes(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& p, const std::string& bytes) {
  std::ofstream out(p, std::ios::binary);
  out << bytes;
}

// Names of everything in dir.
std::vector<std::string> Listing(const fs::path& dir) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class FileWriter : public ::testing::Test {
 protected:
  void SetUp() override {
    Fresh();
    dir_ = fs::temp_directory_path() /
           ("fw_test_" + std::to_string(CurrentProcessId()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    file_ = dir_ / "ZPH_TEMP.TXT";
  }
  void TearDown() override {
    ws_.reset();
#ifndef _WIN32
    chmod(dir_.c_str(), 0755);
#endif
    fs::remove_all(dir_);
  }
  // The write state of the output under test; Fresh replaces it by a new
  // one (the old one is destroyed first).
  TWriteState& W() { return *ws_; }
  void Fresh() {
    ws_.reset();
    ws_.emplace();
  }
  std::optional<TWriteState> ws_;
  fs::path dir_;
  fs::path file_;
};

// What a failed write leaves in the exchange file.
const std::string kWriteFailedLine = "h#" + std::string(kWriteFailedMessage) + "\r\n";

// One queued entry: a plain line or a text header.
struct Entry {
  bool header;
  std::string text;
};

TEST_F(FileWriter, FileBytesFromQueuedEntries) {
  const std::string long300(300, 'x');
  const struct {
    const char* name;
    std::vector<Entry> entries;
    std::string want;
  } cases[] = {
      {"empty buffer", {}, "hq\r\n"},
      {"plain lines", {{false, "hd"}, {false, "lg0"}}, "hd\r\nlg0\r\n"},
      {"header joined with its text",
       {{false, "hd"}, {true, "ch 10 20 1 0 \""}, {false, "A"}},
       "hd\r\nch 10 20 1 0 \"A\r\n"},
      {"header last: no final line end", {{false, "hd"}, {true, "ch 1 \""}}, "hd\r\nch 1 \""},
      {"text ending in a quote ends its line",
       {{true, "ch \""}, {false, "B\""}, {false, "lc1"}},
       "ch \"B\"\r\nlc1\r\n"},
      {"300-byte line cut to 255", {{false, long300}}, std::string(255, 'x') + "\r\n"},
      {"font line ending in a quote stays apart",
       {{false, "cn\"$Q\""}, {false, "lc1"}},
       "cn\"$Q\"\r\nlc1\r\n"},
      {"only an empty line", {{false, ""}}, "\r\n"},
  };
  for (const auto& c : cases) {
    ClearOutLines(W().Out);
    for (const auto& e : c.entries) e.header ? AddTextHeader(W().Out, e.text) : AddOutLine(W().Out, e.text);
    ASSERT_TRUE(WriteExchangeFile(W(), file_.string())) << c.name;
    EXPECT_EQ(ReadBytes(file_), c.want) << c.name;
    EXPECT_EQ(Listing(dir_), std::vector<std::string>{"ZPH_TEMP.TXT"}) << c.name;
  }
}

TEST_F(FileWriter, ReplacesLongerExistingFileWhole) {
  WriteBytes(file_, std::string(5000, 'i') + "\r\n");
  AddOutLine(W().Out, "hd");
  ASSERT_TRUE(WriteExchangeFile(W(), file_.string()));
  EXPECT_EQ(ReadBytes(file_), "hd\r\n");
  EXPECT_EQ(Listing(dir_), std::vector<std::string>{"ZPH_TEMP.TXT"});
}

TEST_F(FileWriter, WritesOutputLargerThanOnePiece) {
  for (int i = 0; i < 12000; ++i) AddOutLine(W().Out, std::to_string(i) + std::string(200, 'a'));
  const std::string want = W().Out.Bytes();
  ASSERT_GT(want.size(), size_t{2} << 20);
  ASSERT_TRUE(WriteExchangeFile(W(), file_.string()));
  EXPECT_EQ(ReadBytes(file_), want);
}

TEST_F(FileWriter, StaleTemporaryFileOfSameNameIsLeftAlone) {
  const std::string stale = file_.string() + ".tmp" + std::to_string(CurrentProcessId());
  WriteBytes(stale, "old");
  AddOutLine(W().Out, "hd");
  ASSERT_TRUE(WriteExchangeFile(W(), file_.string()));
  EXPECT_EQ(ReadBytes(file_), "hd\r\n");
  EXPECT_EQ(ReadBytes(stale), "old");
}

// Temporary files of runs that have ended (killed, say) are deleted by the
// next write beside them; everything else stays: this run's own names,
// names of live processes, anything not exactly of the form, and a file
// that a live run holds although no process of its id can be seen (a run
// on another machine or in another container).
TEST_F(FileWriter, DeletesTemporaryFilesOfEndedRuns) {
  // Above the largest process id of Linux and not a multiple of 4 as every
  // Windows id is: no process has it.
  const std::string ended = std::to_string(4194305);
  const std::string own = std::to_string(CurrentProcessId());
  const std::string base = "ZPH_TEMP.TXT.tmp";
  const std::vector<std::string> deleted = {base + ended, base + ended + "-1", base + ended + "-9"};
  const std::vector<std::string> kept = {
      base + own + "-1", base + ended + "-10", base + ended + "-0", base + ended + "-", base + ended + "x",
      base + "0" + ended, base, base + "-" + ended, "OTHER.TXT.tmp" + ended, "ZPH_TEMP.TXT" + ended,
      base + "99999999999"};
  for (const auto& name : deleted) WriteBytes(dir_ / name, "stale");
  for (const auto& name : kept) WriteBytes(dir_ / name, "keep");
  fs::create_directory(dir_ / (base + ended + "-2"));
  const TFileHandle held = CreateHeldFile(dir_ / (base + ended + "-3"));
  ASSERT_NE(held, kNoFile);
  AddOutLine(W().Out, "hd");

  ASSERT_TRUE(WriteExchangeFile(W(), file_.string()));
  CloseFile(held);

  std::vector<std::string> want = kept;
  want.push_back(base + ended + "-2");
  want.push_back(base + ended + "-3");
  want.push_back("ZPH_TEMP.TXT");
  std::sort(want.begin(), want.end());
  EXPECT_EQ(Listing(dir_), want);
}

// A temporary file taken away before it could replace the exchange file
// (by a run that took it for a dead run's) fails the write; the exchange
// file is never deleted, and holds the failure message line instead of the
// input.
TEST_F(FileWriter, TemporaryFileTakenAwayLeavesTheExchangeFile) {
  WriteBytes(file_, "input\r\n");
  ASSERT_TRUE(BeginExchangeFile(W(), file_.string()));
  AddOutLine(W().Out, "hd");
  // Moved rather than deleted: Windows deletes an open file only when it is
  // closed.
  for (const auto& name : Listing(dir_)) {
    if (name != "ZPH_TEMP.TXT") fs::rename(dir_ / name, dir_ / "away");
  }

  EXPECT_FALSE(WriteExchangeFile(W(), file_.string()));

  EXPECT_EQ(ReadBytes(file_), kWriteFailedLine);
  EXPECT_EQ(Listing(dir_), (std::vector<std::string>{"ZPH_TEMP.TXT", "away"}));
}

TEST_F(FileWriter, PathIsDirectory) {
  fs::create_directory(file_);
  WriteBytes(file_ / "inside.txt", "keep");
  AddOutLine(W().Out, "hd");
  EXPECT_FALSE(WriteExchangeFile(W(), file_.string()));
  ASSERT_TRUE(fs::is_directory(file_));
  EXPECT_EQ(ReadBytes(file_ / "inside.txt"), "keep");
  EXPECT_EQ(Listing(dir_), std::vector<std::string>{"ZPH_TEMP.TXT"});  // no temporary left
}

TEST_F(FileWriter, MissingFolder) {
  AddOutLine(W().Out, "hd");
  EXPECT_FALSE(WriteExchangeFile(W(), (dir_ / "no_such_folder" / "ZPH_TEMP.TXT").string()));
  EXPECT_TRUE(Listing(dir_).empty());
}

// Lines of about 210 bytes; n of them fill several chunks of the buffer.
void QueueLines(TOutBuffer& out, int n, char fill) {
  for (int i = 0; i < n; ++i) AddOutLine(out, std::to_string(i) + std::string(200, fill));
}

std::string LinesBytes(int n, char fill) {
  std::string out;
  for (int i = 0; i < n; ++i) out += std::to_string(i) + std::string(200, fill) + "\r\n";
  return out;
}

// With the temporary file begun, full chunks leave memory as they fill, the
// exchange file keeps the input until the end, and an abort (ClearOutLines)
// forgets what was already written.
TEST_F(FileWriter, BegunOutputStreamsThroughTemporaryFile) {
  const int kMany = 30000;  // about 6 MiB
  const struct {
    const char* name;
    std::function<void()> queue;
    std::string want;
  } cases[] = {
      {"many lines", [this] { QueueLines(W().Out, kMany, 'a'); }, LinesBytes(kMany, 'a')},
      {"abort after spilling, then more lines",
       [this] {
         QueueLines(W().Out, kMany, 'a');
         ClearOutLines(W().Out);
         AddOutLine(W().Out, "lg0");
       },
       "lg0\r\n"},
      {"abort leaving nothing", [this] {
         QueueLines(W().Out, kMany, 'a');
         ClearOutLines(W().Out);
       },
       "hq\r\n"},
      {"nothing queued", [] {}, "hq\r\n"},
      {"text header across a chunk end", [this] {
         QueueLines(W().Out, 4990, 'b');  // just below 1 MiB
         AddTextHeader(W().Out, std::string(100, 'h') + "\"");
         AddOutLine(W().Out, std::string(200, 't'));
       },
       LinesBytes(4990, 'b') + std::string(100, 'h') + "\"" + std::string(200, 't') + "\r\n"},
  };
  for (const auto& c : cases) {
    Fresh();
    WriteBytes(file_, "input\r\n");
    ASSERT_TRUE(BeginExchangeFile(W(), file_.string())) << c.name;
    c.queue();
    EXPECT_LE(W().Out.Size(), TOutBuffer::kChunk) << c.name;
    EXPECT_EQ(ReadBytes(file_), "input\r\n") << c.name;
    ASSERT_TRUE(WriteExchangeFile(W(), file_.string())) << c.name;
    EXPECT_EQ(ReadBytes(file_), c.want) << c.name;
    EXPECT_EQ(Listing(dir_), std::vector<std::string>{"ZPH_TEMP.TXT"}) << c.name;
  }
}

TEST_F(FileWriter, BeginFailsAndWriteFallsBackToMemory) {
  const std::string missing = (dir_ / "no_such_folder" / "ZPH_TEMP.TXT").string();
  EXPECT_FALSE(BeginExchangeFile(W(), missing));
  QueueLines(W().Out, 10, 'a');
  EXPECT_EQ(W().Out.Bytes(), LinesBytes(10, 'a'));
  EXPECT_FALSE(WriteExchangeFile(W(), missing));
  EXPECT_TRUE(Listing(dir_).empty());
}

// A begun file that is never written is deleted by the next begin of the
// same state, or when its write state goes; the next write does not use it.
TEST_F(FileWriter, AbandonedTemporaryFileIsDeleted) {
  ASSERT_TRUE(BeginExchangeFile(W(), file_.string()));
  QueueLines(W().Out, 10000, 'x');
  ClearOutLines(W().Out);
  ASSERT_TRUE(BeginExchangeFile(W(), file_.string()));
  EXPECT_EQ(Listing(dir_).size(), 1u);  // the new temporary file only
  QueueLines(W().Out, 10000, 'x');
  Fresh();
  EXPECT_TRUE(Listing(dir_).empty());
  AddOutLine(W().Out, "hd");
  ASSERT_TRUE(WriteExchangeFile(W(), file_.string()));
  EXPECT_EQ(ReadBytes(file_), "hd\r\n");
  EXPECT_EQ(Listing(dir_), std::vector<std::string>{"ZPH_TEMP.TXT"});
}

// A file the user marked read-only takes neither the output, begun in a
// temporary file (which goes) or not, nor the message, even where the
// process could write it (root).
TEST_F(FileWriter, ReadOnlyFileIsLeftAsItIs) {
  const fs::perms readable = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
  for (const bool begun : {false, true}) {
    SCOPED_TRACE(begun ? "begun" : "at the end");
    Fresh();
    WriteBytes(file_, "input\r\n");
    fs::permissions(file_, readable);
    if (begun) {
      ASSERT_TRUE(BeginExchangeFile(W(), file_.string()));
    }
    AddOutLine(W().Out, "hd");

    EXPECT_FALSE(WriteExchangeFile(W(), file_.string()));
    EXPECT_FALSE(OverwriteWithFailureMessage(file_));

    EXPECT_EQ(ReadBytes(file_), "input\r\n");
    EXPECT_EQ(Listing(dir_), std::vector<std::string>{"ZPH_TEMP.TXT"});
    fs::permissions(file_, fs::perms::owner_write, fs::perm_options::add);
  }
}

#ifndef _WIN32
// Runs f with writes limited to 4 KiB per file.
template <class F>
void WithSmallFileLimit(F&& f) {
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  rlimit small = old;
  small.rlim_cur = 4096;
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  f();
  setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
}

// A chunk that could not be written while the transform ran fails the
// whole write, which then removes the temporary file and leaves the failure
// message line in the exchange file; an abort after such a failure empties
// the file and so makes the output whole again.
TEST_F(FileWriter, FailedSpillFailsTheWrite) {
  const struct {
    const char* name;
    bool abortAfter;
    bool wantOk;
  } cases[] = {{"failure reported", false, false}, {"abort mends it", true, true}};
  for (const auto& c : cases) {
    Fresh();
    WriteBytes(file_, "input\r\n");
    ASSERT_TRUE(BeginExchangeFile(W(), file_.string())) << c.name;
    WithSmallFileLimit([this] { QueueLines(W().Out, 10000, 'w'); });
    if (c.abortAfter) ClearOutLines(W().Out);
    AddOutLine(W().Out, "lg0");
    EXPECT_EQ(WriteExchangeFile(W(), file_.string()), c.wantOk) << c.name;
    if (c.wantOk) {
      EXPECT_EQ(ReadBytes(file_), "lg0\r\n") << c.name;
      EXPECT_EQ(Listing(dir_), std::vector<std::string>{"ZPH_TEMP.TXT"}) << c.name;
    } else {
      EXPECT_EQ(ReadBytes(file_), kWriteFailedLine) << c.name;
      EXPECT_EQ(Listing(dir_), std::vector<std::string>{"ZPH_TEMP.TXT"}) << c.name;
    }
  }
}

TEST_F(FileWriter, UnwritableFolderKeepsInput) {
  WriteBytes(file_, "input\r\n");
  ASSERT_EQ(chmod(dir_.c_str(), 0555), 0);
  // Only meaningful where permissions bite (not for root).
  const fs::path probe = dir_ / "probe";
  if (std::ofstream(probe).good()) {
    fs::remove(probe);
    GTEST_SKIP() << "folder permissions are not enforced for this user";
  }
  EXPECT_FALSE(BeginExchangeFile(W(), file_.string()));
  AddOutLine(W().Out, "hd");
  EXPECT_FALSE(WriteExchangeFile(W(), file_.string()));
  EXPECT_EQ(ReadBytes(file_), "input\r\n");
  EXPECT_EQ(Listing(dir_), std::vector<std::string>{"ZPH_TEMP.TXT"});
}

// The replacement keeps the permission bits of the file it replaces (a
// private drawing stays private whatever the umask) and, run as root, its
// owner and group. A file that only its group may write (0464) is no
// read-only file.
TEST_F(FileWriter, ReplacementKeepsModeAndOwner) {
  const bool root = geteuid() == 0;
  for (const mode_t mode : {0600, 0640, 0464, 0664}) {
    char octal[8];
    std::snprintf(octal, sizeof octal, "%04o", static_cast<unsigned>(mode));
    SCOPED_TRACE(std::string("mode ") + octal);
    for (const bool begun : {false, true}) {
      Fresh();
      WriteBytes(file_, "input\r\n");
      ASSERT_EQ(chmod(file_.c_str(), mode), 0);
      if (root) {
        ASSERT_EQ(chown(file_.c_str(), 65534, 65534), 0);
      }
      if (begun) {
        ASSERT_TRUE(BeginExchangeFile(W(), file_.string()));
      }
      AddOutLine(W().Out, "hd");

      ASSERT_TRUE(WriteExchangeFile(W(), file_.string()));

      struct stat st {};
      ASSERT_EQ(stat(file_.c_str(), &st), 0);
      EXPECT_EQ(st.st_mode & 07777, mode) << (begun ? "begun" : "at the end");
      if (root) {
        EXPECT_EQ(st.st_uid, 65534u);
        EXPECT_EQ(st.st_gid, 65534u);
      }
    }
  }
}

// A write that fails half-way (here: the file size limit) leaves neither the
// partial output nor the input, which the host would take for the result,
// and deletes no exchange file: the message line takes the input's place.
// The write state is spent: writing it again fails and changes nothing.
TEST_F(FileWriter, FailedWriteLeavesTheMessage) {
  WriteBytes(file_, "input\r\n");
  for (int i = 0; i < 1000; ++i) AddOutLine(W().Out, std::string(200, 'w'));
  bool ok = true;
  WithSmallFileLimit([&] { ok = WriteExchangeFile(W(), file_.string()); });
  EXPECT_FALSE(ok);
  EXPECT_EQ(ReadBytes(file_), kWriteFailedLine);
  EXPECT_EQ(Listing(dir_), std::vector<std::string>{"ZPH_TEMP.TXT"});
  EXPECT_FALSE(WriteExchangeFile(W(), file_.string()));
  EXPECT_EQ(ReadBytes(file_), kWriteFailedLine);
}
#else
// The replacement keeps the hidden attribute of the file it replaces.
TEST_F(FileWriter, ReplacementKeepsHiddenAttribute) {
  WriteBytes(file_, "input\r\n");
  ASSERT_TRUE(SetFileAttributesW(file_.c_str(), FILE_ATTRIBUTE_HIDDEN));
  if ((GetFileAttributesW(file_.c_str()) & FILE_ATTRIBUTE_HIDDEN) == 0)
    GTEST_SKIP() << "this file system keeps no hidden attribute";
  AddOutLine(W().Out, "hd");

  ASSERT_TRUE(WriteExchangeFile(W(), file_.string()));

  EXPECT_EQ(ReadBytes(file_), "hd\r\n");
  EXPECT_NE(GetFileAttributesW(file_.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
}
#endif

}  // namespace
