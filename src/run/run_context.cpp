#include "cadxform/run.h"

#include <algorithm>
#include <cstdio>
#include <new>
#include <string>
#include <string_view>

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

std::optional<int32_t> TRunContext::TryIntArgument(size_t i) const {
  if (i < 1 || i > args_.size()) return std::nullopt;
  return TryStrToInt(args_[i - 1]);
}

std::optional<double> TRunContext::TryRealArgument(size_t i) const {
  if (i < 1 || i > args_.size()) return std::nullopt;
  return TryStrToFloat(args_[i - 1]);
}

namespace {

// The program's name for its failure lines before its own path is known:
// the last part of argv[0] without its extension, or "cadxform" when the
// system gave none. Allocates nothing, so it serves when memory has run out.
std::string_view NameFromArgv(int argc, char** argv) {
  if (argc < 1 || argv == nullptr || argv[0] == nullptr || argv[0][0] == '\0') return "cadxform";
  std::string_view name(argv[0]);
  const size_t slash = name.find_last_of("/\\:");
  if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
  const size_t dot = name.rfind('.');
  if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
  return name.empty() ? "cadxform" : name;
}

void SayStartFailure(std::string_view name, const char* what) {
  std::fprintf(stderr, "%.*s: %s\n", static_cast<int>(std::min<size_t>(name.size(), 64)), name.data(), what);
}

}  // namespace

int RunExternalTransform(int argc, char** argv, const TTransformFunction& apply) {
  EnsureExtendedPrecision();
  const std::string_view name = NameFromArgv(argc, argv);
  try {
    const platform::TPath exePath = platform::ExecutablePath();
    if (exePath.empty()) {
      // Without its own folder the program cannot find the host's file;
      // reading or writing one in the working directory instead would be
      // wrong.
      SayStartFailure(name, "cannot find the folder of the executable");
      return 1;
    }
    // The program names itself in its failure lines as its file is named.
    const std::u8string stem = exePath.stem().u8string();
    const std::string ownName(stem.begin(), stem.end());
    return RunSequence(CommandLineArgs(argc, argv), platform::ExeDirOf(exePath), ownName, stderr, apply,
                       platform::EscapeKeyDown);
  } catch (const std::bad_alloc&) {
    SayStartFailure(name, "out of memory at start-up");
    return 1;
  }
}

}  // namespace cadxform
