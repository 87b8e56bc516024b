// The read-only mark of a file: one #ifdef per platform.
#include "platform/read_only.h"

#ifdef _WIN32
#include <windows.h>

#include <new>
#include <string>

#include "platform/long_path.h"
#else
#include <sys/stat.h>
#endif

namespace cadxform::platform {

#ifdef _WIN32

namespace {

// The file at p opened for its attributes alone, the target of a link
// (so no other program's sharing stands in the way); INVALID_HANDLE_VALUE
// when there is none.
HANDLE OpenForAttributes(const wchar_t* p) {
  return CreateFileW(p, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

}  // namespace

bool IsMarkedReadOnly(const TPath& path) {
  HANDLE file = INVALID_HANDLE_VALUE;
  try {
    const std::wstring& native = path.native();
    file = OpenForAttributes(native.size() < kLongPathFrom ? native.c_str() : LongPathForm(native).c_str());
  } catch (const std::bad_alloc&) {
    return false;
  }
  if (file == INVALID_HANDLE_VALUE) return false;
  BY_HANDLE_FILE_INFORMATION info;
  const bool marked = GetFileType(file) == FILE_TYPE_DISK && GetFileInformationByHandle(file, &info) &&
                      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) ==
                          FILE_ATTRIBUTE_READONLY;
  CloseHandle(file);
  return marked;
}

#else

bool IsMarkedReadOnly(const TPath& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && (st.st_mode & 0222) == 0;
}

#endif

}  // namespace cadxform::platform
