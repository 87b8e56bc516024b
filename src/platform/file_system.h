// The few file-system calls the reader and the file writer need, one
// implementation per platform: POSIX, or the wide ("W") functions of the
// Windows API, so that every character of a path reaches the file system.
//
// Example (replace `target` safely; the temporary file stays held, and so
// safe from other runs' sweeps, until it has taken target's place):
//   TFileHandle f = CreateHeldFile(tmp);
//   bool ok = f != kNoFile && WriteToFile(f, data, size) && FlushFileToDisk(f);
//   ok = ok && MoveFileOver(tmp, target);
//   CloseFile(f);
//
// On Windows a virus scanner, the search indexer or a cloud-sync client may
// hold a fresh file open for a moment without delete sharing; replacing and
// deleting a file therefore retry for up to kLockRetryMilliseconds while the
// system reports a sharing violation or a lock. Paths of kLongPathFrom
// characters or more are handed to the system in their "\\?\" form, which
// has no length limit.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "cadxform/path.h"

namespace cadxform::platform {

// An open file: a descriptor on POSIX, a HANDLE on Windows.
using TFileHandle = intptr_t;
inline constexpr TFileHandle kNoFile = -1;

// Longest time that MoveFileOver, DeleteFileAt and OpenForReading keep
// retrying a file held open by another process (Windows only).
inline constexpr unsigned kLockRetryMilliseconds = 2000;

// Creates path as a new, empty file open for writing. Fails (kNoFile) when
// anything is already at path or the folder does not allow it.
TFileHandle CreateNewFile(const TPath& path);

// Creates path as a new, empty file open for writing, as CreateNewFile, and
// holds it for as long as it stays open: DeleteIfUnheld leaves it alone,
// whichever process, machine or container asks (an exclusive lock on one
// byte far beyond any content: an open file description lock on Linux,
// LockFileEx on Windows). The file can still be renamed by its holder
// while open (MoveFileOver). kNoFile also when the new file was taken away
// before it was held (the caller then tries another name).
TFileHandle CreateHeldFile(const TPath& path);

// Deletes the regular file at path (never a link, folder or device) only
// when no process holds it through CreateHeldFile; true when it deleted
// it. Never waits: a file that cannot be tested now is left alone.
bool DeleteIfUnheld(const TPath& path);

// Opens the existing regular file at path for reading (others may read and
// write it meanwhile); a link is followed. kNoFile when there is none, it
// cannot be opened, or it is no regular file (a FIFO, a device: the open
// never waits for another process to open its other end). On Windows an
// open refused because another process holds the file (a sharing or lock
// violation) is retried as replacing is, for up to kLockRetryMilliseconds.
TFileHandle OpenForReading(const TPath& path);

// Opens the existing file at path for writing without creating one and
// without changing it yet, sharing reading and writing with any process
// that holds it open. Only a regular file with no other name opens: kNoFile
// when there is no file, or a folder, a FIFO, a device, a symbolic link (or
// other reparse point) or a file with a second (hard) link is there, so that
// writing never reaches a file other than the one at path. Where the system
// follows a link that it does not report as one (Wine), the file opened is
// also refused when its final path is not path's folder and name.
TFileHandle OpenForOverwrite(const TPath& path);

// Size and time of the last write of an open file.
struct TFileStamp {
  uint64_t Size = 0;
  int64_t WriteTime = 0;  // in the system's own unit
  bool operator==(const TFileStamp&) const = default;
};

// The file's stamp now; false on error.
bool StampOfFile(TFileHandle file, TFileStamp& stamp);

// The file's read and write position: the count of bytes read (or written)
// so far when every read followed the one before from the start of the
// file. False on error.
bool FilePosition(TFileHandle file, uint64_t& position);

// Gives the newly created `file` the access of the regular file at `from`
// (a link is followed), which it is to replace: on POSIX its permission
// bits and, where the process may give a file away (root), its owner and
// group; on Windows its hidden, system, archive and not-indexed attributes.
// Does nothing when no regular file is at `from`. What the system refuses
// (a change of owner by an ordinary user, modes on a FAT volume) is left as
// created.
void CopyAccessOf(const TPath& from, TFileHandle file);

// Reads up to size bytes into data; got receives the count, 0 at the end
// of the file. False on a read error.
bool ReadFromFile(TFileHandle file, char* data, size_t size, size_t& got);

// Writes all size bytes (repeating on partial writes); false on any error.
bool WriteToFile(TFileHandle file, const char* data, size_t size);

// Empties the file and moves its write position to the start; false on
// error.
bool TruncateFile(TFileHandle file);

// Makes the bytes written so far durable on disk; false on error.
bool FlushFileToDisk(TFileHandle file);

// True where WriteToFile itself starts writing each filled window of the
// file back to disk (Linux: sync_file_range), so that FlushFileToDisk at the
// end finds little left to do. Elsewhere a writer that wants that flushes
// in the background while it writes (see TBackgroundFlush).
#ifdef __linux__
inline constexpr bool kWritesStartWriteBack = true;
#else
inline constexpr bool kWritesStartWriteBack = false;
#endif

// Closes the file; false when closing reports an error (data may be lost).
// The handle is invalid afterwards either way.
bool CloseFile(TFileHandle file);

// Renames the file `from` to `to` in one step, replacing a file at `to`.
// `from` may be open (a held file is renamed before it is closed, so that
// it is held until it has taken its place). Fails, leaving both untouched,
// when `to` is a directory. May throw std::bad_alloc, but only before
// anything has been renamed.
bool MoveFileOver(const TPath& from, const TPath& to);

// Deletes the file at path. Never removes a directory. False when nothing
// was deleted.
bool DeleteFileAt(const TPath& path);

// What the system says of a name.
enum TPathState {
  psMissing,  // no entry of that name (nor its folder): nothing to read
  psPresent,  // an entry: a file, a folder, a link (even one leading nowhere)
  psUnknown,  // the system could not tell (no search permission, a link
              // loop, an I/O error): to be treated as present but unreadable
};

// Whether anything is named path, without following a link at its end
// (POSIX: lstat, missing only for ENOENT and ENOTDIR; Windows: a directory
// search for the name, missing only when file or path is not found).
TPathState StateOfPath(const TPath& path);

// Makes a write beyond the process's file size limit fail (EFBIG) like a
// write to a full disk, instead of ending the process with no word and its
// temporary file left behind (POSIX: SIGXFSZ ignored). Nothing to do on
// Windows. Call once at start-up.
void LetOversizeWritesFail();

// Id of the running process (to name temporary files uniquely).
uint32_t CurrentProcessId();

// True only when no process of this id runs any more on this machine (its temporary files
// are then left over); false while one may (ids of ended processes are
// reused, so a live one may be another program).
bool ProcessHasEnded(uint32_t id);

// The names (without folder) of the entries in folder dir that begin with
// prefix, in no particular order; none when dir cannot be listed. May throw
// std::bad_alloc.
std::vector<TPath> NamesStartingWith(const TPath& dir, const TPath& prefix);

}  // namespace cadxform::platform
