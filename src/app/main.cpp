// cadxform: external transformation for the host CAD program.
//
// The host writes ZPH_TEMP.TXT beside this executable and starts it with up
// to six numeric arguments; the tool moves (or rotates, scales and moves)
// the entities in that file and rewrites it.
#include <cstdio>

#include "cadxform/platform.h"
#include "app/cmdline.h"
#include "app/run.h"
#include "cadxform/fp_setup.h"

int main(int argc, char** argv) {
  cadxform::EnsureExtendedPrecision();
  const cadxform::platform::TPath exePath = cadxform::platform::ExecutablePath();
  if (exePath.empty()) {
    // Without its own folder the tool cannot find the host's file; reading
    // or writing one in the working directory instead would be wrong.
    std::fprintf(stderr, "cadxform: cannot find the folder of the executable\n");
    return 1;
  }
  const cadxform::platform::TPath exeDir = cadxform::platform::ExeDirOf(exePath);
  return cadxform::RunTool(cadxform::CommandLineArgs(argc, argv), exeDir, stderr,
                           cadxform::platform::EscapeKeyDown);
}
