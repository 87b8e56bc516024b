// The platform layer: the few things the tool asks of the operating system
// besides files. Everything else is portable.
#pragma once

#include <optional>
#include <string>

#include "cadxform/path.h"

namespace cadxform::platform {

// Full path of the running executable (empty if it cannot be had).
// Linux: /proc/self/exe, as bytes. Windows: GetModuleFileNameW, so that
// every character of the folder names is kept.
TPath ExecutablePath();

// The raw command line as the system holds it, program name included.
// Windows: GetCommandLineW() in code page 932 whatever the ANSI code page,
// no character mapped to a look-alike. Elsewhere there is none (the
// arguments come as argv): nullopt.
std::optional<std::string> RawCommandLine();

// True while the Escape key is held down. Windows: the high bit of
// GetAsyncKeyState(0x1B). Elsewhere never down.
bool EscapeKeyDown();

// Folder part of an executable path, including its trailing delimiter:
// everything up to and including the last path delimiter (on Windows a
// backslash, slash or drive colon; on POSIX the slash). Empty when there
// is none.
//   "C:\\Tools\\cadxform.exe" -> "C:\\Tools\\"   "C:cadxform.exe" -> "C:"
TPath ExeDirOf(const TPath& exePath);

}  // namespace cadxform::platform
