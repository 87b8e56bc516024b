// File-system paths: wide characters on Windows, so that a folder name
// outside the ANSI code page (accented letters, Korean, emoji, Japanese on
// a machine set to another language) reaches the file calls unchanged;
// bytes on POSIX, passed on as they are. Only paths are affected: the
// exchange file's content stays code page 932 bytes, never converted.
//
// Example:
//   TPath dir = ExeDirOf(ExecutablePath());     // "C:\\図面\\" on Windows
//   TPath file = dir / "ZPH_TEMP.TXT";
//   PrintPathLine(stderr, "cadxform: cannot write the exchange file ", file);
#pragma once

#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

namespace cadxform::platform {

// A path: std::filesystem::path, whose native form is std::wstring on
// Windows and the bytes of std::string on POSIX.
using TPath = std::filesystem::path;

// The path as text for a message: UTF-8 on Windows (every character kept),
// the path's own bytes on POSIX.
std::string PathText(const TPath& path);

// Writes text + the path + a line end to stream as one line. text is UTF-8
// (or plain ASCII). On Windows, when stream is a console, the line goes out
// as UTF-16 through WriteConsoleW, so the console shows every character its
// font has instead of "?" substitutes; when stream is redirected (a file, a
// pipe), the line is written in UTF-8. On POSIX the bytes go out unchanged.
// Never throws: should memory run out on Windows (or the name not be valid
// UTF-16), the line is written without the path.
void PrintPathLine(std::FILE* stream, std::string_view text, const TPath& path) noexcept;

}  // namespace cadxform::platform
