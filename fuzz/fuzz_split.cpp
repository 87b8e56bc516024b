// Differential fuzz target: every input through the two-thread paths, with
// sizes so small that a few lines take them, against everything on one
// thread.
//
// Input: four bytes that choose the sizes (TinyPolicy), then, as for
// fuzz_exchange, a first line with the command line and the exchange file.
// The exchange file is written to a scratch folder and
//   1. read with both policies: the drawings must be equal in every record,
//      field, text, header value, indicated point and block reference;
//   2. transformed as the command line says with both policies: the
//      drawings must still be equal and the queued output the same bytes;
//   3. run through the whole run sequence (RunTool) with both policies,
//      each on a copy of the file in a folder of its own: the exit status
//      and the rewritten files must be the same.
// Any difference aborts, which the fuzzer reports.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "app/cmdline.h"
#include "app/run.h"
#include "run/command_line.h"
#include "cadxform/drawing.h"
#include "format/write_state.h"
#include "drawing_compare.h"
#include "parallel/path_policy.h"
#include "files/read_file.h"
#include "format/parse_line.h"
#include "platform/file_system.h"

namespace {

namespace fs = std::filesystem;
using cadxform::TPathPolicy;

void Fail(const char* what, const std::string& detail) {
  std::fprintf(stderr, "fuzz_split: %s %s\n", what, detail.c_str());
  std::abort();
}

// Sizes from four bytes: read chunks of 1 to 64 bytes, batches of 1 to 8
// lines or 1 to 497 token bytes, entity thresholds of 0 to 3, segments of 1
// to 8 entities, and any cut of the record arrays from 0/4 to 4/4.
TPathPolicy TinyPolicy(const uint8_t* k) {
  TPathPolicy p;
  p.ReadChunk = 1 + k[0] % 64;
  p.BatchLines = 1 + k[1] % 8;
  p.BatchBytes = 1 + size_t{16} * (k[1] >> 3);
  p.TwoThreadPassFrom = k[2] % 4;
  p.SplitEmissionFrom = (k[2] >> 2) % 4;
  p.ReleaseAsideFrom = (k[2] >> 4) % 4;
  p.SegmentEntities = 1 + k[3] % 8;
  p.PassCutNum = (k[3] >> 3) % 5;
  p.PassCutDen = 4;
  return p;
}

// A scratch folder of this process (fuzzing jobs run side by side), with
// the two run folders inside; made on first use, removed at exit.
struct TScratch {
  fs::path Dir;
  TScratch()
      : Dir(fs::temp_directory_path() /
            ("cadxform_fuzz_split_" + std::to_string(cadxform::platform::CurrentProcessId()))) {
    fs::create_directories(Dir / "one");
    fs::create_directories(Dir / "two");
  }
  ~TScratch() {
    std::error_code ignored;
    fs::remove_all(Dir, ignored);
  }
};

const fs::path& ScratchDir() {
  static const TScratch scratch;
  return scratch.Dir;
}

void WriteFile(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) Fail("cannot write", path.string());
}

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void ExpectSameDrawing(const cadxform::TDrawing& one, const cadxform::TDrawing& two, const char* when) {
  const std::string diff = cadxform::DrawingDifference(one, two);
  if (!diff.empty()) Fail(when, diff);
}

// Steps 1 and 2: read the file at path and transform it with each policy.
void CompareReadAndTransform(const fs::path& path, const std::vector<std::string>& args,
                             const TPathPolicy& tiny) {
  cadxform::TDrawing one, two;
  const bool readOne = cadxform::ReadExchangeFile(path, one, TPathPolicy::OneThread());
  const bool readTwo = cadxform::ReadExchangeFile(path, two, tiny);
  if (readOne != readTwo) Fail("read results differ", "");
  ExpectSameDrawing(one, two, "drawings differ after reading:");
  cadxform::TWriteState w1, w2;
  cadxform::ResetAttrState(w1, one);
  cadxform::ResetAttrState(w2, two);
  cadxform::DispatchCommandLine(args, one, w1, {}, TPathPolicy::OneThread());
  cadxform::DispatchCommandLine(args, two, w2, {}, tiny);
  ExpectSameDrawing(one, two, "drawings differ after the transform:");
  if (w1.Out.Bytes() != w2.Out.Bytes()) Fail("queued outputs differ", "");
}

// Step 3: the whole run sequence in two folders.
void CompareRuns(std::string_view exchange, const std::vector<std::string>& args,
                 const TPathPolicy& tiny) {
  const fs::path one = ScratchDir() / "one", two = ScratchDir() / "two";
  WriteFile(one / cadxform::kExchangeFileName, exchange);
  WriteFile(two / cadxform::kExchangeFileName, exchange);
  std::FILE* errors = std::tmpfile();
  const int statusOne = cadxform::RunTool(args, one, errors, {}, TPathPolicy::OneThread());
  const int statusTwo = cadxform::RunTool(args, two, errors, {}, tiny);
  if (errors != nullptr) std::fclose(errors);
  if (statusOne != statusTwo) Fail("exit statuses differ", "");
  if (ReadFile(one / cadxform::kExchangeFileName) != ReadFile(two / cadxform::kExchangeFileName)) {
    Fail("rewritten files differ", "");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 4) return 0;
  const TPathPolicy tiny = TinyPolicy(data);
  const std::string_view all(reinterpret_cast<const char*>(data) + 4, size - 4);
  const size_t eol = all.find('\n');
  const std::string_view head = eol == std::string_view::npos ? all : all.substr(0, eol);
  const std::string_view exchange = eol == std::string_view::npos ? std::string_view() : all.substr(eol + 1);
  std::vector<std::string> args = cadxform::SplitCommandLine(head);
  if (args.size() > 6) args.resize(6);

  const fs::path input = ScratchDir() / "input.txt";
  WriteFile(input, exchange);
  CompareReadAndTransform(input, args, tiny);
  CompareRuns(exchange, args, tiny);
  return 0;
}
