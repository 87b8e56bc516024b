// Large drawings cut short: the process killed while it writes, or memory
// running out. Whatever happens, the exchange file afterwards is whole: the
// host's complete input, the complete output, or the message line of a
// failed read, never a part of one of them.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

#include "app/run.h"
#include "e2e/run_process.h"
#include "test_args.h"

// Whether the tool and this test are built with AddressSanitizer (the
// presets build both alike): it slows runs and reserves huge address space.
#if defined(__SANITIZE_ADDRESS__)
#define FAULTS_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FAULTS_ASAN 1
#endif
#endif
#ifndef FAULTS_ASAN
#define FAULTS_ASAN 0
#endif

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

const std::vector<std::string> kMoveArgs = {"1", "1", "0", "0"};

// A drawing of at least `bytes` bytes: segments, circles, texts with
// double-byte characters, solids and polylines, repeated with new numbers.
// Its indicated point 1 is (10, 20), so the output differs from the input.
std::string LargeDrawing(size_t bytes) {
  std::string s = "hp1 10 20\r\nlg1\r\nly2\r\nlc3\r\n";
  s.reserve(bytes + 200);
  for (int i = 0; s.size() < bytes; ++i) {
    const std::string n = std::to_string(i);
    s += n + ".25 " + n + " " + n + ".5 7\r\n";
    s += "ci " + n + " 1 2.5\r\n";
    // "\x82\xa0" is the hiragana a.
    s += "ch " + n + " 2 1 0 \"\x82\xa0 text " + n + "\r\n";
    s += "sl " + n + " 0 " + n + ".5 0 " + n + ".5 1\r\n";
    if (i % 10 == 0) s += "pl\r\n0 0 1 0\r\n1 0 1 1\r\n#\r\n";
  }
  return s;
}

// True once the tool has begun to replace the exchange file: a new file
// beside it, or the file itself changed in size or gone.
bool WritingSeen(const cadxform::e2e::TToolSandbox& box, uintmax_t inputSize) {
  std::error_code ec;
  const uintmax_t size = fs::file_size(box.ExchangePath(), ec);
  if (ec || size != inputSize) return true;
  return !box.StrayEntries().empty();
}

// When to kill: a delay after writing was first seen, or a share of the
// time an uninterrupted run takes, counted from the start.
struct TKillPoint {
  bool AfterWritingSeen;
  double Value;  // milliseconds after writing was seen, or share of the run
};

}  // namespace

// A kill at any moment of a run, also while the output is being written,
// leaves a whole exchange file: the host's input or the complete output,
// never the first part of the output; the next run removes the temporary
// file the killed one left.
TEST(Faults, KilledWhileWritingLeavesAWholeFile) {
  // Large enough that writing takes many milliseconds (less under the
  // sanitizer, which slows the tool down as much).
  const std::string input = LargeDrawing(FAULTS_ASAN ? 4u << 20 : 16u << 20);
  cadxform::e2e::TToolSandbox ref(TestArgs.at(0), "kill_reference");
  ref.PutExchange(input);
  const auto t0 = Clock::now();
  const auto r = ref.Run(kMoveArgs);
  const std::chrono::duration<double> took = Clock::now() - t0;
  ASSERT_EQ(r.ExitCode, 0) << r.Stderr;
  const std::string output = ref.GetExchange().value_or("");
  ASSERT_EQ(output.rfind("hd\r\n", 0), 0u);

  const TKillPoint points[] = {{false, 0.5}, {false, 0.9}, {true, 0}, {true, 2}, {true, 10}, {true, 40}};
  int writesCut = 0;
  for (const auto& at : points) {
    SCOPED_TRACE((at.AfterWritingSeen ? "ms after writing began: " : "share of the run: ") +
                 std::to_string(at.Value));
    cadxform::e2e::TToolSandbox box(TestArgs.at(0), "kill");
    box.PutExchange(input);
    cadxform::e2e::TChild child = box.Start(kMoveArgs);
    ASSERT_TRUE(child.Started());
    bool seen = false;
    if (at.AfterWritingSeen) {
      while (child.Running() && !(seen = WritingSeen(box, input.size())))
        std::this_thread::sleep_for(std::chrono::microseconds(100));
      std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(at.Value));
    } else {
      std::this_thread::sleep_for(took * at.Value);
    }
    const bool cut = child.Running();
    child.Kill();
    child.Wait();
    if (cut && seen) ++writesCut;

    // A temporary file may stay behind after a kill; the exchange file
    // itself must be whole.
    const auto got = box.GetExchange();
    ASSERT_TRUE(got.has_value()) << "the exchange file is gone";
    EXPECT_TRUE(*got == input || *got == output)
        << got->size() << " bytes, neither the input (" << input.size() << ") nor the output ("
        << output.size() << "), starting:\n"
        << cadxform::e2e::Printable(*got, 200);
    // The next run deletes the temporary file the killed one left behind.
    box.PutExchange("ci 1 2 3\r\n");
    EXPECT_EQ(box.Run(kMoveArgs).ExitCode, 0);
    EXPECT_TRUE(box.StrayEntries().empty()) << box.StrayEntries().front();
  }
  EXPECT_GT(writesCut, 0) << "no kill landed while the output was being written";
}

