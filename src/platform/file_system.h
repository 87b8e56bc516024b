// The few file-system calls the file writer needs, one implementation per
// platform (POSIX, or the Windows API with its byte-string "A" functions, so
// that code page 932 paths pass unchanged).
//
// Example (replace `target` safely):
//   TFileHandle f = CreateNewFile(tmp);
//   bool ok = f != kNoFile && WriteToFile(f, data, size) && FlushFileToDisk(f);
//   ok = CloseFile(f) && ok;
//   if (ok) ok = MoveFileOver(tmp, target);
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace cadxform::platform {

// An open file: a descriptor on POSIX, a HANDLE on Windows.
using TFileHandle = intptr_t;
inline constexpr TFileHandle kNoFile = -1;

// Creates path as a new, empty file open for writing. Fails (kNoFile) when
// anything is already at path or the folder does not allow it.
TFileHandle CreateNewFile(const std::string& path);

// Writes all size bytes (repeating on partial writes); false on any error.
bool WriteToFile(TFileHandle file, const char* data, size_t size);

// Empties the file and moves its write position to the start; false on
// error.
bool TruncateFile(TFileHandle file);

// Makes the bytes written so far durable on disk; false on error.
bool FlushFileToDisk(TFileHandle file);

// Closes the file; false when closing reports an error (data may be lost).
// The handle is invalid afterwards either way.
bool CloseFile(TFileHandle file);

// Renames the file `from` to `to` in one step, replacing a file at `to`.
// Fails, leaving both untouched, when `to` is a directory.
bool MoveFileOver(const std::string& from, const std::string& to);

// Deletes the file at path. Never removes a directory. False when nothing
// was deleted.
bool DeleteFileAt(const std::string& path);

// True when anything (a file, a folder) exists at path.
bool PathExists(const std::string& path);

// Id of the running process (to name temporary files uniquely).
uint32_t CurrentProcessId();

}  // namespace cadxform::platform
