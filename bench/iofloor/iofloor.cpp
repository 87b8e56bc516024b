// cadxform_iofloor: the file work of one cadxform run and nothing else, the
// lower bound for the tool's time on the same file (POSIX; used by
// bench/run.sh).
//   cadxform_iofloor FILE
// Reads FILE in 1 MiB reads, writes the bytes to a new temporary file
// beside it in 1 MiB writes, flushes that file to disk, renames it over
// FILE and flushes the folder, as the tool does with its output. FILE ends
// up with the same bytes. Exit status 0 on success, 1 on a failed call
// (with a message on standard error), 2 on a usage error.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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

// Writes the chunks to a temporary file beside path, flushes it, renames it
// over path and flushes the folder.
bool ReplaceFile(const std::string& path, const std::vector<std::unique_ptr<char[]>>& chunks, size_t lastSize) {
  const std::string temp = path + ".tmp" + std::to_string(getpid());
  const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return Fail("create", temp);
  bool ok = true;
  for (size_t i = 0; i < chunks.size() && ok; ++i) {
    ok = WriteAll(fd, chunks[i].get(), i + 1 == chunks.size() ? lastSize : kChunk);
  }
  ok = ok && fsync(fd) == 0;
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
  if (argc != 2) {
    std::fprintf(stderr, "usage: cadxform_iofloor FILE\n");
    return 2;
  }
  const std::string path = argv[1];
  std::vector<std::unique_ptr<char[]>> chunks;
  size_t lastSize = 0;
  if (!ReadChunks(path, chunks, lastSize)) return 1;
  return ReplaceFile(path, chunks, lastSize) ? 0 : 1;
}
