// Platform layer: one file, one #ifdef per concern.
#include "platform/platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace cadxform::platform {

std::string ExeDirOf(std::string_view exePath) {
#ifdef _WIN32
  const std::string_view delimiters = "\\/:";
#else
  const std::string_view delimiters = "/";
#endif
  const size_t at = exePath.find_last_of(delimiters);
  if (at == std::string_view::npos) return std::string();
  return std::string(exePath.substr(0, at + 1));
}

#ifdef _WIN32

std::string ExecutablePath() {
  // The usual limit is 260 characters; grow the buffer for longer paths,
  // since GetModuleFileNameA cuts silently when the buffer is too small.
  for (DWORD size = MAX_PATH + 1; size <= 32768 * 2; size *= 2) {
    std::string buf(size, '\0');
    const DWORD n = GetModuleFileNameA(nullptr, buf.data(), size);
    if (n == 0) return std::string();
    if (n < size) {
      buf.resize(n);
      return buf;
    }
  }
  return std::string();
}

std::optional<std::string> RawCommandLine() { return std::string(GetCommandLineA()); }

bool EscapeKeyDown() { return (GetAsyncKeyState(VK_ESCAPE) & 0x8000) != 0; }

#else

std::string ExecutablePath() {
  for (size_t size = 256; size <= (1u << 20); size *= 2) {
    std::string buf(size, '\0');
    const ssize_t n = readlink("/proc/self/exe", buf.data(), size);
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) < size) {
      buf.resize(static_cast<size_t>(n));
      return buf;
    }
  }
  return std::string();
}

std::optional<std::string> RawCommandLine() { return std::nullopt; }

bool EscapeKeyDown() { return false; }

#endif

}  // namespace cadxform::platform
