// Number parsing: tokens per second of the tolerant readers on the tokens
// of a generated drawing.
#include <benchmark/benchmark.h>

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "micro/sample_data.h"
#include "numeric/parse_padded.h"

namespace {

using namespace cadxform;

void BM_StrToFloatOrZero(benchmark::State& state) {
  const std::vector<std::string>& tokens = bench::SampleRealTokens();
  size_t bytes = 0;
  for (const std::string& t : tokens) bytes += t.size();
  for (auto _ : state) {
    for (const std::string& t : tokens) benchmark::DoNotOptimize(StrToFloatOrZero(t));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(tokens.size()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_StrToFloatOrZero);

// The reader's variant: the same tokens, each followed by a blank and
// padding in one buffer, as the token buffer of the reader holds them.
void BM_StrToFloatOrZeroPadded(benchmark::State& state) {
  const std::vector<std::string>& tokens = bench::SampleRealTokens();
  std::string buffer;
  std::vector<std::pair<size_t, size_t>> spans;
  for (const std::string& t : tokens) {
    spans.emplace_back(buffer.size(), t.size());
    buffer += t;
    buffer += ' ';
  }
  buffer += std::string(16, ' ');
  size_t bytes = 0;
  for (const std::string& t : tokens) bytes += t.size();
  for (auto _ : state) {
    for (const auto& [at, size] : spans) {
      benchmark::DoNotOptimize(StrToFloatOrZeroPadded(std::string_view(buffer.data() + at, size)));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(tokens.size()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_StrToFloatOrZeroPadded);

void BM_StrToIntOrZero(benchmark::State& state) {
  const std::vector<std::string>& tokens = bench::SampleIntTokens();
  for (auto _ : state) {
    for (const std::string& t : tokens) benchmark::DoNotOptimize(StrToIntOrZero(t));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(tokens.size()));
}
BENCHMARK(BM_StrToIntOrZero);

}  // namespace
