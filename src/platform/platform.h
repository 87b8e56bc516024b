// The platform layer: the few things the tool asks of the operating system
// besides files. Everything else is portable.
#pragma once

#include <string>
#include <string_view>
#include <optional>

namespace cadxform::platform {

// Full path of the running executable, as bytes ("" if it cannot be had).
// Linux: /proc/self/exe. Windows: GetModuleFileNameA (code page 932 there).
std::string ExecutablePath();

// The raw command line as the system holds it, program name included.
// Windows: GetCommandLineA(). Elsewhere there is none (the arguments come
// as argv): nullopt.
std::optional<std::string> RawCommandLine();

// True while the Escape key is held down. Windows: the high bit of
// GetAsyncKeyState(0x1B). Elsewhere never down.
bool EscapeKeyDown();

// Folder part of an executable path, including its trailing delimiter:
// everything up to and including the last path delimiter (backslash or
// drive colon; on POSIX also the slash). "" when there is none.
//   "C:\\Tools\\cadxform.exe" -> "C:\\Tools\\"   "C:cadxform.exe" -> "C:"
std::string ExeDirOf(std::string_view exePath);

}  // namespace cadxform::platform
