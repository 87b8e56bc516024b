// File-system calls on Windows, through the wide ("W") functions: a path
// keeps every character whatever the ANSI code page of the machine.
#ifdef _WIN32

#include <windows.h>

#include <algorithm>
#include <new>
#include <string_view>

#include "platform/file_system.h"
#include "platform/long_path.h"

namespace cadxform::platform {

namespace {

HANDLE ToHandle(TFileHandle file) { return reinterpret_cast<HANDLE>(file); }

TFileHandle FromHandle(HANDLE h) {
  return h == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<TFileHandle>(h);
}

// Calls call(const wchar_t*) with path as the system should get it: the
// "\\?\" form for a long path, the path itself otherwise (also when memory
// for the long form runs out: the call then fails on its own).
template <class F>
auto WithSystemPath(const TPath& path, F&& call) {
  const std::wstring& native = path.native();
  if (native.size() < kLongPathFrom) return call(native.c_str());
  std::wstring longForm;
  try {
    longForm = LongPathForm(native);
  } catch (const std::bad_alloc&) {
    return call(native.c_str());
  }
  return call(longForm.c_str());
}

// True when the last error may come from another process holding the file
// at path open for a moment. "Access denied" is also what a read-only file
// or a folder gives for good; those are not worth waiting for.
bool HeldByAnother(DWORD error, const wchar_t* path) {
  if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return true;
  if (error != ERROR_ACCESS_DENIED) return false;
  const DWORD attributes = GetFileAttributesW(path);
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) == 0;
}

// Runs attempt() until it succeeds; while it fails because another process
// holds `held` open, tries again after 10, 20, 40 ... ms (at most 250 ms
// apart) until kLockRetryMilliseconds have passed. False when it never
// succeeded.
template <class F>
bool RetryWhileHeld(const wchar_t* held, F&& attempt) {
  const ULONGLONG start = GetTickCount64();
  DWORD pause = 10;
  for (;;) {
    if (attempt()) return true;
    const DWORD error = GetLastError();
    const ULONGLONG waited = GetTickCount64() - start;
    if (waited >= kLockRetryMilliseconds || !HeldByAnother(error, held)) return false;
    Sleep(static_cast<DWORD>(std::min<ULONGLONG>(pause, kLockRetryMilliseconds - waited)));
    pause = std::min<DWORD>(pause * 2, 250);
  }
}

// CreateFileW with the usual arguments for a plain file; `flags` adds to
// its attributes.
TFileHandle OpenFile(const TPath& path, DWORD access, DWORD share, DWORD disposition, DWORD flags = 0) {
  return FromHandle(WithSystemPath(path, [&](const wchar_t* p) {
    return CreateFileW(p, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL | flags, nullptr);
  }));
}

// Keeps the open file only when it is a file on disk (no pipe, console or
// other device) of which accept(BY_HANDLE_FILE_INFORMATION) approves;
// closes it and gives kNoFile otherwise.
template <class F>
TFileHandle KeepDiskFile(TFileHandle file, F&& accept) {
  if (file == kNoFile) return kNoFile;
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(ToHandle(file)) == FILE_TYPE_DISK && GetFileInformationByHandle(ToHandle(file), &info) &&
      (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && accept(info)) {
    return file;
  }
  CloseHandle(ToHandle(file));
  return kNoFile;
}

}  // namespace

TFileHandle CreateNewFile(const TPath& path) { return OpenFile(path, GENERIC_WRITE, 0, CREATE_NEW); }

TFileHandle OpenForReading(const TPath& path) {
  return KeepDiskFile(OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING),
                      [](const BY_HANDLE_FILE_INFORMATION&) { return true; });
}