#ifndef _WIN32
// The read position of the process `id` in `file` (from /proc), if it has
// the file open.
std::optional<uint64_t> ReadPosition(int id, const fs::path& file) {
  const fs::path proc = "/proc/" + std::to_string(id);
  std::error_code ec;
  for (const auto& fd : fs::directory_iterator(proc / "fd", ec)) {
    if (fs::read_symlink(fd.path(), ec) != file) continue;
    std::ifstream info(proc / "fdinfo" / fd.path().filename());
    std::string key;
    uint64_t pos = 0;
    if (info >> key >> pos && key == "pos:") return pos;
  }
  return std::nullopt;
}
#endif

// A file cut short while it is read (here to a third, as another program
// might) is a failed read: the tool, paused after its first read and
// before the end, finds the file changed at the end and writes the
// read-failed message line, never the lines read until then as a complete
// "hd" output with exit status 0.
TEST(Faults, FileCutShortWhileReadIsAFailedRead) {
#ifdef _WIN32
  GTEST_SKIP() << "pausing the tool in the middle of its reading needs POSIX signals and /proc";
#else
  const std::string input = LargeDrawing(FAULTS_ASAN ? 4u << 20 : 16u << 20);
  const std::string message = "h#" + std::string(cadxform::kReadFailedMessage) + "\r\n";
  bool cut = false;
  // A run that ends before it could be paused is tried again.
  for (int attempt = 0; attempt < 5 && !cut; ++attempt) {
    cadxform::e2e::TToolSandbox box(TestArgs.at(0), "cut_short");
    box.PutExchange(input);
    const fs::path exchange = fs::canonical(box.ExchangePath());
    cadxform::e2e::TChild child = box.Start(kMoveArgs);
    ASSERT_TRUE(child.Started());
    while (child.Running() && ReadPosition(child.Id(), exchange).value_or(0) == 0)
      std::this_thread::sleep_for(std::chrono::microseconds(100));
    if (!child.Pause()) continue;
    const uint64_t at = ReadPosition(child.Id(), exchange).value_or(0);
    if (at == 0 || at >= input.size()) {
      child.Resume();
      child.Wait();
      continue;
    }
    fs::resize_file(box.ExchangePath(), input.size() / 3);
    child.Resume();
    const auto r = child.Wait();
    cut = true;

    EXPECT_EQ(r.ExitCode, 1) << r.Stderr;
    EXPECT_NE(r.Stderr.find("cannot read"), std::string::npos) << r.Stderr;
    EXPECT_EQ(box.GetExchange(), message) << "paused at byte " << at;
    EXPECT_TRUE(box.StrayEntries().empty()) << box.StrayEntries().front();
  }
  EXPECT_TRUE(cut) << "no run could be paused while it read";
#endif
}

// Memory running out at any point of a run, swept over address-space
// limits from the least the tool needs to start up to enough for the whole
// run. A read cut short by it never comes back as a complete "hd" output of
// the partial drawing, which the host would take for the user's whole
// selection; and memory running out after the read (for the message line
// or the output) never aborts the process or leaves its temporary file
// behind.
TEST(Faults, MemoryExhaustedNeverLeavesAPartialOutput) {
#ifdef _WIN32
  GTEST_SKIP() << "address-space limits are POSIX only";
#else
  if (FAULTS_ASAN) GTEST_SKIP() << "AddressSanitizer reserves far more address space than any limit here";
  constexpr int64_t kMiB = int64_t{1} << 20;
  const std::string input = LargeDrawing(6u << 20);
  const std::string outOfMemory = "h#" + std::string(cadxform::kOutOfMemoryMessage) + "\r\n";
  // Runs the tool on bytes in a fresh folder under the limit (-1: none);
  // returns the result, the exchange file afterwards and any stray files.
  struct TOutcome {
    cadxform::e2e::TProcessResult Result;
    std::optional<std::string> Exchange;
    std::vector<std::string> Strays;
  };
  auto runWith = [&](const std::string& bytes, int64_t limit) {
    cadxform::e2e::TToolSandbox box(TestArgs.at(0), "memory");
    box.PutExchange(bytes);
    cadxform::e2e::TChildLimits limits;
    limits.AddressSpaceBytes = limit;
    TOutcome o;
    o.Result = box.Run(kMoveArgs, limits);
    o.Exchange = box.GetExchange();
    o.Strays = box.StrayEntries();
    return o;
  };
  const std::string output = runWith(input, -1).Exchange.value_or("");
  ASSERT_EQ(output.rfind("hd\r\n", 0), 0u) << "the run without a limit failed";

  // The least address space in which the tool gets through a tiny drawing
  // (below it the program cannot even be loaded).
  int64_t limit = 4 * kMiB;
  while (limit < 256 * kMiB && runWith("ci 1 2 3\r\n", limit).Result.ExitCode != 0) limit += kMiB;

  int whileReading = 0;
  bool complete = false;
  for (; !complete && limit < 1024 * kMiB; limit += 2 * kMiB) {
    SCOPED_TRACE("address space limit " + std::to_string(limit / kMiB) + " MiB");
    const auto [r, got, strays] = runWith(input, limit);
    for (const auto& name : strays) ADD_FAILURE() << "left behind: " << name;
    if (r.ExitCode == 0) {
      EXPECT_EQ(r.Stderr, "");
      EXPECT_TRUE(got == output) << "exit 0 with an incomplete output";
      complete = true;
      continue;
    }
    // A failure is a plain, reported exit 1 (no crash, no abort) ...
    ASSERT_EQ(r.ExitCode, 1) << r.Stderr;
    EXPECT_EQ(r.Stderr.rfind("cadxform: ", 0), 0u) << r.Stderr;
    // ... that leaves the out-of-memory message line (memory running out
    // while reading is no fault of the file), the untouched input, or (when
    // even writing failed) no file, but never a partial output.
    const bool whole = got == outOfMemory || got == input || !got.has_value();
    EXPECT_TRUE(whole) << cadxform::e2e::Printable(got.value_or(""), 200);
    if (r.Stderr.find("out of memory while reading") != std::string::npos) ++whileReading;
  }
  EXPECT_TRUE(complete) << "the tool never completed";
  EXPECT_GT(whileReading, 0) << "no limit made memory run out while reading";
#endif
}

