#include "files/overwrite_message.h"

#include "platform/file_system.h"
#include "platform/read_only.h"

namespace cadxform {

using namespace cadxform::platform;

bool OverwriteWithFailureMessage(const TPath& path) {
  // Root could write into a read-only file; nobody does here.
  if (IsMarkedReadOnly(path)) return false;
  const TFileHandle file = OpenForOverwrite(path);
  if (file == kNoFile) return false;
  bool ok = TruncateFile(file) && WriteToFile(file, "h#", 2) &&
            WriteToFile(file, kWriteFailedMessage.data(), kWriteFailedMessage.size()) &&
            WriteToFile(file, "\r\n", 2) && FlushFileToDisk(file);
  ok = CloseFile(file) && ok;
  return ok;
}

}  // namespace cadxform
