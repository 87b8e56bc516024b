// cadxform: external transformation for the host CAD program.
//
// The host writes ZPH_TEMP.TXT beside this executable and starts it with up
// to six numeric arguments; the tool moves (or rotates, scales and moves)
// the entities in that file and rewrites it.
#include "app/platform.h"
#include "app/run.h"
#include "exchange/emit.h"
#include "numeric/myfunc.h"

int main(int argc, char** argv) {
  myfunc::EnsureExtendedPrecision();
  rek::SetEscapeKeySource(platform::EscapeKeyDown);
  const std::string exeDir = platform::ExeDirOf(platform::ExecutablePath());
  return rek::RunTool(platform::CommandLineArgs(argc, argv), exeDir);
}
