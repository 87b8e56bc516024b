#include "run/run_sequence.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <new>
#include <stdexcept>

#include "files/file_writer.h"
#include "files/overwrite_message.h"
#include "files/read_file.h"
#include "format/out_buffer.h"
#include "parallel/emit_split.h"
#include "parallel/release_aside.h"
#include "platform/file_system.h"
#include "platform/read_only.h"

namespace cadxform {

using namespace cadxform::platform;

namespace {

// Says one failure on `errors`: "<name>: <what>" and the path. Allocates
// nothing, so it works when memory has run out.
void Say(std::FILE* errors, std::string_view name, const char* what, const TPath& path) {
  char text[160];
  const int n = std::snprintf(text, sizeof text, "%.*s: %s", static_cast<int>(std::min<size_t>(name.size(), 64)),
                              name.data(), what);
  PrintPathLine(errors, std::string_view(text, n > 0 ? static_cast<size_t>(n) : 0), path);
}

// Reads the exchange file into d; false when it could not be read whole.
// Only a name that does not exist at all is a missing file, which is no
// failure (d keeps its defaults): a name that leads nowhere (a link to
// nothing, a link loop, a folder that may not be searched) or of which the
// system cannot tell is a failed read, so that the host is told instead of
// taking an empty drawing for the result.
bool ReadInput(const TPath& path, TDrawing& d, const TPathPolicy& policy) {
  switch (StateOfPath(path)) {
    case psMissing:
      return true;
    case psPresent:
      return ReadExchangeFile(path, d, policy);
    case psUnknown:
      return false;
  }
  return false;
}

// What a run was told to do and how it ends.
struct TRun {
  const std::vector<std::string>& Args;
  const TPath& Path;
  std::string_view Name;
  std::FILE* Errors;
  const TTransformFunction& Apply;
  const TEscapeKeySource& EscapeKeyDown;
  const TPathPolicy& Policy;
};

// Writes the output queued in w over the exchange file; false (reported)
// when that failed.
bool WriteOutput(const TRun& run, TWriteState& w) {
  const bool ok = WriteExchangeFile(w, run.Path);
  if (!ok) Say(run.Errors, run.Name, "cannot write the exchange file ", run.Path);
  return ok;
}

// Runs the transform on *d and writes its output through w; false when
// writing failed. The drawing is released once its output is queued: for a
// large drawing on a second thread, while this one flushes the output to
// disk and puts it in place of the exchange file.
bool TransformAndWrite(const TRun& run, std::unique_ptr<TDrawing> d, TWriteState& w) {
  ResetAttrState(w, *d);
  // The output goes to its temporary file while it is produced; should the
  // file not be creatable now, the output is held in memory and the write
  // below tries again.
  BeginExchangeFile(w, run.Path);
  TRunContext context(*d, run.Args, &run.Policy);
  const TTransformResult result = run.Apply(context);
  QueueRunOutput(*d, w, result, context.Overrides, context.MessageText(), run.EscapeKeyDown, run.Policy);
  return ReleaseWhile(std::move(d), run.Policy, [&] { return WriteOutput(run, w); });
}

// Writes an output that is the single message line "h#" + message, after a
// failure that the caller has reported: the file refusing this write too
// is part of that failure and says nothing more; only running out of memory
// for it is told. Called once the drawing is released, so the line fits
// even when memory has run out; false when it could not be written.
bool WriteMessageOnly(const TRun& run, std::string_view message) {
  try {
    TWriteState w;
    AddMessageLine(w.Out, message);
    return WriteExchangeFile(w, run.Path);
  } catch (const std::bad_alloc&) {
    Say(run.Errors, run.Name, "out of memory while writing ", run.Path);
    return false;
  }
}

enum TOutcome { ocDone, ocReadOnly, ocWriteFailed, ocReadFailed, ocOutOfMemory, ocRulesBroken };

// Reads, transforms and writes. The drawing and the write state live only
// here, so they are released before any message output is written.
TOutcome ReadTransformWrite(const TRun& run) {
  // A file the user marked read-only can take neither the output nor a
  // message: it is left as it is, before anything is read or made.
  if (IsMarkedReadOnly(run.Path)) return ocReadOnly;
  try {
    auto d = std::make_unique<TDrawing>();
    // A partial drawing must never come back as a full "hd" output: the
    // host would replace the user's entities with what was read so far.
    if (!ReadInput(run.Path, *d, run.Policy)) return ocReadFailed;
    // Destroying the write state on the way out of a failure deletes the
    // temporary file of the output begun.
    auto w = std::make_unique<TWriteState>();
    return TransformAndWrite(run, std::move(d), *w) ? ocDone : ocWriteFailed;
  } catch (const std::bad_alloc&) {
    return ocOutOfMemory;
  } catch (const std::logic_error&) {
    return ocRulesBroken;
  }
}

}  // namespace

void QueueRunOutput(const TDrawing& d, TWriteState& w, TTransformResult result, const TEmitOverrides& overrides,
                    std::string_view message, const TEscapeKeySource& escapeKeyDown, const TPathPolicy& policy) {
  switch (result) {
    case trDone:
      AddOutLine(w.Out, "hd");
      EmitAll(d, w, overrides, escapeKeyDown, nullptr, policy);
      if (!w.Out.HadNotFinite()) return;
      // A record held a value the host cannot read back.
      ClearOutLines(w.Out);
      AddMessageLine(w.Out, kOutOfRangeMessage);
      return;
    case trOutOfRange:
      AddMessageLine(w.Out, kOutOfRangeMessage);
      return;
    case trSamePoint:
      AddMessageLine(w.Out, kSamePointMessage);
      return;
    case trMessage:
      AddMessageLine(w.Out, message);
      return;
  }
}

int RunSequence(const std::vector<std::string>& args, const TPath& exeDir, std::string_view name,
                std::FILE* errors, const TTransformFunction& apply, const TEscapeKeySource& escapeKeyDown,
                const TPathPolicy& policy) {
  LetOversizeWritesFail();
  TPath path;
  try {
    path = exeDir / kExchangeFileName;
  } catch (const std::bad_alloc&) {
    std::fprintf(errors, "%.*s: out of memory at start-up\n", static_cast<int>(name.size()), name.data());
    return 1;
  }
  const TRun run{args, path, name, errors, apply, escapeKeyDown, policy};
  switch (ReadTransformWrite(run)) {
    case ocDone:
      return 0;
    case ocReadOnly:
      Say(errors, name, "cannot write the read-only exchange file ", path);
      return 1;
    case ocWriteFailed:
      return 1;
    case ocReadFailed:
      Say(errors, name, "cannot read the exchange file ", path);
      WriteMessageOnly(run, kReadFailedMessage);
      return 1;
    case ocOutOfMemory:
      // The output begun is incomplete: its temporary file is gone, and the
      // user is told instead.
      Say(errors, name, "out of memory while transforming ", path);
      WriteMessageOnly(run, kOutOfMemoryMessage);
      return 1;
    case ocRulesBroken:
      Say(errors, name, "the transform added a head while the pass ran (use its ops.SetHead) ", path);
      WriteMessageOnly(run, kWriteFailedMessage);
      return 1;
  }
  return 1;
}

}  // namespace cadxform
