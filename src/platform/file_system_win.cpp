// File-system calls on Windows, through the wide ("W") functions: a path
// keeps every character whatever the ANSI code page of the machine.
#ifdef _WIN32

#include <windows.h>

#include <algorithm>
#include <new>
#include <string_view>

#include "platform/file_system.h"
#include "platform/long_path.h"
#include "platform/system_calls.h"

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

// True when the error says that another process holds the file open in a
// way that refuses this access: it may let go in a moment.
bool SharingRefused(DWORD error) { return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION; }

// True when the last error may come from another process holding the file
// at path open for a moment. "Access denied" is also what a read-only file
// or a folder gives for good; those are not worth waiting for.
bool HeldByAnother(DWORD error, const wchar_t* path) {
  if (SharingRefused(error)) return true;
  if (error != ERROR_ACCESS_DENIED) return false;
  const DWORD attributes = GetFileAttributesW(path);
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) == 0;
}

// Runs attempt() until it succeeds; while it fails with an error of which
// worthWaiting(error) approves, tries again after 10, 20, 40 ... ms (at most
// 250 ms apart) until kLockRetryMilliseconds have passed. False when it
// never succeeded.
template <class F, class W>
bool RetryWhile(W&& worthWaiting, F&& attempt) {
  const ULONGLONG start = GetTickCount64();
  DWORD pause = 10;
  for (;;) {
    if (attempt()) return true;
    const DWORD error = GetLastError();
    const ULONGLONG waited = GetTickCount64() - start;
    if (waited >= kLockRetryMilliseconds || !worthWaiting(error)) return false;
    Sleep(static_cast<DWORD>(std::min<ULONGLONG>(pause, kLockRetryMilliseconds - waited)));
    pause = std::min<DWORD>(pause * 2, 250);
  }
}

// RetryWhile another process holds the file at `held` open.
template <class F>
bool RetryWhileHeld(const wchar_t* held, F&& attempt) {
  return RetryWhile([held](DWORD error) { return HeldByAnother(error, held); }, attempt);
}

// The byte that a run holding its temporary file locks: far beyond any
// content, so the lock never stands in the way of reading or writing it
// (a Windows lock bars others from the bytes it covers). The POSIX build
// locks the same byte, so that under Wine the two see each other's locks.
constexpr DWORD kHeldByteHigh = 1u << 8;  // offset 1 << 40

// Takes the exclusive lock on the held byte without waiting; false when
// another open file holds it, or on error.
bool LockHeldByte(HANDLE file) {
  OVERLAPPED at{};
  at.OffsetHigh = kHeldByteHigh;
  return LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) != 0;
}

