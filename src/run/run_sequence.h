// The run sequence of an external transformation: read the exchange file
// beside the executable, let the transform change the drawing, rewrite the
// file. RunExternalTransform (cadxform/run.h) is this with the process's
// own arguments, folder, standard error and Escape key; the tool's tests
// run it in-process with a folder and a path policy of their own.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cadxform/drawing.h"
#include "cadxform/path.h"
#include "cadxform/run.h"
#include "format/write_state.h"
#include "parallel/emit.h"
#include "parallel/path_policy.h"

namespace cadxform {

// Name of the exchange file in the executable's folder.
inline constexpr const char* kExchangeFileName = "ZPH_TEMP.TXT";

// Message for the user when the exchange file exists but could not be read
// whole: "交換ファイルを読み込めませんでした" in code page 932.
inline constexpr std::string_view kReadFailedMessage =
    "\x8C\xF0\x8A\xB7\x83\x74\x83\x40\x83\x43\x83\x8B\x82\xF0\x93\xC7\x82\xDD\x8D\x9E\x82\xDF"
    "\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD";

// Message for the user when memory ran out before the output was complete:
// "メモリが不足したため変換できませんでした" in code page 932.
inline constexpr std::string_view kOutOfMemoryMessage =
    "\x83\x81\x83\x82\x83\x8A\x82\xAA\x95\x73\x91\xAB\x82\xB5\x82\xBD\x82\xBD\x82\xDF"
    "\x95\xCF\x8A\xB7\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD";

// Message for the user when the indicated points or the destination points
// of a two-point transform coincide: "同一点指示をしないで下さい" in code page 932.
inline constexpr std::string_view kSamePointMessage =
    "\x93\xaf\x88\xea\x93\x5f\x8e\x77\x8e\xa6\x82\xf0\x82\xb5\x82\xc8\x82\xa2\x82\xc5\x89\xba"
    "\x82\xb3\x82\xa2";

// Message for the user when the transform failed (it threw, or left a
// drawing or message that cannot be written):
// "変換中にエラーが発生したため変換できませんでした" in code page 932.
inline constexpr std::string_view kTransformFailedMessage =
    "\x95\xCF\x8A\xB7\x92\x86\x82\xC9\x83\x47\x83\x89\x81\x5B\x82\xAA\x94\xAD\x90\xB6\x82\xB5\x82\xBD"
    "\x82\xBD\x82\xDF\x95\xCF\x8A\xB7\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x82\xC5\x82\xB5\x82\xBD";

// Runs the whole sequence for the arguments (program name excluded) with the
// exchange file in exeDir (which ends in its path delimiter):
//   new drawing; ReadExchangeFile; new write state; ResetAttrState;
//   BeginExchangeFile; apply; QueueRunOutput; WriteExchangeFile.
// A missing exchange file leaves the drawing empty and the run goes on. When
// the file exists but cannot be read whole, apply does not run: the output
// is the single message line "h#" + kReadFailedMessage, so the host changes
// nothing and tells the user. Should memory run out at any point before the
// output is complete (start-up included), the output begun is given up, the
// drawing released, and the output is the single message line
// "h#" + kOutOfMemoryMessage instead (when even that cannot be written, the
// exchange file stays as it was). Should apply fail (throw anything, break
// the rules of the pass, leave a record, order entry, text or message that
// cannot be written: FindUnwritable), nothing of its output is written: the
// output is "h#" + kTransformFailedMessage.
// escapeKeyDown is polled while the entities are written. Failures are
// reported on `errors` as one plain line each, beginning with `name` and
// naming the path legibly (PrintPathLine).
// Returns the exit status: 0, or 1 when memory ran out, reading or writing
// failed, or apply failed. policy decides which steps take a
// second thread; the output is the same for every policy.
int RunSequence(const std::vector<std::string>& args, const platform::TPath& exeDir, std::string_view name,
                std::FILE* errors, const TTransformFunction& apply,
                const TEscapeKeySource& escapeKeyDown = TEscapeKeySource(),
                const TPathPolicy& policy = TPathPolicy());

// How the run sequence (and the tests) make the context a transform gets.
namespace detail {
struct TRunContextMaker {
  static TRunContext Make(TDrawing& d, const std::vector<std::string>& args, const TRunThreads& threads) {
    return TRunContext(d, args, &threads);
  }
};
}  // namespace detail

// Runs apply on d as a run does (a context with args and policy's threads)
// and queues its output in w (QueueRunOutput with the overrides and
// message apply left). Nothing checks what apply left: for the tests of a
// transform's own output.
void ApplyAndQueue(TDrawing& d, TWriteState& w, const std::vector<std::string>& args, const TTransformFunction& apply,
                   const TEscapeKeySource& escapeKeyDown = TEscapeKeySource(),
                   const TPathPolicy& policy = TPathPolicy());

// Queues in w the output of a transform of d that ended in result: for
// trDone "hd" and every entity (EmitAll with overrides, polling
// escapeKeyDown, segments as policy says), replaced by the out-of-range
// message should a value to be written not be finite; otherwise only the
// line "h#" + kOutOfRangeMessage, kSamePointMessage or message, no entity.
void QueueRunOutput(const TDrawing& d, TWriteState& w, TTransformResult result, const TEmitOverrides& overrides,
                    std::string_view message, const TEscapeKeySource& escapeKeyDown = TEscapeKeySource(),
                    const TPathPolicy& policy = TPathPolicy());

}  // namespace cadxform
