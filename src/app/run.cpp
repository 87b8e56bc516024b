#include "app/run.h"

#include <cstdio>
#include <memory>
#include <new>

#include "app/cmdline.h"
#include "app/transforms.h"
#include "platform/file_system.h"
#include "cadxform/file_writer.h"
#include "cadxform/out_buffer.h"
#include "cadxform/reader.h"
#include "cadxform/transform.h"
#include "parallel/emit_split.h"
#include "files/read_file.h"
#include "parallel/pass_cut.h"
#include "parallel/release_aside.h"

namespace cadxform {

using namespace cadxform::platform;

namespace {

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

// Writes the output queued in w over the exchange file; false (reported)
// when that failed.
bool WriteOutput(TWriteState& w, const TPath& path, std::FILE* errors) {
  const bool ok = WriteExchangeFile(w, path);
  if (!ok) PrintPathLine(errors, "cadxform: cannot write the exchange file ", path);
  return ok;
}

// Runs the transformation of *d and writes its output through w; false
// when writing failed. The drawing is released once its output is queued:
// for a large drawing on a second thread, while this one flushes the output
// to disk and puts it in place of the exchange file (both take a few
// milliseconds for a large drawing, and neither needs the other).
bool TransformAndWrite(const std::vector<std::string>& args, const TPath& path,
                       std::unique_ptr<TDrawing> d, TWriteState& w, std::FILE* errors,
                       const TEscapeKeySource& escapeKeyDown, const TPathPolicy& policy) {
  ResetAttrState(w, *d);
  // The output goes to its temporary file while it is produced; should the
  // file not be creatable now, the output is held in memory and the write
  // below tries again.
  BeginExchangeFile(w, path);
  DispatchCommandLine(args, *d, w, escapeKeyDown, policy);
  return ReleaseWhile(std::move(d), policy, [&] { return WriteOutput(w, path, errors); });
}

// Writes an output that is the single message line "h#" + message, after a
// failure that the caller has reported: the file refusing this write too
// is part of that failure and says nothing more; only running out of memory
// for it is told. Called once the drawing is released, so the line fits
// even when memory has run out; false when it could not be written.
bool WriteMessageOnly(std::string_view message, const TPath& path, std::FILE* errors) {
  try {
    TWriteState w;
    AddMessageLine(w.Out, message);
    return WriteExchangeFile(w, path);
  } catch (const std::bad_alloc&) {
    PrintPathLine(errors, "cadxform: out of memory while writing ", path);
    return false;
  }
}

enum TOutcome { ocDone, ocWriteFailed, ocReadFailed, ocOutOfMemory };

// Reads, transforms and writes. The drawing and the write state live only
// here, so they are released before any message output is written.
TOutcome ReadTransformWrite(const std::vector<std::string>& args, const TPath& path,
                            std::FILE* errors, const TEscapeKeySource& escapeKeyDown,
                            const TPathPolicy& policy) {
  try {
    auto d = std::make_unique<TDrawing>();
    // A partial drawing must never come back as a full "hd" output: the
    // host would replace the user's entities with what was read so far.
    if (!ReadInput(path, *d, policy)) return ocReadFailed;
    // Destroying the write state on the way out of a failure deletes the
    // temporary file of the output begun.
    auto w = std::make_unique<TWriteState>();
    const bool written = TransformAndWrite(args, path, std::move(d), *w, errors, escapeKeyDown, policy);
    return written ? ocDone : ocWriteFailed;
  } catch (const std::bad_alloc&) {
    return ocOutOfMemory;
  }
}

}  // namespace

void QueueTransformOutput(const TDrawing& d, TWriteState& w, TTransformResult result,
                          const TEscapeKeySource& escapeKeyDown, const TPathPolicy& policy) {
  switch (result) {
    case trDone:
      AddOutLine(w.Out, "hd");
      EmitAll(d, w, TEmitOverrides(), escapeKeyDown, nullptr, policy);
      return;
    case trOutOfRange:
      AddMessageLine(w.Out, kOutOfRangeMessage);
      return;
    case trSamePoint:
      AddMessageLine(w.Out, kSamePointMessage);
      return;
  }
}

void DispatchCommandLine(const std::vector<std::string>& args, TDrawing& d, TWriteState& w,
                         const TEscapeKeySource& escapeKeyDown, const TPathPolicy& policy) {
  const TCommandLine cl = ParseCommandLine(args);
  const TTransformResult result =
      cl.IsTranslation()
          ? MoveAll(d, cl.AllEntities, cl.DestX1, cl.DestY1, PassCutFor(d, policy))
          : TwoPointTransform(d, cl.AllEntities, cl.DestX1, cl.DestY1, cl.DestX2, cl.DestY2,
                                PassCutFor(d, policy));
  QueueTransformOutput(d, w, result, escapeKeyDown, policy);
}

int RunTool(const std::vector<std::string>& args, const TPath& exeDir, std::FILE* errors,
            const TEscapeKeySource& escapeKeyDown, const TPathPolicy& policy) {
  LetOversizeWritesFail();
  TPath path;
  try {
    path = exeDir / kExchangeFileName;
  } catch (const std::bad_alloc&) {
    std::fprintf(errors, "cadxform: out of memory at start-up\n");
    return 1;
  }
  switch (ReadTransformWrite(args, path, errors, escapeKeyDown, policy)) {
    case ocDone:
      return 0;
    case ocWriteFailed:
      return 1;
    case ocReadFailed:
      PrintPathLine(errors, "cadxform: cannot read the exchange file ", path);
      WriteMessageOnly(kReadFailedMessage, path, errors);
      return 1;
    case ocOutOfMemory:
      // The output begun is incomplete: its temporary file is gone, and the
      // user is told instead.
      PrintPathLine(errors, "cadxform: out of memory while transforming ", path);
      WriteMessageOnly(kOutOfMemoryMessage, path, errors);
      return 1;
  }
  return 1;
}

}  // namespace cadxform
