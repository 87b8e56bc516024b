// The system calls that read and write the exchange file and put the output
// in its place, in one table: the file functions of this room call the
// system only through it, and a test replaces an entry to make that call
// fail the way a disk, a network volume or a signal can (a short write, a
// full disk, an interrupted or failing flush, a refused rename) and then
// runs the real code above it. Calls whose failure only refuses a file
// (status, locks, listing, access) call the system directly.
//
// Example (a test: every flush fails with EIO within the scope):
//   platform::TSystemCallsOverride scope;
//   platform::SystemCalls().fsync = [](int) { errno = EIO; return -1; };
//   ... run ...                     // the table is restored at the end
#pragma once

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/types.h>
#endif

namespace cadxform::platform {

#ifdef _WIN32
struct TSystemCalls {
  decltype(&::CreateFileW) CreateFileW;
  decltype(&::ReadFile) ReadFile;
  decltype(&::WriteFile) WriteFile;
  decltype(&::FlushFileBuffers) FlushFileBuffers;
  decltype(&::SetEndOfFile) SetEndOfFile;
  decltype(&::CloseHandle) CloseHandle;
  decltype(&::MoveFileExW) MoveFileExW;
  decltype(&::DeleteFileW) DeleteFileW;
};
#else
struct TSystemCalls {
  int (*open)(const char* path, int flags, mode_t mode);
  ssize_t (*read)(int fd, void* data, size_t size);
  ssize_t (*write)(int fd, const void* data, size_t size);
  int (*fsync)(int fd);
  int (*ftruncate)(int fd, off_t size);
  int (*close)(int fd);
  int (*rename)(const char* from, const char* to);
  int (*unlink)(const char* path);
};
#endif

// The system's own calls.
extern const TSystemCalls kSystemCalls;

// The calls in use: kSystemCalls unless a test has replaced an entry.
TSystemCalls& SystemCalls();

// Keeps the table as it is at construction and puts it back at
// destruction, so that a test's replacements end with its scope. Replace
// entries only while no other thread makes file calls.
class TSystemCallsOverride {
 public:
  TSystemCallsOverride() : saved_(SystemCalls()) {}
  ~TSystemCallsOverride() { SystemCalls() = saved_; }
  TSystemCallsOverride(const TSystemCallsOverride&) = delete;
  TSystemCallsOverride& operator=(const TSystemCallsOverride&) = delete;

 private:
  TSystemCalls saved_;
};

}  // namespace cadxform::platform
