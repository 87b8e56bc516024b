#include "app/run.h"

#include "app/cmdline.h"
#include "exchange/file_writer.h"
#include "exchange/reader.h"
#include "exchange/store.h"

namespace rek {

int RunTool(const std::vector<std::string>& args, const std::string& exeDir) {
  InitStore();
  const std::string path = exeDir + kExchangeFileName;
  ReadExchangeFile(path);
  ResetAttrState();
  DispatchCommandLine(args);
  WriteExchangeFile(path);
  FreeStore();
  return 0;
}

}  // namespace rek
