// Fuzz target: arbitrary bytes through the whole tool, in memory.
//
// The first line of the input is the command line (split by the tool's own
// rule, so it picks the scope, the transformation and the destination
// points); the rest is the exchange file. The target reads it, runs the
// chosen transformation and emits the output, then checks:
//   - the output's shape: CR LF line ends only, no bare CR or LF, lines of at
//     most 255 bytes (510 for a text header joined with its text);
//   - the round trip: reading the output back and writing it again with a
//     zero translation reaches a fixed point within a few passes. It need not
//     be the first pass: a text cut inside a double-byte character loses the
//     lone lead byte when read back, a value written as exactly 1E-8 is then
//     dropped, and the attribute lines of entities the writer dropped move
//     the first-seen layer group and layer that the closing lines restore.
// Any failed check aborts, which the fuzzer reports.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/cmdline.h"
#include "app/run.h"
#include "run/command_line.h"
#include "app/transforms.h"
#include "cadxform/drawing.h"
#include "format/parse_line.h"
#include "format/reader_lines.h"
#include "format/write_state.h"

namespace {

// Passes allowed before the output must repeat itself.
constexpr int kMaxPasses = 5;

void Fail(const char* what) {
  std::fprintf(stderr, "fuzz check failed: %s\n", what);
  std::abort();
}

void ReadBytes(cadxform::TDrawing& d, std::string_view bytes) {
  cadxform::TReadState r(d);
  cadxform::TLineAssembler lines;
  auto parse = [&](std::string_view line) { cadxform::ParseLine(d, r, line); };
  if (lines.Feed(bytes.data(), bytes.size(), parse)) lines.Finish(parse);
}

// One full pass: read, reset, transform, and return the queued output.
std::string RunPass(std::string_view exchange, const std::vector<std::string>* args) {
  cadxform::TDrawing d;
  ReadBytes(d, exchange);
  cadxform::TWriteState w;
  cadxform::ResetAttrState(w, d);
  if (args != nullptr) {
    cadxform::DispatchCommandLine(*args, d, w);
  } else {
    // No "hp" lines are written: offset 0.
    cadxform::QueueTransformOutput(d, w, cadxform::MoveAll(d, true, 0.0, 0.0));
  }
  return w.Out.Bytes();
}

void CheckShape(const std::string& out) {
  size_t start = 0;
  while (start < out.size()) {
    const size_t cr = out.find('\r', start);
    const size_t lf = out.find('\n', start);
    if (cr == std::string::npos) {
      // Only a final text header may end the file without CR LF.
      if (lf != std::string::npos) Fail("bare LF");
      if (out.size() - start > cadxform::kOutLineMax) Fail("final header longer than 255 bytes");
      return;
    }
    if (lf != cr + 1) Fail("CR without LF or LF without CR");
    if (cr - start > 2 * cadxform::kOutLineMax) Fail("line longer than a header and its text");
    start = lf + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view all(reinterpret_cast<const char*>(data), size);
  const size_t eol = all.find('\n');
  const std::string_view head = eol == std::string_view::npos ? all : all.substr(0, eol);
  const std::string_view exchange = eol == std::string_view::npos ? std::string_view() : all.substr(eol + 1);
  std::vector<std::string> args = cadxform::SplitCommandLine(head);
  if (args.size() > 6) args.resize(6);

  std::string previous = RunPass(exchange, &args);
  CheckShape(previous);
  for (int pass = 2; pass <= kMaxPasses; ++pass) {
    std::string next = RunPass(previous, nullptr);
    CheckShape(next);
    if (next == previous) return 0;
    if (pass == kMaxPasses) {
      if (std::getenv("CADXFORM_FUZZ_DUMP") != nullptr) {
        std::fprintf(stderr, "--- pass %d:\n%s\n--- pass %d:\n%s\n", pass - 1, previous.c_str(), pass,
                     next.c_str());
      }
      Fail("output not stable when read back and written again");
    }
    previous = std::move(next);
  }
  return 0;
}
