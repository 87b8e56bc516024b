// Paths as message text, and message lines that name a path.
#include "cadxform/path.h"

#include <exception>

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#endif

namespace cadxform::platform {

std::string PathText(const TPath& path) {
#ifdef _WIN32
  const std::u8string utf8 = path.u8string();
  return std::string(utf8.begin(), utf8.end());
#else
  return path.native();
#endif
}

#ifdef _WIN32

namespace {

// The console behind stream, or nullptr when stream goes elsewhere.
HANDLE ConsoleOf(std::FILE* stream) {
  const intptr_t os = _get_osfhandle(_fileno(stream));
  if (os == -1) return nullptr;
  const HANDLE h = reinterpret_cast<HANDLE>(os);
  DWORD mode = 0;
  return GetConsoleMode(h, &mode) ? h : nullptr;
}

// UTF-8 text as UTF-16 (invalid bytes become U+FFFD).
std::wstring Utf16Of(std::string_view utf8) {
  if (utf8.empty()) return std::wstring();
  const int size = static_cast<int>(utf8.size());
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), n);
  return wide;
}

// The line through WriteConsoleW when stream is a console, else in UTF-8.
void PrintLineConverted(std::FILE* stream, std::string_view text, const TPath& path) {
  const std::string line = std::string(text) + PathText(path) + "\n";
  if (const HANDLE console = ConsoleOf(stream)) {
    std::fflush(stream);
    const std::wstring wide = Utf16Of(std::string_view(line.data(), line.size() - 1)) + L"\r\n";
    DWORD written = 0;
    if (WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr)) return;
  }
  std::fwrite(line.data(), 1, line.size(), stream);
}

}  // namespace

void PrintPathLine(std::FILE* stream, std::string_view text, const TPath& path) noexcept {
  try {
    PrintLineConverted(stream, text, path);
  } catch (const std::exception&) {
    // No memory for the converted path, or a name that is no valid UTF-16
    // (a lone surrogate): the line still says what failed.
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fputs("(path not shown)\n", stream);
  }
  std::fflush(stream);
}

#else

void PrintPathLine(std::FILE* stream, std::string_view text, const TPath& path) noexcept {
  // The path's own bytes, written without any allocation.
  std::fwrite(text.data(), 1, text.size(), stream);
  std::fwrite(path.native().data(), 1, path.native().size(), stream);
  std::fputc('\n', stream);
  std::fflush(stream);
}

#endif

}  // namespace cadxform::platform
