// Windows: another process (a virus scanner, the search indexer, a cloud-sync
// client) holds the exchange file open for a moment, sharing reading and
// writing but not deletion, so that replacing or deleting it fails while it
// is open; or an editor or viewer keeps it open sharing only reading. The
// helper hold_file_open plays that process.
#include <gtest/gtest.h>

#ifdef _WIN32

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

#include "e2e/run_process.h"
#include "e2e_platform/platform_args.h"

namespace fs = std::filesystem;

namespace {

const std::vector<std::string> kMoveArgs = {"1", "1", "110", "220"};

// Where the helper says that it holds the file.
fs::path ReadyMarker(const cadxform::e2e::TToolSandbox& box) { return box.ToolDir().parent_path() / "lock_ready"; }

// The helper holding the sandbox's exchange file for `ms` once started (its
// own output goes to a folder apart from the tool's), sharing reading and
// writing, or as `sharing` says ("exclusive": nothing, "read": reading).
cadxform::e2e::TChild StartHolder(const cadxform::e2e::TToolSandbox& box, int ms, const std::string& sharing) {
  const fs::path scratch = box.ToolDir().parent_path() / "holder";
  fs::create_directories(scratch);
  std::vector<std::string> args = {box.ExchangePath().string(), ReadyMarker(box).string(), std::to_string(ms)};
  if (!sharing.empty()) args.push_back(sharing);
  return cadxform::e2e::TChild(cadxform::e2e::LockHelperExe(), args, scratch.string(), scratch.string());
}

// Waits until the helper holds the file.
void WaitUntilHeld(cadxform::e2e::TChild& holder, const cadxform::e2e::TToolSandbox& box) {
  ASSERT_TRUE(holder.Started());
  for (int i = 0; i < 2000 && holder.Running() && !fs::exists(ReadyMarker(box)); ++i) Sleep(5);
  ASSERT_TRUE(fs::exists(ReadyMarker(box))) << "the helper did not open the file";
}

std::string GoldenFile(const char* name) {
  return cadxform::e2e::ReadFileBytes(fs::path(cadxform::e2e::GoldenDir()) / "overview_road" / name);
}

// Puts the golden input in place, has the helper hold it for `ms`, runs the
// tool meanwhile and says how long it took (for the record, not checked).
// heldToTheEnd tells whether the helper still held the file when the tool
// ended.
cadxform::e2e::TProcessResult RunWhileHeld(const cadxform::e2e::TToolSandbox& box, int ms, bool& heldToTheEnd,
                                           const std::string& sharing = "") {
  box.PutExchange(GoldenFile("input.txt"));
  cadxform::e2e::TChild holder = StartHolder(box, ms, sharing);
  WaitUntilHeld(holder, box);
  const auto start = std::chrono::steady_clock::now();
  auto r = box.Run(kMoveArgs);
  const auto took =
      std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
  heldToTheEnd = holder.Running();
  std::printf("[ timing ] file held for %d ms: the tool ran %lld ms\n", ms, static_cast<long long>(took));
  EXPECT_EQ(holder.Wait().ExitCode, 0) << "the helper failed";
  return r;
}

}  // namespace

// A file held for a moment, as scanners do right after the host wrote it,
// is waited for: the replace (held without delete sharing) and the read
// (held sharing nothing) are retried, so the run succeeds instead of
// leaving the host's input in place or reporting a failed read.
TEST(Locks, BriefLockIsWaitedFor) {
  const struct {
    const char* name;
    int ms;
    const char* sharing;
  } cases[] = {{"held without delete sharing", 300, ""}, {"held sharing nothing", 1000, "exclusive"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cadxform::e2e::TToolSandbox box(cadxform::e2e::ToolExe(), "lock_brief");
    bool held = false;
    const auto r = RunWhileHeld(box, c.ms, held, c.sharing);

    EXPECT_EQ(r.ExitCode, 0);
    EXPECT_EQ(r.Stderr, "");
    EXPECT_EQ(box.GetExchange(), GoldenFile("expected.txt"));
    EXPECT_TRUE(box.StrayEntries().empty()) << box.StrayEntries().front();
  }
}

// Held for longer than every retry: neither the replace nor the delete
// works. A holder that shares writing lets the file be overwritten in place
// with a message line, never left holding the input; one that shares only
// reading (an editor or viewer keeping it open) lets nothing in: the file
// keeps the host's input, and the one line on standard error is all that
// tells.
TEST(Locks, LongLockLeavesAMessageOrTheInput) {
  // "h#" + "変換結果を書き込めませんでした" in code page 932.
  const std::string message =
      "h#\x95\xCF\x8A\xB7\x8C\x8B\x89\xCA\x82\xF0\x8F\x91\x82\xAB\x8D\x9E\x82\xDF"
      "\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD\r\n";
  const struct {
    const char* name;
    int ms;
    const char* sharing;
    std::string expected;
  } cases[] = {{"sharing reading and writing", 5500, "", message},
               {"sharing only reading", 4000, "read", GoldenFile("input.txt")}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    cadxform::e2e::TToolSandbox box(cadxform::e2e::ToolExe(), "lock_long");
    bool held = false;
    const auto r = RunWhileHeld(box, c.ms, held, c.sharing);

    ASSERT_TRUE(held) << "the lock ended before the tool gave up; the test proves nothing";
    EXPECT_EQ(r.ExitCode, 1);
    EXPECT_NE(r.Stderr.find("cannot write the exchange file"), std::string::npos) << r.Stderr;
    EXPECT_EQ(box.GetExchange(), c.expected);
    EXPECT_TRUE(box.StrayEntries().empty()) << box.StrayEntries().front();
  }
}

#endif  // _WIN32
