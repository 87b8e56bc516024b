// File-system calls on POSIX: paths are bytes, renames replace atomically
// whoever holds the old file open, so nothing needs retrying. On Linux,
// writes start the write-back of each completed window of the file at once,
// so that the flush before the replacement finds little left to do.
#ifndef _WIN32

#include <cerrno>
#include <climits>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string_view>
#include <sys/file.h>

#include "platform/file_system.h"
#include "platform/system_calls.h"

namespace cadxform::platform {

namespace {

// open() repeated while a signal interrupts it.
int OpenRetrying(const char* path, int flags) {
  int fd;
  do {
    fd = SystemCalls().open(path, flags | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Opens path with flags | O_NONBLOCK (a FIFO then never waits for its other
// end) and keeps the descriptor only when it is a regular file of which
// `accept` approves; blocking reads and writes are restored. -1 otherwise.
template <class F>
int OpenRegularFile(const char* path, int flags, F&& accept) {
  int fd = OpenRetrying(path, flags | O_NONBLOCK);
  // A regular file under a lease of another process refuses the open
  // without blocking; it waits for the lease to end like any other open.
  if (fd < 0 && errno == EWOULDBLOCK) fd = OpenRetrying(path, flags);
  if (fd < 0) return -1;
  struct stat st;
  const int mode = fcntl(fd, F_GETFL);
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || !accept(st) || mode < 0 ||
      fcntl(fd, F_SETFL, mode & ~O_NONBLOCK) != 0) {
    SystemCalls().close(fd);
    return -1;
  }
  return fd;
}

// The byte that a run holding its temporary file locks: far beyond any
// content, so the lock never stands in the way of reading or writing it.
// The Windows build locks the same byte, so that a Wine run and a native
// run on one folder see each other's locks.
constexpr off_t kHeldByte = off_t{1} << 40;

// Takes (exclusive) or tests for (shared) the lock on kHeldByte without
// waiting; false when another open file holds it, or on error. Locks of an
// open file description: held by the open file, not the process, so that
// they conflict within one process too and go only when it is closed.
bool LockHeldByte(int fd, bool exclusive) {
#ifdef F_OFD_SETLK
  struct flock lock {};
  lock.l_type = exclusive ? F_WRLCK : F_RDLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = kHeldByte;
  lock.l_len = 1;
  return fcntl(fd, F_OFD_SETLK, &lock) == 0;
#else
  return flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) == 0;
#endif
}

// True when path names (without following a link) the file open as fd.
bool PathNamesFile(const char* path, int fd) {
  struct stat named, open;
  return lstat(path, &named) == 0 && fstat(fd, &open) == 0 && named.st_dev == open.st_dev &&
         named.st_ino == open.st_ino;
}

#ifdef __linux__
// Size of the windows whose write-back a write starts once it fills them.
constexpr off_t kWriteBackWindow = off_t{4} << 20;

// Starts (without waiting for) the write-back of every window of the file
// that a write of `size` bytes ending at the file position completed. Only
// a hint to the kernel: FlushFileToDisk still makes the bytes durable.
void StartWriteBack(int fd, size_t size) {
  const off_t end = lseek(fd, 0, SEEK_CUR);
  if (end < 0) return;
  const off_t begin = end - static_cast<off_t>(size);
  off_t boundary = (begin / kWriteBackWindow + 1) * kWriteBackWindow;
  for (; boundary <= end; boundary += kWriteBackWindow) {
    sync_file_range(fd, boundary - kWriteBackWindow, kWriteBackWindow, SYNC_FILE_RANGE_WRITE);
  }
}
#else
void StartWriteBack(int, size_t) {}
#endif

}  // namespace

TFileHandle CreateNewFile(const TPath& path) {
  const int fd = OpenRetrying(path.c_str(), O_WRONLY | O_CREAT | O_EXCL);
  return fd < 0 ? kNoFile : fd;
}

TFileHandle CreateHeldFile(const TPath& path) {
  const int fd = OpenRetrying(path.c_str(), O_WRONLY | O_CREAT | O_EXCL);
  if (fd < 0) return kNoFile;
  // Refused: another run's sweep took the file first and deletes it. A
  // file system without locks keeps the file unheld (DeleteIfUnheld cannot
  // take it either). A sweep that took it before the lock has removed its
  // name.
  const bool refused = !LockHeldByte(fd, true) && (errno == EAGAIN || errno == EACCES || errno == EWOULDBLOCK);
  if (refused || !PathNamesFile(path.c_str(), fd)) {
    SystemCalls().close(fd);
    return kNoFile;
  }
  return fd;
}

bool DeleteIfUnheld(const TPath& path) {
  const int fd = OpenRetrying(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return false;
  struct stat st;
  // The shared lock is refused while a holder keeps its exclusive one; got,
  // it keeps a creator from taking the file until it is gone.
  const bool unheld = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && LockHeldByte(fd, false) &&
                      PathNamesFile(path.c_str(), fd);
  const bool deleted = unheld && SystemCalls().unlink(path.c_str()) == 0;
  SystemCalls().close(fd);
  return deleted;
}

TFileHandle OpenForReading(const TPath& path) {
  const int fd = OpenRegularFile(path.c_str(), O_RDONLY, [](const struct stat&) { return true; });
  return fd < 0 ? kNoFile : fd;
}

TFileHandle OpenForOverwrite(const TPath& path) {
  // O_WRONLY fails on a folder (EISDIR); without O_CREAT nothing new appears;
  // O_NOFOLLOW fails on a symbolic link (ELOOP), and a second name (a hard
  // link) shows in the link count.
  const int fd = OpenRegularFile(path.c_str(), O_WRONLY | O_NOFOLLOW,
                                 [](const struct stat& st) { return st.st_nlink == 1; });
  return fd < 0 ? kNoFile : fd;
}

bool ReadFromFile(TFileHandle file, char* data, size_t size, size_t& got) {
  ssize_t n;
  do {
    n = SystemCalls().read(static_cast<int>(file), data, size);
  } while (n < 0 && errno == EINTR);
  got = n > 0 ? static_cast<size_t>(n) : 0;
  return n >= 0;
}

bool WriteToFile(TFileHandle file, const char* data, size_t size) {
  const size_t total = size;
  while (size > 0) {
    const ssize_t n = SystemCalls().write(static_cast<int>(file), data, size);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    data += n;
    size -= static_cast<size_t>(n);
  }
  StartWriteBack(static_cast<int>(file), total);
  return true;
}

bool TruncateFile(TFileHandle file) {
  const int fd = static_cast<int>(file);
  return SystemCalls().ftruncate(fd, 0) == 0 && lseek(fd, 0, SEEK_SET) == 0;
}

bool FlushFileToDisk(TFileHandle file) {
  // An interrupted flush has not failed: it is made again, as reads,
  // writes and opens are.
  int r;
  do {
    r = SystemCalls().fsync(static_cast<int>(file));
  } while (r != 0 && errno == EINTR);
  return r == 0;
}

bool CloseFile(TFileHandle file) { return SystemCalls().close(static_cast<int>(file)) == 0; }

bool MoveFileOver(const TPath& from, const TPath& to) {
  // The folder's name is made before the rename: an allocation failing
  // after it would report a failure for a replacement that has happened.
  const TPath dir = to.has_parent_path() ? to.parent_path() : TPath(".");
  if (SystemCalls().rename(from.c_str(), to.c_str()) != 0) return false;
  // Make the new directory entry durable too; the rename has happened, so a
  // failure here changes nothing for the caller.
  const int fd = OpenRetrying(dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd >= 0) {
    FlushFileToDisk(fd);
    SystemCalls().close(fd);
  }
  return true;
}

bool DeleteFileAt(const TPath& path) {
  // unlink, unlike remove, leaves directories alone.
  return SystemCalls().unlink(path.c_str()) == 0;
}

TPathState StateOfPath(const TPath& path) {
  struct stat st;
  if (lstat(path.c_str(), &st) == 0) return psPresent;
  return errno == ENOENT || errno == ENOTDIR ? psMissing : psUnknown;
}

bool StampOfFile(TFileHandle file, TFileStamp& stamp) {
  struct stat st;
  if (fstat(static_cast<int>(file), &st) != 0) return false;
  stamp.Size = static_cast<uint64_t>(st.st_size);
  stamp.WriteTime = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  return true;
}

bool FilePosition(TFileHandle file, uint64_t& position) {
  const off_t at = lseek(static_cast<int>(file), 0, SEEK_CUR);
  position = at < 0 ? 0 : static_cast<uint64_t>(at);
  return at >= 0;
}

void CopyAccessOf(const TPath& from, TFileHandle file) {
  const int fd = static_cast<int>(file);
  struct stat st;
  if (stat(from.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return;
  // Owner and group first (a change of owner clears the set-id bits), where
  // the process may give a file away; the set-id bits only with the owner.
  const bool sameOwner = fchown(fd, st.st_uid, st.st_gid) == 0;
  fchmod(fd, st.st_mode & (sameOwner ? 07777 : 0777));
}

void LetOversizeWritesFail() { signal(SIGXFSZ, SIG_IGN); }

uint32_t CurrentProcessId() { return static_cast<uint32_t>(getpid()); }

bool ProcessHasEnded(uint32_t id) {
  // 0 and negative numbers would address process groups.
  if (id == 0 || id > static_cast<uint32_t>(INT_MAX)) return false;
  return kill(static_cast<pid_t>(id), 0) != 0 && errno == ESRCH;
}

std::vector<TPath> NamesStartingWith(const TPath& dir, const TPath& prefix) {
  std::vector<TPath> names;
  DIR* folder = opendir(dir.empty() ? "." : dir.c_str());
  if (folder == nullptr) return names;
  const std::string& start = prefix.native();
  try {
    while (const dirent* e = readdir(folder)) {
      if (std::string_view(e->d_name).substr(0, start.size()) == start) names.emplace_back(e->d_name);
    }
  } catch (...) {
    closedir(folder);
    throw;
  }
  closedir(folder);
  return names;
}

}  // namespace cadxform::platform

#endif  // !_WIN32
