// Folders whose names lie outside the ANSI code page, seen from the test
// executable (run_in_folders.sh runs the golden cases from such folders).
// Under Wine these tests run twice, with code page 1252 and with 932; so
// does the one of arguments outside ASCII.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

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

// Arguments are read alike under every code page and on Linux: full-width
// digits and the minus sign U+2212 are no digits and no sign, so each of
// these arguments reads as 0 and the drawing stays where it is (code page
// 1252's best-fit mapping would turn them into "01", "2" and "-5").
TEST(Folders, FullWidthDigitsAndMinusSignReadAsZero) {
  const std::string fullWidth01 = "\xEF\xBC\x90\xEF\xBC\x91", fullWidth2 = "\xEF\xBC\x92";
  const std::string minus5 = "\xE2\x88\x92"
                             "5";
  const std::vector<std::string> cases[] = {{"1", "1", fullWidth01, fullWidth2},
                                            {"1", "1", fullWidth01 + " " + fullWidth2, minus5}};
  cadxform::e2e::TToolSandbox box(cadxform::e2e::ToolExe(), "folders_arguments", fs::path(u8"外部変形 テスト"));
  for (const auto& args : cases) {
    SCOPED_TRACE(args[2] + " " + args[3]);
    box.PutExchange("hp1 0 0\r\nci 0 0 1\r\n");

    const auto r = box.Run(args);

    EXPECT_EQ(r.ExitCode, 0) << r.Stderr;
    EXPECT_EQ(box.GetExchange(), "hd\r\nlg0\r\nly0\r\nlc1\r\nlt1\r\nlw0\r\nci 0 0 1\r\n");
  }
}