// CreateFileW with the usual arguments for a plain file; `flags` adds to
// its attributes.
TFileHandle OpenFile(const TPath& path, DWORD access, DWORD share, DWORD disposition, DWORD flags = 0) {
  return FromHandle(WithSystemPath(path, [&](const wchar_t* p) {
    return SystemCalls().CreateFileW(p, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL | flags, nullptr);
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
  SystemCalls().CloseHandle(ToHandle(file));
  return kNoFile;
}

// The final path the system gives for an open file or folder, empty when
// it cannot say. May throw std::bad_alloc.
std::wstring FinalPathOf(HANDLE h) {
  constexpr DWORD kForm = FILE_NAME_NORMALIZED | VOLUME_NAME_DOS;
  const DWORD size = GetFinalPathNameByHandleW(h, nullptr, 0, kForm);
  if (size == 0) return std::wstring();
  std::wstring path(size, L'\0');
  const DWORD n = GetFinalPathNameByHandleW(h, path.data(), size, kForm);
  if (n == 0 || n >= size) return std::wstring();
  path.resize(n);
  return path;
}

// False when the system can tell that the open file is not the one that
// path's folder holds under path's name: the open followed a link that the
// system did not report as one (Wine reports a symbolic link to a file as
// a plain file and opens its target). True when it is, or when the system
// cannot say (then the reparse-point check alone stands, as it does on
// Windows itself).
bool OpenedUnderItsName(HANDLE file, const TPath& path) {
  try {
    const std::wstring opened = FinalPathOf(file);
    const TFileHandle dir = OpenFile(path.parent_path(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
    if (dir == kNoFile) return true;
    std::wstring expected = FinalPathOf(ToHandle(dir));
    SystemCalls().CloseHandle(ToHandle(dir));
    if (opened.empty() || expected.empty()) return true;
    if (expected.back() != L'\\') expected += L'\\';
    expected += path.filename().native();
    return CompareStringOrdinal(opened.c_str(), static_cast<int>(opened.size()), expected.c_str(),
                                static_cast<int>(expected.size()), TRUE) == CSTR_EQUAL;
  } catch (const std::bad_alloc&) {
    return true;
  }
}

}  // namespace

TFileHandle CreateNewFile(const TPath& path) { return OpenFile(path, GENERIC_WRITE, 0, CREATE_NEW); }

TFileHandle CreateHeldFile(const TPath& path) {
  // Shared with every access, so that the holder can rename it while it is
  // open and a sweep can test it; the lock is what keeps it. The lock is
  // taken before any other run can find the file alive beyond a moment.
  const TFileHandle file =
      OpenFile(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, CREATE_NEW);
  if (file == kNoFile) return kNoFile;
  // Refused: a sweep took the file first and deletes it. A file system
  // without locks keeps the file unheld (DeleteIfUnheld cannot take it
  // either). A sweep that took it before the lock has marked it deleted.
  const bool refused = !LockHeldByte(ToHandle(file)) && GetLastError() == ERROR_LOCK_VIOLATION;
  FILE_STANDARD_INFO standard{};
  const bool doomed = GetFileInformationByHandleEx(ToHandle(file), FileStandardInfo, &standard, sizeof standard) &&
                      standard.DeletePending;
  if (refused || doomed) {
    SystemCalls().CloseHandle(ToHandle(file));
    return kNoFile;
  }
  return file;
}

bool DeleteIfUnheld(const TPath& path) {
  const TFileHandle file =
      OpenFile(path, GENERIC_READ | GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
               OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
  const TFileHandle regular = KeepDiskFile(file, [](const BY_HANDLE_FILE_INFORMATION& info) {
    return (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
  });
  if (regular == kNoFile) return false;
  const HANDLE h = ToHandle(regular);
  // Deleting through this handle deletes the very file tested, whatever
  // happens to its name meanwhile.
  FILE_DISPOSITION_INFO dispose{};
  dispose.DeleteFile = TRUE;
  const bool deleted = LockHeldByte(h) && SetFileInformationByHandle(h, FileDispositionInfo, &dispose, sizeof dispose);
  SystemCalls().CloseHandle(h);
  return deleted;
}

TFileHandle OpenForReading(const TPath& path) {
  TFileHandle file = kNoFile;
  RetryWhile(SharingRefused, [&] {
    file = OpenFile(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING);
    return file != kNoFile;
  });
  return KeepDiskFile(file, [](const BY_HANDLE_FILE_INFORMATION&) { return true; });
}

TFileHandle OpenForOverwrite(const TPath& path) {
  // A symbolic link or junction opens as itself, and shows as a reparse point.
  const TFileHandle file = OpenFile(path, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT);
  const TFileHandle kept = KeepDiskFile(file, [](const BY_HANDLE_FILE_INFORMATION& info) {
    return (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 && info.nNumberOfLinks == 1;
  });
  if (kept == kNoFile || OpenedUnderItsName(ToHandle(kept), path)) return kept;
  SystemCalls().CloseHandle(ToHandle(kept));
  return kNoFile;
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
  const bool ok = SystemCalls().ReadFile(ToHandle(file), data, step, &n, nullptr) != 0;
  got = ok ? n : 0;
  return ok;
}

bool WriteToFile(TFileHandle file, const char* data, size_t size) {
  while (size > 0) {
    // WriteFile takes a 32-bit count.
    const DWORD step = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!SystemCalls().WriteFile(ToHandle(file), data, step, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

bool TruncateFile(TFileHandle file) {
  LARGE_INTEGER zero{};
  return SetFilePointerEx(ToHandle(file), zero, nullptr, FILE_BEGIN) != 0 &&
         SystemCalls().SetEndOfFile(ToHandle(file)) != 0;
}

bool FlushFileToDisk(TFileHandle file) { return SystemCalls().FlushFileBuffers(ToHandle(file)) != 0; }

bool CloseFile(TFileHandle file) { return SystemCalls().CloseHandle(ToHandle(file)) != 0; }

bool MoveFileOver(const TPath& from, const TPath& to) {
  return WithSystemPath(from, [&](const wchar_t* f) {
    return WithSystemPath(to, [&](const wchar_t* t) {
      return RetryWhileHeld(t, [&] {
        return SystemCalls().MoveFileExW(f, t, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
      });
    });
  });
}

bool DeleteFileAt(const TPath& path) {
  return WithSystemPath(path, [](const wchar_t* p) {
    return RetryWhileHeld(p, [&] { return SystemCalls().DeleteFileW(p) != 0; });
  });
}

TPathState StateOfPath(const TPath& path) {
  return WithSystemPath(path, [](const wchar_t* p) {
    if (GetFileAttributesW(p) != INVALID_FILE_ATTRIBUTES) return psPresent;
    const auto notFound = [](DWORD error) { return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND; };
    if (!notFound(GetLastError())) return psUnknown;  // a link loop, no access, an I/O error
    // A link whose target is gone reads as not found under Wine; its entry
    // in the folder still shows.
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileExW(p, FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0);
    if (search != INVALID_HANDLE_VALUE) {
      FindClose(search);
      return psPresent;
    }
    return notFound(GetLastError()) ? psMissing : psUnknown;
  });
}

void LetOversizeWritesFail() {}

uint32_t CurrentProcessId() { return static_cast<uint32_t>(GetCurrentProcessId()); }

bool ProcessHasEnded(uint32_t id) {
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(id));
  if (process == nullptr) return GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
  // A process that has ended but is still held open by another keeps its id.
  DWORD code = 0;
  const bool ended = GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
  SystemCalls().CloseHandle(process);
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
