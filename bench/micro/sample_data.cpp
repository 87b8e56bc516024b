// Typical inputs for the micro-benchmarks.
#include "micro/sample_data.h"

#include "format/tokenizer.h"
#include "gen/drawing_gen.h"
#include "cadxform/parse_number.h"
#include "cadxform/geometry.h"

namespace bench {

namespace {

using namespace cadxform;

constexpr int64_t kSampleEntities = 5000;
constexpr uint64_t kSampleSeed = 1;

std::vector<std::string> MakeLines() {
  const std::string file = GenerateDrawing(kSampleEntities, kSampleSeed);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < file.size()) {
    const size_t eol = file.find("\r\n", start);
    lines.emplace_back(file, start, eol - start);
    start = eol + 2;
  }
  return lines;
}

// A token that reads as a real and is written as one ("." or digits only,
// a sign at most): the reals of entity lines.
bool IsRealToken(std::string_view t) {
  if (t.empty()) return false;
  for (char c : t) {
    if (!((c >= '0' && c <= '9') || c == '.' || c == '-')) return false;
  }
  return true;
}

std::vector<std::string> MakeRealTokens() {
  std::vector<std::string> tokens;
  cadxform::TTokenLine split;
  for (const std::string& line : SampleLines()) {
    split.Split(line);
    const cadxform::TTokenView v = split.View();
    // Skip the keyword of keyword lines; a four-number line starts with a
    // number.
    for (int k = 0; k < v.Count() && k < 17; ++k) {
      const std::string_view t = v.Token(k);
      if (IsRealToken(t)) tokens.emplace_back(t);
    }
  }
  return tokens;
}

std::vector<double> MakeCoordinates() {
  std::vector<double> values;
  for (const std::string& t : SampleRealTokens()) values.push_back(StrToFloatOrZero(t));
  return values;
}

std::vector<double> MakeTransformed() {
  std::vector<double> values;
  const std::vector<double>& in = SampleCoordinates();
  for (size_t i = 0; i + 1 < in.size(); i += 2) {
    double x = 0, y = 0;
    RotateDeg(in[i] - 1000.0, in[i + 1] - 500.0, 0.0, 0.0, 30.0, x, y);
    values.push_back(x * 1.5 + 110.0);
    values.push_back(y * 1.5 + 220.0);
  }
  return values;
}

}  // namespace

const std::vector<std::string>& SampleLines() {
  static const std::vector<std::string> lines = MakeLines();
  return lines;
}

const std::vector<std::string>& SampleRealTokens() {
  static const std::vector<std::string> tokens = MakeRealTokens();
  return tokens;
}

const std::vector<std::string>& SampleIntTokens() {
  static const std::vector<std::string> tokens = {"3",  "15", "0",   "1",        "255", "-1", "100",
                                                  "5",  "2",  "9",   "16777215", "$F",  "12", "7",
                                                  "10", "4",  "-3",  "1305041",  "0x1A", "8"};
  return tokens;
}

const std::vector<double>& SampleCoordinates() {
  static const std::vector<double> values = MakeCoordinates();
  return values;
}

const std::vector<double>& SampleTransformedCoordinates() {
  static const std::vector<double> values = MakeTransformed();
  return values;
}

}  // namespace bench
