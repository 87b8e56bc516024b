// A whole external transformation in one call: the program's main is
//
//   int main(int argc, char** argv) {
//     return cadxform::RunExternalTransform(argc, argv, [](cadxform::TRunContext& run) {
//       return run.Transform(TShift{run.RealArgument(3)});   // your transform (transform.h)
//     });
//   }
//
// and the library does the rest, exactly as the cadxform tool does it:
//   - extended precision for long double on every thread;
//   - the exchange file ZPH_TEMP.TXT in the executable's own folder, whatever
//     the working directory (wide and long paths on Windows);
//   - the arguments split the tool's way (on Windows from the raw command
//     line) and read as numbers that never fail (IntArgument, RealArgument);
//   - a file the user marked read-only is left as it is (one line on
//     standard error, exit 1): no output and no message can take its place;
//   - reading the file: a missing file is an empty drawing; a file that
//     cannot be read whole (a folder, a FIFO, a link to nothing, a file
//     changed while read) gives only the read-failed message line, exit 1;
//   - the transform pass on one thread or two as the drawing's size says,
//     with its finite check: a value beyond the range of doubles gives only
//     the out-of-range message line "h#座標が大きすぎるため変換できません",
//     exit 0, never INF or NAN in the file (whatever a record holds);
//   - "hd" and every entity in input order with its attribute lines
//     (Overrides applied), abandoned while the Escape key is held;
//   - the safe replacement of the file (temporary file, flush, rename; held
//     while written, retried while another program holds the file, its
//     access kept, temporary files of ended runs swept), one line on
//     standard error and exit 1 for a failed read or write, and the
//     out-of-memory message line, exit 1, when memory runs out;
//   - a transform that fails: it throws anything (on either thread), adds
//     a head or a text to the drawing while the pass runs, or leaves a
//     head id or an input-order entry that names no record, or a text or
//     message holding CR, LF or NUL. Nothing it left is written: the file
//     holds only the message line "h#変換中にエラーが発生したため変換できま
//     せんでした", exit 1, one line on standard error saying what went wrong.
// Every failure line on standard error begins with the program's own name.
//
// What the function returns decides the output: trDone writes the drawing,
// trOutOfRange the out-of-range message, trSamePoint the coinciding-points
// message, trMessage the message given to TRunContext::Message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

#include "cadxform/drawing.h"
#include "cadxform/emit_options.h"
#include "cadxform/record_ops.h"
#include "cadxform/transform.h"

namespace cadxform {

// What a transform made of the drawing. Of a fixed type, so that any value
// a transform returns can be looked at: one that is none of these fails
// the run.
enum TTransformResult : int {
  trDone,        // the records are changed: write "hd" and every entity
  trOutOfRange,  // a changed value was not finite: write only the out-of-range message
  trSamePoint,   // indicated or destination points coincide: write only that message
  trMessage,     // write only the message given to TRunContext::Message
};

namespace detail {
struct TRunThreads;
struct TRunContextMaker;  // the run sequence makes the context
}  // namespace detail

// What a run hands its transform: the drawing read from the exchange file,
// the arguments, and the pass with the run's own choice of threads.
class TRunContext {
 public:
  TDrawing& Drawing() const { return d_; }
  // The arguments after the program name, as given.
  const std::vector<std::string>& Arguments() const { return args_; }
  // Argument i (1-based) as an integer or a real the tool's way (a
  // malformed one reads as 0, the decimal separator is always the full
  // stop); `absent` when there is no argument i.
  int32_t IntArgument(size_t i, int32_t absent = 0) const;
  double RealArgument(size_t i, double absent = 0.0) const;
  // Argument i as a number that can fail: nothing when there is no
  // argument i or it is malformed (TryStrToInt, TryStrToFloat), so that a
  // transform can say "the layer argument is malformed" instead of reading
  // 0.
  std::optional<int32_t> TryIntArgument(size_t i) const;
  std::optional<double> TryRealArgument(size_t i) const;
  // The tool's scope: argument 1 reads as exactly 1 (every entity), else
  // only the entities of the file's first layer group.
  bool AllEntities() const { return IntArgument(1) == 1; }
  TSelection Scope() const { return TSelection::Of(d_, AllEntities()); }

  // Applies transform x (transform.h) to the records of the scope, or of
  // the selection sel.
  template <class X>
  TTransformResult Transform(const X& x) const {
    return Transform(x, Scope());
  }
  template <class X>
  TTransformResult Transform(const X& x, TSelection sel) const {
    return detail::RunPass(d_, threads_, detail::WalkOf(d_, x, sel)) ? trDone : trOutOfRange;
  }
  // The output is the single line "h#" + text (code page 932 bytes, for
  // the host to show the user) instead of the drawing: return the result.
  // A text holding CR, LF or NUL would not stay one line: the run fails
  // instead.
  TTransformResult Message(std::string_view text) {
    message_.assign(text);
    return trMessage;
  }
  const std::string& MessageText() const { return message_; }

  // Attribute values forced on every entity written (emit_options.h).
  TEmitOverrides Overrides;

 private:
  friend struct detail::TRunContextMaker;
  TRunContext(TDrawing& d, const std::vector<std::string>& args, const detail::TRunThreads* threads)
      : d_(d), args_(args), threads_(threads) {}

  TDrawing& d_;
  const std::vector<std::string>& args_;
  const detail::TRunThreads* threads_;
  std::string message_;
};

using TTransformFunction = std::function<TTransformResult(TRunContext&)>;

// Runs the whole external transformation with apply as its transform step
// and returns the exit status for main: 0, or 1 when the exchange file
// could not be read or written, memory ran out, the executable's folder
// cannot be found, or apply failed (above).
// Failures are said on standard error, one line each, naming the program
// (the executable's name) and the path.
int RunExternalTransform(int argc, char** argv, const TTransformFunction& apply);

// The same for a transform type (transform.h): applies x to the records of
// the scope (argument 1).
template <class X>
  requires(!std::is_invocable_v<const X&, TRunContext&>)
int RunExternalTransform(int argc, char** argv, const X& x) {
  return RunExternalTransform(argc, argv, TTransformFunction([&x](TRunContext& run) { return run.Transform(x); }));
}

}  // namespace cadxform
