// Arguments of e2e_platform_tests, after GoogleTest's flags:
//   <cadxform executable> <golden folder> <ANSI code page or -> [<hold_file_open.exe>]
// The code page is the one Wine must run the tests under (the environment's
// LANG chooses it); "-" on POSIX. The lock helper exists only on Windows.
#pragma once

#include <string>

#include "test_args.h"

namespace cadxform::e2e {

inline const std::string& ToolExe() { return TestArgs.at(0); }
inline const std::string& GoldenDir() { return TestArgs.at(1); }
inline const std::string& ExpectedCodePage() { return TestArgs.at(2); }
inline const std::string& LockHelperExe() { return TestArgs.at(3); }

}  // namespace cadxform::e2e
