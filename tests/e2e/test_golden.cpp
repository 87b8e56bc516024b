// End-to-end golden cases: each folder under tests/golden holds
//   args          the command-line arguments, one per line (may be empty)
//   input.txt     the exchange file the host wrote (absent: no file)
//   expected.txt  the exchange file after the run (absent: no file)
//   exit_code     the expected exit status (absent: 0, with nothing printed)
//   note          what the case covers and how its expectation was worked out
// The real executable is copied into a fresh folder (it looks for its
// exchange file beside itself) and run from another working directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "e2e/run_process.h"
#include "test_args.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

std::vector<std::string> ReadArgs(const fs::path& p) {
  std::vector<std::string> args;
  std::istringstream in(ReadAll(p));
  std::string line;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    args.push_back(line);
  }
  return args;
}

// The bytes with non-printable ones escaped, whole, so a failing case is
// readable.
std::string Escape(const std::string& s) { return cadxform::e2e::Printable(s, s.size()); }

struct TCaseRun {
  fs::path Root, ToolDir, WorkDir, Exchange;
};

TCaseRun PrepareCase(const std::string& exe, const fs::path& caseDir, int serial) {
  TCaseRun run;
  run.Root = fs::temp_directory_path() /
             ("cadxform_e2e_" + std::to_string(serial) + "_" + caseDir.filename().string());
  fs::remove_all(run.Root);
  run.ToolDir = run.Root / "tool";
  run.WorkDir = run.Root / "work";
  fs::create_directories(run.ToolDir);
  fs::create_directories(run.WorkDir);
  fs::copy_file(exe, run.ToolDir / fs::path(exe).filename());
  run.Exchange = run.ToolDir / "ZPH_TEMP.TXT";
  if (fs::exists(caseDir / "input.txt")) fs::copy_file(caseDir / "input.txt", run.Exchange);
  return run;
}

void CheckCase(const std::string& exe, const fs::path& caseDir, int serial) {
  SCOPED_TRACE("case " + caseDir.filename().string());
  const TCaseRun run = PrepareCase(exe, caseDir, serial);
  const auto args = fs::exists(caseDir / "args") ? ReadArgs(caseDir / "args") : std::vector<std::string>{};
  const auto result = cadxform::e2e::RunProcess((run.ToolDir / fs::path(exe).filename()).string(), args,
                                      run.WorkDir.string(), run.Root.string());
  ASSERT_TRUE(result.Started);
  const int wantExit = fs::exists(caseDir / "exit_code") ? std::stoi(ReadAll(caseDir / "exit_code")) : 0;
  EXPECT_EQ(result.ExitCode, wantExit);
  if (wantExit == 0) {
    EXPECT_EQ(result.Stdout, "");
    EXPECT_EQ(result.Stderr, "");
  }
  if (fs::exists(caseDir / "expected.txt")) {
    ASSERT_TRUE(fs::exists(run.Exchange)) << "no exchange file after the run";
    const std::string got = ReadAll(run.Exchange);
    const std::string want = ReadAll(caseDir / "expected.txt");
    EXPECT_TRUE(got == want) << "--- expected:\n" << Escape(want) << "\n--- got:\n" << Escape(got);
  } else {
    EXPECT_FALSE(fs::exists(run.Exchange)) << "an exchange file was left";
  }
  // Nothing but the executable and the exchange file stays in its folder,
  // and nothing is written to the working directory.
  for (const auto& e : fs::directory_iterator(run.ToolDir)) {
    const auto name = e.path().filename().string();
    EXPECT_TRUE(name == "ZPH_TEMP.TXT" || name == fs::path(exe).filename().string()) << "stray file " << name;
  }
  EXPECT_TRUE(fs::is_empty(run.WorkDir)) << "files were written to the working directory";
  fs::remove_all(run.Root);
}

}  // namespace

TEST(Golden, EveryCaseGivesItsExpectedFile) {
  ASSERT_GE(TestArgs.size(), 2u) << "usage: e2e_tests <cadxform executable> <golden folder> [examples folder]";
  const std::string exe = TestArgs[0];
  std::vector<fs::path> cases;
  for (const auto& e : fs::directory_iterator(TestArgs[1]))
    if (e.is_directory()) cases.push_back(e.path());
  std::sort(cases.begin(), cases.end());
  ASSERT_FALSE(cases.empty());
  int serial = 0;
  for (const auto& c : cases) CheckCase(exe, c, ++serial);
}
