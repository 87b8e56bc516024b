// Nanoseconds per number of the number parser and the real form, without
// Google Benchmark, so that the same program runs natively and as the
// Windows exe under Wine (the 32-bit build's code is timed as it runs).
//
//   cadxform_number_timing [rounds [parse|format|drawing|moved|turned]]
//
// Each routine runs over the sample tokens or values `rounds` times (default
// 200); the best of several passes is printed, which is the least disturbed
// by other work on the machine. A checksum of the results is printed too, so
// that two builds can be seen to compute the same.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "numeric/parse_padded.h"
#include "numeric/number_forms.h"
#include "micro/sample_data.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kPasses = 7;

// The tokens in one buffer, each followed by a blank, with padding after
// the last, as the reader's token buffers hold them.
struct TPaddedTokens {
  std::string Buffer;
  std::vector<std::pair<size_t, size_t>> Spans;
};

TPaddedTokens MakePadded(const std::vector<std::string>& tokens) {
  TPaddedTokens p;
  for (const std::string& t : tokens) {
    p.Spans.emplace_back(p.Buffer.size(), t.size());
    p.Buffer += t;
    p.Buffer += ' ';
  }
  p.Buffer += std::string(16, ' ');
  return p;
}

// Best time per item in ns over kPasses passes of `rounds` runs of work(),
// which handles `items` items per run.
template <typename Work>
double BestNsPerItem(int rounds, size_t items, Work&& work) {
  double best = 1e300;
  for (int pass = 0; pass < kPasses; ++pass) {
    const auto start = Clock::now();
    for (int r = 0; r < rounds; ++r) work();
    const std::chrono::duration<double, std::nano> took = Clock::now() - start;
    best = std::min(best, took.count() / (static_cast<double>(rounds) * static_cast<double>(items)));
  }
  return best;
}

// Adds the bits of v to sum: cheap on both targets, so that the checksum
// costs little of the time measured.
uint64_t Mix(uint64_t sum, uint64_t v) { return sum + v; }

uint64_t BitsOf(double v) {
  uint64_t b = 0;
  std::memcpy(&b, &v, sizeof b);
  return b;
}

void TimeParse(int rounds) {
  const std::vector<std::string>& tokens = bench::SampleRealTokens();
  const TPaddedTokens padded = MakePadded(tokens);
  uint64_t sum = 0;
  const double plain = BestNsPerItem(rounds, tokens.size(), [&] {
    for (const std::string& t : tokens) sum = Mix(sum, BitsOf(cadxform::StrToFloatOrZero(t)));
  });
  const double pad = BestNsPerItem(rounds, tokens.size(), [&] {
    for (const auto& [at, size] : padded.Spans) {
      sum = Mix(sum, BitsOf(cadxform::StrToFloatOrZeroPadded(std::string_view(padded.Buffer.data() + at, size))));
    }
  });
  std::printf("parse    StrToFloatOrZero        %7.2f ns/number\n", plain);
  std::printf("parse    StrToFloatOrZeroPadded  %7.2f ns/number\n", pad);
  std::printf("parse    checksum %016llx\n", static_cast<unsigned long long>(sum));
}

void TimeFormat(int rounds, const char* name, const std::vector<double>& values) {
  char buf[cadxform::kNumberFormMax];
  uint64_t sum = 0;
  const double ns = BestNsPerItem(rounds, values.size(), [&] {
    for (double v : values) {
      const char* end = cadxform::AppendRealForm(buf, v);
      uint64_t head = 0;
      std::memcpy(&head, buf, sizeof head);
      sum = Mix(sum, head + static_cast<uint64_t>(end - buf));
    }
  });
  std::printf("format   AppendRealForm %-9s %7.2f ns/number  checksum %016llx\n", name, ns,
              static_cast<unsigned long long>(sum));
}

// The sample values moved as the translation 110, 220 moves them: sums of
// two short decimals, which are often not the double nearest to their
// decimal sum.
std::vector<double> MovedCoordinates() {
  std::vector<double> moved = bench::SampleCoordinates();
  for (size_t i = 0; i < moved.size(); ++i) moved[i] += i % 2 == 0 ? 110.0 : 220.0;
  return moved;
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
  std::printf("%d-bit build, %zu tokens, %zu values, best of %d passes of %d rounds\n",
              static_cast<int>(sizeof(void*) * 8), bench::SampleRealTokens().size(),
              bench::SampleCoordinates().size(), kPasses, rounds);
  const std::string_view only = argc > 2 ? argv[2] : "";
  const bool all = only.empty();
  if (all || only == "parse") TimeParse(rounds);
  if (all || only == "format" || only == "drawing") TimeFormat(rounds, "drawing", bench::SampleCoordinates());
  if (all || only == "format" || only == "moved") TimeFormat(rounds, "moved", MovedCoordinates());
  if (all || only == "format" || only == "turned") TimeFormat(rounds, "turned", bench::SampleTransformedCoordinates());
  return 0;
}
