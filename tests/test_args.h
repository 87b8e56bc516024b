// Command-line arguments of the test executable, after GoogleTest's flags.
#pragma once

#include <string>
#include <vector>

extern std::vector<std::string> TestArgs;
