// System calls that fail on purpose: a test replaces one entry of the
// platform's table of system calls (platform/system_calls.h) so that its
// first calls fail as listed, and runs the real file code above it.
//
// Example (the first flush of the run fails with an I/O error):
//   TFailingCalls failing(fcFlush, {fIoError});
//   ... run ...   // the table is the system's own again after the scope
#pragma once

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <utility>
#include <vector>

#include "platform/system_calls.h"

namespace cadxform::test {

// What one call does.
enum TFault {
  fNone,         // what the system does
  fShort,        // reads or writes only the first half (at least a byte)
  fInterrupted,  // a signal interrupts it (EINTR; POSIX only)
  fDiskFull,     // fails: no space left on the device
  fIoError,      // fails: an I/O error of the device
};

// The entry replaced.
enum TFailingCall { fcOpen, fcRead, fcWrite, fcFlush, fcClose, fcRename };

namespace failing_detail {

// The faults of the calls from the first on; the calls after them are the
// system's own. The replaced entries are plain functions (a table entry
// cannot capture), so they read this one plan: the only mutable global
// state of the tests' calls, set by TFailingCalls while no run goes on.
struct TPlan {
  std::vector<TFault> Faults;
  std::atomic<size_t> Calls{0};
};
inline TPlan Plan;

inline TFault Next() {
  const size_t n = Plan.Calls++;
  return n < Plan.Faults.size() ? Plan.Faults[n] : fNone;
}

#ifdef _WIN32
// Sets the last error of a failing fault; true when the call is to fail.
inline bool Fails(TFault f) {
  if (f != fDiskFull && f != fIoError) return false;
  SetLastError(f == fDiskFull ? ERROR_DISK_FULL : ERROR_WRITE_FAULT);
  return true;
}
inline DWORD Part(TFault f, DWORD n) { return f == fShort && n > 1 ? n / 2 : n; }

inline HANDLE WINAPI Open(LPCWSTR p, DWORD a, DWORD s, LPSECURITY_ATTRIBUTES sa, DWORD d, DWORD fl, HANDLE t) {
  return Fails(Next()) ? INVALID_HANDLE_VALUE : platform::kSystemCalls.CreateFileW(p, a, s, sa, d, fl, t);
}
inline BOOL WINAPI Read(HANDLE h, LPVOID data, DWORD n, LPDWORD got, LPOVERLAPPED o) {
  const TFault f = Next();
  return Fails(f) ? FALSE : platform::kSystemCalls.ReadFile(h, data, Part(f, n), got, o);
}
inline BOOL WINAPI Write(HANDLE h, LPCVOID data, DWORD n, LPDWORD wrote, LPOVERLAPPED o) {
  const TFault f = Next();
  return Fails(f) ? FALSE : platform::kSystemCalls.WriteFile(h, data, Part(f, n), wrote, o);
}
inline BOOL WINAPI Flush(HANDLE h) { return Fails(Next()) ? FALSE : platform::kSystemCalls.FlushFileBuffers(h); }
// The handle is closed either way.
inline BOOL WINAPI Close(HANDLE h) {
  const TFault f = Next();
  const BOOL closed = platform::kSystemCalls.CloseHandle(h);
  return Fails(f) ? FALSE : closed;
}
inline BOOL WINAPI Rename(LPCWSTR from, LPCWSTR to, DWORD flags) {
  return Fails(Next()) ? FALSE : platform::kSystemCalls.MoveFileExW(from, to, flags);
}

inline void Replace(platform::TSystemCalls& t, TFailingCall c) {
  switch (c) {
    case fcOpen: t.CreateFileW = Open; break;
    case fcRead: t.ReadFile = Read; break;
    case fcWrite: t.WriteFile = Write; break;
    case fcFlush: t.FlushFileBuffers = Flush; break;
    case fcClose: t.CloseHandle = Close; break;
    case fcRename: t.MoveFileExW = Rename; break;
  }
}
#else
// Sets errno of a failing fault; true when the call is to fail.
inline bool Fails(TFault f) {
  switch (f) {
    case fInterrupted: errno = EINTR; return true;
    case fDiskFull: errno = ENOSPC; return true;
    case fIoError: errno = EIO; return true;
    default: return false;
  }
}
inline size_t Part(TFault f, size_t n) { return f == fShort && n > 1 ? n / 2 : n; }

inline int Open(const char* path, int flags, mode_t mode) {
  return Fails(Next()) ? -1 : platform::kSystemCalls.open(path, flags, mode);
}
inline ssize_t Read(int fd, void* data, size_t n) {
  const TFault f = Next();
  return Fails(f) ? -1 : platform::kSystemCalls.read(fd, data, Part(f, n));
}
inline ssize_t Write(int fd, const void* data, size_t n) {
  const TFault f = Next();
  return Fails(f) ? -1 : platform::kSystemCalls.write(fd, data, Part(f, n));
}
inline int Flush(int fd) { return Fails(Next()) ? -1 : platform::kSystemCalls.fsync(fd); }
// The descriptor is closed either way, as Linux does.
inline int Close(int fd) {
  const TFault f = Next();
  const int closed = platform::kSystemCalls.close(fd);
  return Fails(f) ? -1 : closed;
}
inline int Rename(const char* from, const char* to) {
  return Fails(Next()) ? -1 : platform::kSystemCalls.rename(from, to);
}

inline void Replace(platform::TSystemCalls& t, TFailingCall c) {
  switch (c) {
    case fcOpen: t.open = Open; break;
    case fcRead: t.read = Read; break;
    case fcWrite: t.write = Write; break;
    case fcFlush: t.fsync = Flush; break;
    case fcClose: t.close = Close; break;
    case fcRename: t.rename = Rename; break;
  }
}
#endif

}  // namespace failing_detail

// Replaces the entry `call` for the life of this object: its calls from the
// first on do what `faults` lists, the later ones what the system does.
class TFailingCalls {
 public:
  TFailingCalls(TFailingCall call, std::vector<TFault> faults) {
    failing_detail::Plan.Faults = std::move(faults);
    failing_detail::Plan.Calls = 0;
    failing_detail::Replace(platform::SystemCalls(), call);
  }

 private:
  platform::TSystemCallsOverride restore_;
};

// False where the fault cannot happen: no call is interrupted on Windows.
inline bool FaultExists(const std::vector<TFault>& faults) {
#ifdef _WIN32
  for (const TFault f : faults) {
    if (f == fInterrupted) return false;
  }
#else
  (void)faults;
#endif
  return true;
}

}  // namespace cadxform::test
