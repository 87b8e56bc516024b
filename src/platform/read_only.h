// Whether the user marked a file read-only, asked the same way by both
// builds, so that the tool treats such a file alike on Linux, on Windows
// and under Wine (where the system itself would replace it anyway).
#pragma once

#include "cadxform/path.h"

namespace cadxform::platform {

// True when a regular file is at path (a link is followed) and is marked
// read-only: on Windows its FILE_ATTRIBUTE_READONLY; on POSIX no write
// permission bit for anyone ((mode & 0222) == 0, what Wine shows as that
// attribute), whoever the process is, root included. False for a folder,
// for no file, and when the system cannot tell.
bool IsMarkedReadOnly(const TPath& path);

}  // namespace cadxform::platform
