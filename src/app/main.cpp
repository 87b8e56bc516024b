// cadxform: external transformation for the host CAD program.
//
// The host writes ZPH_TEMP.TXT beside this executable and starts it with up
// to six numeric arguments; the tool moves (or rotates, scales and moves)
// the entities in that file and rewrites it.
#include <cstdio>

#include "platform/platform.h"
#include "app/cmdline.h"
#include "app/run.h"
#include "exchange/emit.h"
#include "numeric/myfunc.h"

int main(int argc, char** argv) {
  myfunc::EnsureExtendedPrecision();
  rek::SetEscapeKeySource(cadxform::platform::EscapeKeyDown);
  const cadxform::platform::TPath exePath = cadxform::platform::ExecutablePath();
  if (exePath.empty()) {
    // Without its own folder the tool cannot find the host's file; reading
    // or writing one in the working directory instead would be wrong.
    std::fprintf(stderr, "cadxform: cannot find the folder of the executable\n");
    return 1;
  }
  const cadxform::platform::TPath exeDir = cadxform::platform::ExeDirOf(exePath);
  return rek::RunTool(rek::CommandLineArgs(argc, argv), exeDir, stderr);
}
