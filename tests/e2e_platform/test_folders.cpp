// Folders whose names lie outside the ANSI code page, seen from the test
// executable (run_in_folders.sh runs the golden cases from such folders).
// Under Wine these tests run twice, with code page 1252 and with 932.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "e2e/run_process.h"
#include "e2e_platform/platform_args.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;

// Under Wine the ANSI code page follows LANG; make sure each run of these
// tests really has the code page it is registered for.
TEST(Folders, RunUnderTheExpectedCodePage) {
#ifdef _WIN32
  EXPECT_EQ(std::to_string(GetACP()), cadxform::e2e::ExpectedCodePage());
#else
  EXPECT_EQ(cadxform::e2e::ExpectedCodePage(), "-");
#endif
}

// A failure names the folder legibly: standard error, here a file, gets the
// path in UTF-8 (on POSIX the path's own bytes, the same here).
TEST(Folders, FailureMessageNamesTheFolder) {
  const fs::path folder = u8"外部変形 テスト";
  cadxform::e2e::TToolSandbox box(cadxform::e2e::ToolExe(), "folders_message", folder);
  fs::create_directory(box.ExchangePath());  // the exchange path is a folder

  const auto r = box.Run({"1", "1", "0", "0"});

  EXPECT_EQ(r.ExitCode, 1);
  const std::u8string name = folder.u8string();
  EXPECT_NE(r.Stderr.find("cannot read the exchange file"), std::string::npos) << r.Stderr;
  const std::string separator(1, static_cast<char>(fs::path::preferred_separator));
  const std::string named = std::string(name.begin(), name.end()) + separator + "ZPH_TEMP.TXT";
  EXPECT_NE(r.Stderr.find(named), std::string::npos) << r.Stderr;
}