TFileHandle OpenForOverwrite(const TPath& path) {
  // A symbolic link or junction opens as itself, and shows as a reparse point.
  const TFileHandle file = OpenFile(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
  return KeepDiskFile(file, [](const BY_HANDLE_FILE_INFORMATION& info) {
    return (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 && info.nNumberOfLinks == 1;
  });
}

bool StampOfFile(TFileHandle file, TFileStamp& stamp) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(ToHandle(file), &info)) return false;
  stamp.Size = (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
  stamp.WriteTime = static_cast<int64_t>((uint64_t{info.ftLastWriteTime.dwHighDateTime} << 32) |
                                         info.ftLastWriteTime.dwLowDateTime);
  return true;
}

bool FilePosition(TFileHandle file, uint64_t& position) {
  LARGE_INTEGER zero{}, at{};
  const bool ok = SetFilePointerEx(ToHandle(file), zero, &at, FILE_CURRENT) != 0;
  position = ok ? static_cast<uint64_t>(at.QuadPart) : 0;
  return ok;
}

void CopyAccessOf(const TPath& from, TFileHandle file) {
  constexpr DWORD kKept =
      FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
  const DWORD attributes = WithSystemPath(from, [](const wchar_t* p) { return GetFileAttributesW(p); });
  if (attributes == INVALID_FILE_ATTRIBUTES ||
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) != 0 ||
      (attributes & kKept) == 0) {
    return;
  }
  // Read-only is not passed on: such a file could not replace the exchange
  // file, nor be deleted should that fail. Zero times leave the times alone.
  FILE_BASIC_INFO basic{};
  basic.FileAttributes = attributes & kKept;
  SetFileInformationByHandle(ToHandle(file), FileBasicInfo, &basic, sizeof basic);
}

bool ReadFromFile(TFileHandle file, char* data, size_t size, size_t& got) {
  // ReadFile takes a 32-bit count.
  const DWORD step = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
  DWORD n = 0;
  const bool ok = ReadFile(ToHandle(file), data, step, &n, nullptr) != 0;
  got = ok ? n : 0;
  return ok;
}

bool WriteToFile(TFileHandle file, const char* data, size_t size) {
  while (size > 0) {
    // WriteFile takes a 32-bit count.
    const DWORD step = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(ToHandle(file), data, step, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

bool TruncateFile(TFileHandle file) {
  LARGE_INTEGER zero{};
  return SetFilePointerEx(ToHandle(file), zero, nullptr, FILE_BEGIN) != 0 &&
         SetEndOfFile(ToHandle(file)) != 0;
}

bool FlushFileToDisk(TFileHandle file) { return FlushFileBuffers(ToHandle(file)) != 0; }

bool CloseFile(TFileHandle file) { return CloseHandle(ToHandle(file)) != 0; }

bool MoveFileOver(const TPath& from, const TPath& to) {
  return WithSystemPath(from, [&](const wchar_t* f) {
    return WithSystemPath(to, [&](const wchar_t* t) {
      return RetryWhileHeld(t, [&] {
        return MoveFileExW(f, t, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
      });
    });
  });
}

bool DeleteFileAt(const TPath& path) {
  return WithSystemPath(path, [](const wchar_t* p) {
    return RetryWhileHeld(p, [&] { return DeleteFileW(p) != 0; });
  });
}

bool PathExists(const TPath& path) {
  return WithSystemPath(path, [](const wchar_t* p) { return GetFileAttributesW(p) != INVALID_FILE_ATTRIBUTES; });
}

uint32_t CurrentProcessId() { return static_cast<uint32_t>(GetCurrentProcessId()); }

bool ProcessHasEnded(uint32_t id) {
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
  if (process == nullptr) return GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
  // A process that has ended but is still held open by another keeps its id.
  DWORD code = 0;
  const bool ended = GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
  CloseHandle(process);
  return ended;
}

std::vector<TPath> NamesStartingWith(const TPath& dir, const TPath& prefix) {
  std::vector<TPath> names;
  const TPath pattern = dir / L"*";
  WIN32_FIND_DATAW found;
  const HANDLE search = WithSystemPath(pattern, [&](const wchar_t* p) {
    return FindFirstFileExW(p, FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
  });
  if (search == INVALID_HANDLE_VALUE) return names;
  const std::wstring& start = prefix.native();
  try {
    do {
      if (std::wstring_view(found.cFileName).substr(0, start.size()) == start) names.emplace_back(found.cFileName);
    } while (FindNextFileW(search, &found));
  } catch (...) {
    FindClose(search);
    throw;
  }
  FindClose(search);
  return names;
}

}  // namespace cadxform::platform

#endif  // _WIN32
