// Platform layer: one file, one #ifdef per concern.
#include "cadxform/platform.h"

#include <utility>

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace cadxform::platform {

TPath ExeDirOf(const TPath& exePath) {
  TPath dir = exePath;
  return dir.remove_filename();
}

#ifdef _WIN32

TPath ExecutablePath() {
  // The usual limit is 260 characters; grow the buffer for longer paths,
  // since GetModuleFileNameW cuts silently when the buffer is too small.
  for (DWORD size = MAX_PATH + 1; size <= 32768 * 2; size *= 2) {
    std::wstring buf(size, L'\0');
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), size);
    if (n == 0) return TPath();
    if (n < size) {
      buf.resize(n);
      return TPath(std::move(buf));
    }
  }
  return TPath();
}

std::optional<std::string> RawCommandLine() { return std::string(GetCommandLineA()); }

bool EscapeKeyDown() { return (GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0; }

#else

TPath ExecutablePath() {
  for (size_t size = 256; size <= (1u << 20); size *= 2) {
    std::string buf(size, '\0');
    const ssize_t n = readlink("/proc/self/exe", buf.data(), size);
    if (n < 0) return TPath();
    if (static_cast<size_t>(n) < size) {
      buf.resize(static_cast<size_t>(n));
      return TPath(std::move(buf));
    }
  }
  return TPath();
}

std::optional<std::string> RawCommandLine() { return std::nullopt; }

bool EscapeKeyDown() { return false; }

#endif

}  // namespace cadxform::platform
