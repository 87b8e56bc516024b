#include "app/run.h"

#include <cstdio>
#include <new>

#include "app/cmdline.h"
#include "platform/file_system.h"
#include "exchange/file_writer.h"
#include "exchange/out_buffer.h"
#include "exchange/reader.h"
#include "exchange/store.h"

namespace rek {

using namespace cadxform::platform;

namespace {

// Reads the exchange file; false only when it exists and could not be read
// whole (a missing file is no failure: the store keeps its defaults).
bool ReadInput(const TPath& path) {
  if (!PathExists(path)) return true;
  return ReadExchangeFile(path);
}

// Writes the queued output over the exchange file; false (reported) when
// that failed.
bool WriteOutput(const TPath& path, std::FILE* errors) {
  const bool ok = WriteExchangeFile(path);
  if (!ok) PrintPathLine(errors, "cadxform: cannot write the exchange file ", path);
  return ok;
}

// Runs the transformation and writes its output; false when writing failed.
bool TransformAndWrite(const std::vector<std::string>& args, const TPath& path,
                       std::FILE* errors) {
  ResetAttrState();
  // The output goes to its temporary file while it is produced; should the
  // file not be creatable now, the output is held in memory and the write
  // below tries again.
  BeginExchangeFile(path);
  DispatchCommandLine(args);
  return WriteOutput(path, errors);
}

// Replaces whatever the store holds by an empty drawing whose output is the
// single message line "h#" + message, and writes it. The drawing read so far
// is released first, so the line fits even when memory has run out.
bool WriteMessageOnly(std::string_view message, const TPath& path, std::FILE* errors) {
  FreeStore();
  InitStore();
  try {
    AddMessageLine(message);
    return WriteOutput(path, errors);
  } catch (const std::bad_alloc&) {
    AbandonExchangeFile();
    PrintPathLine(errors, "cadxform: out of memory while writing ", path);
    return false;
  }
}

}  // namespace

int RunTool(const std::vector<std::string>& args, const TPath& exeDir, std::FILE* errors) {
  InitStore();
  const TPath path = exeDir / kExchangeFileName;
  bool ok = false;
  if (!ReadInput(path)) {
    // A partial drawing must never come back as a full "hd" output: the host
    // would replace the user's entities with what was read so far.
    PrintPathLine(errors, "cadxform: cannot read the exchange file ", path);
    WriteMessageOnly(kReadFailedMessage, path, errors);
  } else {
    try {
      ok = TransformAndWrite(args, path, errors);
    } catch (const std::bad_alloc&) {
      // The output begun is incomplete: its temporary file goes, and the
      // user is told instead.
      AbandonExchangeFile();
      PrintPathLine(errors, "cadxform: out of memory while transforming ", path);
      WriteMessageOnly(kOutOfMemoryMessage, path, errors);
    }
  }
  FreeStore();
  return ok ? 0 : 1;
}

}  // namespace rek
