// Runs a program and waits for it: the end-to-end tests start the real
// executable this way, with its own working directory.
#pragma once

#include <string>
#include <vector>

namespace e2e {

struct TProcessResult {
  bool Started = false;
  int ExitCode = -1;
  std::string Stdout;
  std::string Stderr;
};

// Runs exe with args in the folder cwd, capturing standard output and
// standard error into files in scratchDir. On Windows every argument is
// passed in double quotes (the tool's own command-line rule drops them).
TProcessResult RunProcess(const std::string& exe, const std::vector<std::string>& args,
                          const std::string& cwd, const std::string& scratchDir);

}  // namespace e2e
