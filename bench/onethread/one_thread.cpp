// cadxform_one_thread: the tool with every step on one thread, for
// measuring the work per line without the two-thread paths (bench/budget.sh).
// Runs exactly as cadxform does (ZPH_TEMP.TXT beside this executable, the
// same arguments, the same output bytes), with TPathPolicy::OneThread().
#include <cstdio>

#include "app/run.h"
#include "cadxform/fp_setup.h"
#include "cadxform/platform.h"
#include "parallel/path_policy.h"
#include "run/command_line.h"

int main(int argc, char** argv) {
  cadxform::EnsureExtendedPrecision();
  const cadxform::platform::TPath exePath = cadxform::platform::ExecutablePath();
  if (exePath.empty()) {
    std::fprintf(stderr, "cadxform_one_thread: cannot find the folder of the executable\n");
    return 1;
  }
  return cadxform::RunTool(cadxform::CommandLineArgs(argc, argv), cadxform::platform::ExeDirOf(exePath), stderr,
                           cadxform::TEscapeKeySource(), cadxform::TPathPolicy::OneThread());
}
