// cadxform_iofloor: the file work of one cadxform run and nothing else, the
// lower bound for the tool's time on the same file (POSIX; used by
// bench/run.sh).
//   cadxform_iofloor FILE [WRITE_BYTES]
// Reads FILE in 1 MiB reads, writes the bytes to a new temporary file
// beside it in 1 MiB writes, flushes that file to disk, renames it over
// FILE and flushes the folder, as the tool does with its output. FILE ends
// up with the same bytes; with WRITE_BYTES, with that many bytes (its own
// bytes repeated or cut), the floor of a run whose output is larger than
// its input. Exit status 0 on success, 1 on a failed call (with a message
// on standard error), 2 on a usage error.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace {

constexpr size_t kChunk = size_t{1} << 20;

bool Fail(const char* what, const std::string& path) {
  std::fprintf(stderr, "cadxform_iofloor: %s %s failed\n", what, path.c_str());
  return false;
}

// The whole file in chunks of kChunk bytes (the last one may be shorter).
bool ReadChunks(const std::string& path, std::vector<std::unique_ptr<char[]>>& chunks, size_t& lastSize) {
  const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return Fail("open", path);
  lastSize = kChunk;
  for (;;) {
    if (lastSize == kChunk) {
      chunks.push_back(std::unique_ptr<char[]>(new char[kChunk]));
      lastSize = 0;
    }
    const ssize_t n = read(fd, chunks.back().get() + lastSize, kChunk - lastSize);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      close(fd);
      return Fail("read", path);
    }
    if (n == 0) break;
    lastSize += static_cast<size_t>(n);
  }
  close(fd);
  return true;
}

bool WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = write(fd, data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

// Writes `size` bytes to fd: the chunks' bytes, from the first again when
// they run out (the last chunk holds lastSize bytes), cut at `size`.
bool WriteRepeated(int fd, const std::vector<std::unique_ptr<char[]>>& chunks, size_t lastSize, size_t size) {
  for (size_t i = 0; size > 0; i = (i + 1) % chunks.size()) {
    const size_t n = std::min(size, i + 1 == chunks.size() ? lastSize : kChunk);
    if (n > 0 && !WriteAll(fd, chunks[i].get(), n)) return false;
    size -= n;
    if (chunks.size() == 1 && lastSize == 0) return size == 0;
  }
  return true;
}

// Writes `size` bytes of the chunks (WriteRepeated) to a temporary file
// beside path, flushes it, renames it over path and flushes the folder.
bool ReplaceFile(const std::string& path, const std::vector<std::unique_ptr<char[]>>& chunks, size_t lastSize,
                 size_t size) {
  const std::string temp = path + ".tmp" + std::to_string(getpid());
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return Fail("create", temp);
  bool ok = WriteRepeated(fd, chunks, lastSize, size) && fsync(fd) == 0;
  ok = close(fd) == 0 && ok;
  if (!ok || rename(temp.c_str(), path.c_str()) != 0) {
    unlink(temp.c_str());
    return Fail("write", temp);
  }
  const size_t slash = path.find_last_of('/');
  const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  const int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dirFd < 0) return Fail("open", dir);
  ok = fsync(dirFd) == 0;
  close(dirFd);
  return ok || Fail("fsync", dir);
}

}  // namespace

int main(int argc, char** argv) {
  char* end = nullptr;
  const unsigned long long writeBytes = argc == 3 ? std::strtoull(argv[2], &end, 10) : 0;
  if ((argc != 2 && argc != 3) || (argc == 3 && (end == argv[2] || *end != '\0' || writeBytes == 0))) {
    std::fprintf(stderr, "usage: cadxform_iofloor FILE [WRITE_BYTES]\n");
    return 2;
  }
  const std::string path = argv[1];
  std::vector<std::unique_ptr<char[]>> chunks;
  size_t lastSize = 0;
  if (!ReadChunks(path, chunks, lastSize)) return 1;
  const size_t readBytes = (chunks.size() - 1) * kChunk + lastSize;
  return ReplaceFile(path, chunks, lastSize, argc == 3 ? static_cast<size_t>(writeBytes) : readBytes) ? 0 : 1;
}
