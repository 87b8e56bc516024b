#include "platform/file_system.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace cadxform::platform {

#ifdef _WIN32

namespace {
HANDLE ToHandle(TFileHandle file) { return reinterpret_cast<HANDLE>(file); }
}  // namespace

TFileHandle CreateNewFile(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return kNoFile;
  return reinterpret_cast<TFileHandle>(h);
}

bool WriteToFile(TFileHandle file, const char* data, size_t size) {
  while (size > 0) {
    // WriteFile takes a 32-bit count.
    const DWORD step = size > (1u << 30) ? (1u << 30) : static_cast<DWORD>(size);
    DWORD written = 0;
    if (!WriteFile(ToHandle(file), data, step, &written, nullptr) || written == 0) return false;
    data += written;
    size -= written;
  }
  return true;
}

bool TruncateFile(TFileHandle file) {
  LARGE_INTEGER zero{};
  return SetFilePointerEx(ToHandle(file), zero, nullptr, FILE_BEGIN) != 0 &&
         SetEndOfFile(ToHandle(file)) != 0;
}

bool FlushFileToDisk(TFileHandle file) { return FlushFileBuffers(ToHandle(file)) != 0; }

bool CloseFile(TFileHandle file) { return CloseHandle(ToHandle(file)) != 0; }

bool MoveFileOver(const std::string& from, const std::string& to) {
  return MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool DeleteFileAt(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

bool PathExists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

uint32_t CurrentProcessId() { return static_cast<uint32_t>(GetCurrentProcessId()); }

#else

TFileHandle CreateNewFile(const std::string& path) {
  int fd;
  do {
    fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd < 0 ? kNoFile : fd;
}

bool WriteToFile(TFileHandle file, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = write(static_cast<int>(file), data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool TruncateFile(TFileHandle file) {
  const int fd = static_cast<int>(file);
  return ftruncate(fd, 0) == 0 && lseek(fd, 0, SEEK_SET) == 0;
}

bool FlushFileToDisk(TFileHandle file) { return fsync(static_cast<int>(file)) == 0; }

bool CloseFile(TFileHandle file) { return close(static_cast<int>(file)) == 0; }

bool MoveFileOver(const std::string& from, const std::string& to) {
  if (rename(from.c_str(), to.c_str()) != 0) return false;
  // Make the new directory entry durable too; the rename has happened, so a
  // failure here changes nothing for the caller.
  const size_t slash = to.find_last_of('/');
  const std::string dir = slash == std::string::npos ? "." : to.substr(0, slash + 1);
  const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
  return true;
}

bool DeleteFileAt(const std::string& path) {
  // unlink, unlike remove, leaves directories alone.
  return unlink(path.c_str()) == 0;
}

bool PathExists(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0;
}

uint32_t CurrentProcessId() { return static_cast<uint32_t>(getpid()); }

#endif

}  // namespace cadxform::platform
