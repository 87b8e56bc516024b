#include "cadxform/run.h"

#include <cstdio>
#include <new>
#include <string>

#include "cadxform/fp_setup.h"
#include "cadxform/parse_number.h"
#include "cadxform/platform.h"
#include "run/command_line.h"
#include "run/run_sequence.h"

namespace cadxform {

int32_t TRunContext::IntArgument(size_t i, int32_t absent) const {
  return i >= 1 && i <= args_.size() ? StrToIntOrZero(args_[i - 1]) : absent;
}

double TRunContext::RealArgument(size_t i, double absent) const {
  return i >= 1 && i <= args_.size() ? StrToFloatOrZero(args_[i - 1]) : absent;
}

int RunExternalTransform(int argc, char** argv, const TTransformFunction& apply) {
  EnsureExtendedPrecision();
  try {
    const platform::TPath exePath = platform::ExecutablePath();
    if (exePath.empty()) {
      // Without its own folder the program cannot find the host's file;
      // reading or writing one in the working directory instead would be
      // wrong.
      std::fprintf(stderr, "cadxform: cannot find the folder of the executable\n");
      return 1;
    }
    // The program names itself in its failure lines as its file is named.
    const std::u8string stem = exePath.stem().u8string();
    const std::string name(stem.begin(), stem.end());
    return RunSequence(CommandLineArgs(argc, argv), platform::ExeDirOf(exePath), name, stderr, apply,
                       platform::EscapeKeyDown);
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr, "cadxform: out of memory at start-up\n");
    return 1;
  }
}

}  // namespace cadxform
