#include "platform/system_calls.h"

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#endif

namespace cadxform::platform {

namespace {

#ifndef _WIN32
// open() takes its mode through "...", which a table entry cannot.
int OpenWithMode(const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); }
#endif

}  // namespace

#ifdef _WIN32
const TSystemCalls kSystemCalls = {::CreateFileW,  ::ReadFile,    ::WriteFile,   ::FlushFileBuffers,
                                   ::SetEndOfFile, ::CloseHandle, ::MoveFileExW, ::DeleteFileW};
#else
const TSystemCalls kSystemCalls = {OpenWithMode, ::read,  ::write,  ::fsync,
                                   ::ftruncate,  ::close, ::rename, ::unlink};
#endif

TSystemCalls& SystemCalls() {
  // The one piece of mutable global state of the room: the table that
  // tests replace entries of (always through TSystemCallsOverride, which
  // restores it). Outside tests it stays kSystemCalls.
  static TSystemCalls calls = kSystemCalls;
  return calls;
}

}  // namespace cadxform::platform
