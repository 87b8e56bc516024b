#include "run/run_sequence.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <memory>
#include <new>

#include "files/file_writer.h"
#include "files/overwrite_message.h"
#include "files/read_file.h"
#include "format/drawing_check.h"
#include "format/out_buffer.h"
#include "format/pass_freeze.h"
#include "parallel/emit_split.h"
#include "parallel/release_aside.h"
#include "transforms/pass_work.h"
#include "platform/file_system.h"

namespace cadxform {

using namespace cadxform::platform;

namespace {

// Says one failure on `errors`: "<name>: <what>" and the path. Allocates
// nothing, so it works when memory has run out.
void Say(std::FILE* errors, std::string_view name, const char* what, const TPath& path) {
  char text[320];
  const int n = std::snprintf(text, sizeof text, "%.*s: %s", static_cast<int>(std::min<size_t>(name.size(), 64)),
                              name.data(), what);
  PrintPathLine(errors, std::string_view(text, std::clamp<size_t>(n > 0 ? n : 0, 0, sizeof text - 1)), path);
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

enum TOutcome { ocDone, ocWriteFailed, ocReadFailed, ocOutOfMemoryReading, ocOutOfMemory, ocTransformFailed };

// Why a transform failed, for its one failure line: "<what> (<detail>), for
// " before the path. Fixed room: it is filled while an exception is handled
// and must not throw. Control bytes of the detail (an exception's own text)
// become blanks, so the line stays one line.
struct TTransformFault {
  char Text[240] = {};

  void Set(const char* what, const char* detail = nullptr) {
    if (detail == nullptr) {
      std::snprintf(Text, sizeof Text, "%s, for ", what);
      return;
    }
    std::snprintf(Text, sizeof Text, "%s (%.120s), for ", what, detail);
    for (char& c : Text) {
      if (c != '\0' && static_cast<unsigned char>(c) < 0x20) c = ' ';
    }
  }
};

// Runs the transform; false, with fault described, when it threw anything
// but std::bad_alloc (running out of memory, handled by the caller).
bool ApplyTransform(const TRun& run, TRunContext& context, TTransformResult& result, TTransformFault& fault) {
  try {
    result = run.Apply(context);
    return true;
  } catch (const std::bad_alloc&) {
    throw;
  } catch (const detail::TRefusal& refusal) {
    // A rule refused the drawing: its message is the output.
    result = context.Message(refusal.Message());
    return true;
  } catch (const TPassRuleBroken& e) {
    fault.Set(e.what());
  } catch (const std::exception& e) {
    fault.Set("the transform threw an exception", e.what());
  } catch (...) {
    fault.Set("the transform threw an exception that is not a std::exception");
  }
  return false;
}

// A message the line "h#" + message holds whole, on one line.
bool FitsMessageLine(std::string_view message) {
  return message.size() + 2 <= kOutLineMax && !BreaksLine(message);
}

// False, with fault described, when what the transform left cannot be
// written as it asks: a record or order entry it broke, a message that
// would not stay one line.
bool CheckTransformOutput(const TDrawing& d, TTransformResult result, const TRunContext& context,
                          TTransformFault& fault) {
  if (result != trDone && result != trOutOfRange && result != trSamePoint && result != trMessage) {
    fault.Set("the transform returned no TTransformResult");
    return false;
  }
  if (result == trDone) {
    if (const char* bad = FindUnwritable(d)) {
      fault.Set("the transform left what cannot be written", bad);
      return false;
    }
  } else if (result == trMessage && !FitsMessageLine(context.MessageText())) {
    fault.Set("the transform left a message longer than 253 bytes or holding CR, LF or NUL");
    return false;
  }
  return true;
}

// Runs the transform on *d and writes its output through w: ocDone, or
// ocWriteFailed when writing failed, or ocTransformFailed (fault
// described) when the transform threw or left what cannot be written;
// nothing of its output is written then. The drawing is released once its
// output is queued: for a large drawing on a second thread, while this one
// flushes the output to disk and puts it in place of the exchange file.
TOutcome TransformAndWrite(const TRun& run, std::unique_ptr<TDrawing> d, TWriteState& w, TTransformFault& fault) {
  ResetAttrState(w, *d);
  // The output goes to its temporary file while it is produced; should the
  // file not be creatable now, the output is held in memory and the write
  // below tries again.
  BeginExchangeFile(w, run.Path);
  const detail::TRunThreads threads{run.Policy};
  TRunContext context = detail::TRunContextMaker::Make(*d, run.Args, threads);
  TTransformResult result = trDone;
  if (!ApplyTransform(run, context, result, fault)) return ocTransformFailed;
  if (!CheckTransformOutput(*d, result, context, fault)) return ocTransformFailed;
  QueueRunOutput(*d, w, result, context.Overrides, context.MessageText(), run.EscapeKeyDown, run.Policy);
  return ReleaseWhile(std::move(d), run.Policy, [&] { return WriteOutput(run, w); }) ? ocDone : ocWriteFailed;
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

// Reads, transforms and writes. The drawing and the write state live only
// here, so they are released before any message output is written.
TOutcome ReadTransformWrite(const TRun& run, TTransformFault& fault) {
  bool read = false;
  try {
    auto d = std::make_unique<TDrawing>();
    // A partial drawing must never come back as a full "hd" output: the
    // host would replace the user's entities with what was read so far.
    if (!ReadInput(run.Path, *d, run.Policy)) return ocReadFailed;
    read = true;
    // Destroying the write state on the way out of a failure deletes the
    // temporary file of the output begun.
    auto w = std::make_unique<TWriteState>();
    return TransformAndWrite(run, std::move(d), *w, fault);
  } catch (const std::bad_alloc&) {
    return read ? ocOutOfMemory : ocOutOfMemoryReading;
  }
}

}  // namespace

void QueueRunOutput(const TDrawing& d, TWriteState& w, TTransformResult result, const TEmitOverrides& overrides,
                    std::string_view message, const TEscapeKeySource& escapeKeyDown, const TPathPolicy& policy) {
  switch (result) {
    case trDone:
      AddOutLine(w.Out, "hd");
      EmitAll(d, w, overrides, escapeKeyDown, policy);
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

void ApplyAndQueue(TDrawing& d, TWriteState& w, const std::vector<std::string>& args, const TTransformFunction& apply,
                   const TEscapeKeySource& escapeKeyDown, const TPathPolicy& policy) {
  const detail::TRunThreads threads{policy};
  TRunContext context = detail::TRunContextMaker::Make(d, args, threads);
  const TTransformResult result = apply(context);
  QueueRunOutput(d, w, result, context.Overrides, context.MessageText(), escapeKeyDown, policy);
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
  TTransformFault fault;
  switch (ReadTransformWrite(run, fault)) {
    case ocDone:
      return 0;
    case ocWriteFailed:
      return 1;
    case ocReadFailed:
      Say(errors, name, "cannot read the exchange file ", path);
      WriteMessageOnly(run, kReadFailedMessage);
      return 1;
    case ocOutOfMemoryReading:
      // What was read is released; the file is not at fault.
      Say(errors, name, "out of memory while reading ", path);
      WriteMessageOnly(run, kOutOfMemoryMessage);
      return 1;
    case ocOutOfMemory:
      // The output begun is incomplete: its temporary file is gone, and the
      // user is told instead.
      Say(errors, name, "out of memory while transforming ", path);
      WriteMessageOnly(run, kOutOfMemoryMessage);
      return 1;
    case ocTransformFailed:
      // Nothing the transform left is written; the user is told instead.
      Say(errors, name, fault.Text, path);
      WriteMessageOnly(run, kTransformFailedMessage);
      return 1;
  }
  return 1;
}

}  // namespace cadxform
