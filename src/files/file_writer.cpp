#include "files/file_writer.h"

#include <cassert>
#include <cstdint>
#include <new>
#include <string>
#include <utility>

#include "platform/file_system.h"
#include "platform/read_only.h"
#include "format/out_buffer.h"
#include "files/overwrite_message.h"
#include "files/temp_file_sink.h"

namespace cadxform {

// The temporary file of a write state, which only the file writer touches:
// the only sink it ever holds.
struct TWriteStateFile {
  // The write state's temporary file, nullptr before it had one.
  static TTempFileSink* Of(TWriteState& w) { return static_cast<TTempFileSink*>(w.spill_.get()); }
  // Gives w a temporary file, closed (throws std::bad_alloc).
  static TTempFileSink& Make(TWriteState& w) {
    if (w.spill_ == nullptr) w.spill_ = std::make_unique<TTempFileSink>();
    return *Of(w);
  }
  static bool Spent(const TWriteState& w) { return w.spent_; }
  static void Spend(TWriteState& w) { w.spent_ = true; }
};

using namespace cadxform::platform;

namespace {

// Names tried for the temporary file before giving up (another file of the
// same name may be left from an earlier run that was cut short).
constexpr int kTempNameTries = 10;

// Temporary files are named after the exchange file and the process:
// "ZPH_TEMP.TXT.tmp<id>", then "ZPH_TEMP.TXT.tmp<id>-<try>" for tries 1 to 9.
constexpr char kTempInfix[] = ".tmp";

// The number that `digits` spells in decimal as std::to_string writes it
// (no sign, no leading zero), when it is at most `top`; -1 otherwise.
int64_t DecimalOf(const TPath::string_type& digits, int64_t top) {
  if (digits.empty() || digits.size() > 10 || (digits[0] == '0' && digits.size() > 1)) return -1;
  int64_t n = 0;
  for (const auto c : digits) {
    if (c < '0' || c > '9') return -1;
    n = n * 10 + (c - '0');
  }
  return n <= top ? n : -1;
}

// The id of the process that made the temporary file `name` whose names
// begin with `prefix` (the exchange file's name and kTempInfix), or 0 when
// name is not exactly of the form CreateTempBeside gives.
uint32_t TempFileOwner(const TPath::string_type& name, const TPath::string_type& prefix) {
  if (name.compare(0, prefix.size(), prefix) != 0) return 0;
  const TPath::string_type rest = name.substr(prefix.size());
  const size_t dash = rest.find('-');
  if (dash != rest.npos && DecimalOf(rest.substr(dash + 1), kTempNameTries - 1) < 1) return 0;
  const int64_t id = DecimalOf(rest.substr(0, dash), UINT32_MAX);
  return id > 0 ? static_cast<uint32_t>(id) : 0;
}

// Deletes, beside the exchange file at path, the temporary files of runs
// that have ended (killed, or the machine stopped, before they could
// delete them), so that they do not pile up. A live run holds its
// temporary file (CreateHeldFile), which is what tells, since a process id
// says nothing of a run on another machine or in another container; the
// id is asked as well, for runs that held no lock. Leaves every other name
// alone. Best effort: nothing happens when memory runs out.
void RemoveEndedRunsTemps(const TPath& path) {
  try {
    TPath prefix = path.filename();
    prefix += kTempInfix;
    const TPath dir = path.parent_path();
    for (const TPath& name : NamesStartingWith(dir, prefix)) {
      const uint32_t owner = TempFileOwner(name.native(), prefix.native());
      if (owner != 0 && owner != CurrentProcessId() && ProcessHasEnded(owner)) DeleteIfUnheld(dir / name);
    }
  } catch (const std::bad_alloc&) {
  }
}

// Creates a new temporary file in the folder of path, named after it and
// the process, held while it is open, with the access of the file at path
// (which it replaces); returns its handle and name, or kNoFile. Deletes
// the temporary files of ended runs first.
TFileHandle CreateTempBeside(const TPath& path, TPath& tempPath) {
  RemoveEndedRunsTemps(path);
  TPath base = path;
  base += kTempInfix + std::to_string(CurrentProcessId());
  for (int i = 0; i < kTempNameTries; ++i) {
    tempPath = base;
    if (i > 0) tempPath += "-" + std::to_string(i);
    const TFileHandle f = CreateHeldFile(tempPath);
    if (f == kNoFile) continue;
    CopyAccessOf(path, f);
    return f;
  }
  return kNoFile;
}

// Writes what the buffer still holds in memory, or "hq" when nothing was
// queued, in the buffer's large pieces.
bool WriteOutLines(const TOutBuffer& lines, TFileHandle file) {
  if (lines.Count() == 0) return WriteToFile(file, "hq\r\n", 4);
  bool ok = true;
  lines.ForEachPiece([&](const char* data, size_t size) {
    if (ok) ok = WriteToFile(file, data, size);
  });
  return ok;
}

}  // namespace

void AbandonExchangeFile(TWriteState& w) {
  TTempFileSink* spill = TWriteStateFile::Of(w);
  if (spill == nullptr) return;
  if (w.Out.Sink() == spill) w.Out.SetSink(nullptr);
  spill->Abandon();
}

bool BeginExchangeFile(TWriteState& w, const TPath& path) {
  AbandonExchangeFile(w);
  // Every allocation happens before the file exists, so running out of
  // memory here leaves nothing behind.
  TPath forPath = path;
  TPath tempPath;
  TTempFileSink& spill = TWriteStateFile::Make(w);
  const TFileHandle file = CreateTempBeside(path, tempPath);
  if (file == kNoFile) return false;  // the buffer stays in memory
  spill.Open(std::move(forPath), std::move(tempPath), file);
  w.Out.SetSink(&spill);
  return true;
}

// The content is flushed to disk before the rename, so a crash of the
// machine right after it cannot leave an empty or partial exchange file.
namespace {

// MoveFileOver that closes and deletes the open temporary file when running
// out of memory stops it before the rename, so no stray file stays beside
// the exchange file; the failure then goes on to the caller.
bool MoveTempOver(const TPath& tempPath, const TPath& path, TFileHandle file) {
  try {
    return MoveFileOver(tempPath, path);
  } catch (const std::bad_alloc&) {
    CloseFile(file);
    DeleteFileAt(tempPath);
    throw;
  }
}

// WriteExchangeFile, once.
bool WriteOnce(TWriteState& w, const TPath& path) {
  // A file the user marked read-only is left as it is, on every system
  // alike (POSIX and Wine would replace it, Windows refuses). The caller
  // deletes the temporary file begun.
  if (IsMarkedReadOnly(path)) return false;
  TTempFileSink* const spill = TWriteStateFile::Of(w);
  TPath tempPath;
  TFileHandle file = kNoFile;
  bool ok = true;
  if (spill != nullptr && w.Out.Sink() == spill && spill->IsOpen()) {
    w.Out.SetSink(nullptr);
    assert(spill->Path() == path);
    if (spill->Path() != path) {
      // Part of the output went to a file meant for another path.
      spill->Abandon();
      return false;
    }
    file = spill->File();
    tempPath = spill->TakeTempPath();
    ok = !spill->Failed();
    spill->Release();
  } else {
    AbandonExchangeFile(w);  // left by a run that never wrote it
    file = CreateTempBeside(path, tempPath);
    if (file == kNoFile) {
      // No new file can be made beside it (a read-only folder): the host
      // must still not read its own input back as the result.
      OverwriteWithFailureMessage(path);
      return false;
    }
  }
  // The temporary file is renamed while still open, so that it stays held
  // until it is the exchange file. Once flushed, its bytes are on disk:
  // closing it can lose nothing more.
  ok = ok && WriteOutLines(w.Out, file) && FlushFileToDisk(file);
  const bool replaced = ok && MoveTempOver(tempPath, path, file);
  CloseFile(file);
  if (replaced) return true;
  DeleteFileAt(tempPath);
  // The file at path is never deleted: it may be the host's input or the
  // output of another run. The host must not take its input back for the
  // result, so it gets the failure message line in its place.
  OverwriteWithFailureMessage(path);
  return false;
}

}  // namespace

bool WriteExchangeFile(TWriteState& w, const TPath& path) {
  if (TWriteStateFile::Spent(w)) return false;
  if (WriteOnce(w, path)) return true;
  // What the failed write left of the output (the part never spilled) must
  // never be written on its own: the state is spent.
  AbandonExchangeFile(w);
  ClearOutLines(w.Out);
  TWriteStateFile::Spend(w);
  return false;
}

}  // namespace cadxform
