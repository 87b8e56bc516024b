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

// Code page 932 whatever the machine's ANSI code page: the arguments then
// read alike on every Windows and as on Linux. GetCommandLineA would give
// them in the ANSI code page, whose best-fit mapping turns, under 1252,
// full-width digits into ASCII digits and a minus sign (U+2212) into '-',
// so that "０１" would read as 1 there and as 0 elsewhere. A character that
// code page 932 lacks becomes '?', never a look-alike. Should the
// conversion fail (no code page 932 on the machine), the ANSI command line
// is taken as before.
std::optional<std::string> RawCommandLine() {
  constexpr UINT kCodePage = 932;
  const wchar_t* wide = GetCommandLineW();
  const int size = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 0) return std::string(GetCommandLineA());
  std::string line(static_cast<size_t>(size), '\0');
  if (WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide, -1, line.data(), size, nullptr, nullptr) != size) {
    return std::string(GetCommandLineA());
  }
  line.pop_back();  // the terminating NUL
  return line;
}

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
