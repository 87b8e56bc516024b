#include "files/overwrite_message.h"

#include "platform/file_system.h"

namespace cadxform {

using namespace cadxform::platform;

bool OverwriteWithFailureMessage(const TPath& path) {
  const TFileHandle file = OpenForOverwrite(path);
  if (file == kNoFile) return false;
  bool ok = TruncateFile(file) && WriteToFile(file, "h#", 2) &&
            WriteToFile(file, kWriteFailedMessage.data(), kWriteFailedMessage.size()) &&
            WriteToFile(file, "\r\n", 2) && FlushFileToDisk(file);
  ok = CloseFile(file) && ok;
  return ok;
}

}  // namespace cadxform
