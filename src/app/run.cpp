#include "app/run.h"

#include <cstdio>

#include "app/cmdline.h"
#include "exchange/file_ops.h"
#include "exchange/file_writer.h"
#include "exchange/out_buffer.h"
#include "exchange/reader.h"
#include "exchange/store.h"

namespace rek {

namespace {

// Reads the exchange file; false only when it exists and could not be read
// whole (a missing file is no failure: the store keeps its defaults).
bool ReadInput(const std::string& path) {
  if (!PathExists(path)) return true;
  return ReadExchangeFile(path);
}

}  // namespace

int RunTool(const std::vector<std::string>& args, const std::string& exeDir, std::FILE* errors) {
  InitStore();
  const std::string path = exeDir + kExchangeFileName;
  const bool readOk = ReadInput(path);
  ResetAttrState();
  if (readOk) {
    DispatchCommandLine(args);
  } else {
    // A partial drawing must never come back as a full "hd" output: the host
    // would replace the user's entities with what was read so far.
    AddMessageLine(kReadFailedMessage);
    std::fprintf(errors, "cadxform: cannot read the exchange file %s\n", path.c_str());
  }
  const bool writeOk = WriteExchangeFile(path);
  if (!writeOk) std::fprintf(errors, "cadxform: cannot write the exchange file %s\n", path.c_str());
  FreeStore();
  return readOk && writeOk ? 0 : 1;
}

}  // namespace rek