#ifndef _WIN32
namespace {

// True when another process holds the file at path as a run holds its
// temporary file (an exclusive lock on one byte far beyond its content).
bool HeldByARun(const fs::path& path) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  struct flock lock {};
  lock.l_type = F_RDLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = off_t{1} << 40;
  lock.l_len = 1;
  const bool held = fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
  close(fd);
  return held;
}

// True when this machine lets the test start a program in a new process-id
// namespace (root, and a kernel and container that allow it).
bool PidNamespacesWork(const fs::path& scratch) {
  fs::create_directories(scratch);
  const auto r = cadxform::e2e::RunProcess("/usr/bin/unshare", {"--pid", "--fork", "--mount-proc", "true"},
                                           scratch.string(), scratch.string());
  return r.Started && r.ExitCode == 0;
}

}  // namespace
#endif

// Two runs on one folder whose process ids cannot see each other (another
// machine on a network folder, a container): the second run's sweep must
// take the first run's temporary file for a live one, since that run holds
// it, and both runs end with the complete output in place.
TEST(Faults, SweepLeavesALiveRunsTemporaryFile) {
#ifdef _WIN32
  GTEST_SKIP() << "process-id namespaces are Linux only";
#else
  const std::string input = LargeDrawing(FAULTS_ASAN ? 4u << 20 : 16u << 20);
  cadxform::e2e::TToolSandbox ref(TestArgs.at(0), "sweep_reference");
  if (!PidNamespacesWork(ref.ToolDir().parent_path() / "probe")) GTEST_SKIP() << "no process-id namespaces here";
  ref.PutExchange(input);
  ASSERT_EQ(ref.Run(kMoveArgs).ExitCode, 0);
  const std::string output = ref.GetExchange().value_or("");
  ASSERT_EQ(output.rfind("hd\r\n", 0), 0u);

  cadxform::e2e::TToolSandbox box(TestArgs.at(0), "sweep");
  box.PutExchange(input);
  cadxform::e2e::TChild first = box.Start(kMoveArgs);
  ASSERT_TRUE(first.Started());
  // Paused once its temporary file is held (between its creation and its
  // lock a sweep may take it, and the run then makes another).
  auto held = [&] {
    const auto names = box.StrayEntries();
    return names.size() == 1 && HeldByARun(box.ToolDir() / names.front());
  };
  while (first.Running() && !held()) std::this_thread::sleep_for(std::chrono::microseconds(50));
  ASSERT_TRUE(first.Pause()) << "the first run ended before its temporary file was seen";
  const auto temporary = box.StrayEntries();
  ASSERT_EQ(temporary.size(), 1u);

  // The second run, in a process-id namespace of its own, sees no process
  // of the first run's id.
  const fs::path exe = box.ToolDir() / fs::path(TestArgs.at(0)).filename();
  const fs::path scratch = box.ToolDir().parent_path() / "second";
  fs::create_directories(scratch);
  std::vector<std::string> args = {"--pid", "--fork", "--mount-proc", exe.string()};
  args.insert(args.end(), kMoveArgs.begin(), kMoveArgs.end());
  const auto second = cadxform::e2e::RunProcess("/usr/bin/unshare", args, scratch.string(), scratch.string());
  EXPECT_EQ(second.ExitCode, 0) << second.Stderr;
  EXPECT_EQ(box.StrayEntries(), temporary) << "the live run's temporary file was taken";

  first.Resume();
  const auto r = first.Wait();
  EXPECT_EQ(r.ExitCode, 0) << r.Stderr;
  const auto got = box.GetExchange();
  ASSERT_TRUE(got.has_value()) << "the exchange file is gone";
  EXPECT_TRUE(*got == output) << got->size() << " bytes, not the output (" << output.size() << ")";
  EXPECT_TRUE(box.StrayEntries().empty()) << box.StrayEntries().front();
#endif
}
