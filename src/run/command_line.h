// The arguments of an external transformation as the program gets them.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace cadxform {

// Splits a raw command line as the tool's own rule says: runs of characters
// whose code is 32 or less separate arguments; double quotes group
// characters (blanks included) into one argument and are dropped. The first
// element is the program name. Used on Windows, where the C runtime's argv
// rules treat backslashes before quotes differently.
//   R"(tool.exe 1 "2" " 1" a"b c"d)" -> {"tool.exe", "1", "2", " 1", "ab cd"}
std::vector<std::string> SplitCommandLine(std::string_view raw);

// The command-line arguments after the program name. Windows: split from
// the raw command line by the tool's own rule (SplitCommandLine), not by
// the C runtime's. Elsewhere: argv[1..argc-1].
std::vector<std::string> CommandLineArgs(int argc, char** argv);

}  // namespace cadxform
