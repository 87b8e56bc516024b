// Command line: argument parsing, the choice of transformation, the
// Windows-style splitting rule and the executable's folder.
#include <gtest/gtest.h>

#include "app/cmdline.h"
#include "run/command_line.h"
#include "cadxform/platform.h"

namespace cadxform {
namespace {

struct ParseCase {
  std::vector<std::string> args;
  bool allEntities;
  bool translation;
  double x1, y1, x2, y2;
};

TEST(CommandLine, ParsesScopeOperationAndPoints) {
  const ParseCase cases[] = {
      {{}, false, true, 0, 0, 0, 0},
      {{"1"}, true, true, 0, 0, 0, 0},
      {{"1", "2"}, true, true, 0, 0, 0, 0},
      {{"1", "1", "25.5"}, true, true, 25.5, 0, 0, 0},
      {{"0", "3", "1", "2", "3", "4"}, false, false, 1, 2, 3, 4},
      {{"1", "0"}, true, false, 0, 0, 0, 0},
      {{"1", "-1"}, true, false, 0, 0, 0, 0},
      {{"1", "1.0"}, true, false, 0, 0, 0, 0},
      {{"1", "abc"}, true, false, 0, 0, 0, 0},
      {{"01"}, true, true, 0, 0, 0, 0},
      {{"   1"}, true, true, 0, 0, 0, 0},
      {{"1 "}, false, true, 0, 0, 0, 0},
      {{"1.0"}, false, true, 0, 0, 0, 0},
      {{"2"}, false, true, 0, 0, 0, 0},
      {{"1", "1", "1,5", "-2e1"}, true, true, 0, -20, 0, 0},
      {{"1", "3", "1", "2", "3", "4", "99", "x"}, true, false, 1, 2, 3, 4},
  };
  for (const auto& c : cases) {
    std::string label;
    for (const auto& a : c.args) label += "[" + a + "]";
    SCOPED_TRACE(label);
    const TCommandLine cl = ParseCommandLine(c.args);
    EXPECT_EQ(cl.AllEntities, c.allEntities);
    EXPECT_EQ(cl.IsTranslation(), c.translation);
    EXPECT_EQ(cl.DestX1, c.x1);
    EXPECT_EQ(cl.DestY1, c.y1);
    EXPECT_EQ(cl.DestX2, c.x2);
    EXPECT_EQ(cl.DestY2, c.y2);
  }
}

TEST(CommandLine, SplitsByBlanksAndControlsWithQuotesGrouping) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"tool.exe", {"tool.exe"}},
      {"  tool.exe   1\t2 ", {"tool.exe", "1", "2"}},
      {"\"C:\\Program Files\\t.exe\" 1", {"C:\\Program Files\\t.exe", "1"}},
      {"t \" 1\" \"1 \"", {"t", " 1", "1 "}},
      {"t a\"b c\"d", {"t", "ab cd"}},
      {"t C:\\dir\\\" x", {"t", "C:\\dir\\ x"}},  // a backslash does not escape a quote
      {"t 1\x01\x1f" "2", {"t", "1", "2"}},
      {"", {}},
  };
  for (const auto& [raw, want] : cases) {
    SCOPED_TRACE(raw);
    EXPECT_EQ(SplitCommandLine(raw), want);
  }
}

TEST(CommandLine, ExeDirKeepsTheTrailingDelimiter) {
#ifdef _WIN32
  EXPECT_EQ(cadxform::platform::ExeDirOf("C:\\Tools\\cadxform.exe"), "C:\\Tools\\");
  EXPECT_EQ(cadxform::platform::ExeDirOf("C:cadxform.exe"), "C:");
  EXPECT_EQ(cadxform::platform::ExeDirOf("Z:/tmp/x/cadxform.exe"), "Z:/tmp/x/");
#else
  EXPECT_EQ(cadxform::platform::ExeDirOf("/opt/cad/cadxform"), "/opt/cad/");
  EXPECT_EQ(cadxform::platform::ExeDirOf("/opt/a:b\\c/cadxform"), "/opt/a:b\\c/");
#endif
  EXPECT_EQ(cadxform::platform::ExeDirOf("cadxform"), "");
}

TEST(CommandLine, ExecutablePathNamesThisProgram) {
  const std::string path = cadxform::platform::ExecutablePath().string();
  ASSERT_FALSE(path.empty());
  EXPECT_NE(path.find("unit_tests"), std::string::npos) << path;
}

}  // namespace
}  // namespace cadxform
