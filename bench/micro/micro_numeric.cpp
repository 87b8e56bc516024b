// Number parsing: tokens per second of the tolerant readers on the tokens
// of a generated drawing.
#include <benchmark/benchmark.h>

#include "micro/sample_data.h"
#include "numeric/myfunc.h"

namespace {

void BM_StrToFloatOrZero(benchmark::State& state) {
  const std::vector<std::string>& tokens = bench::SampleRealTokens();
  size_t bytes = 0;
  for (const std::string& t : tokens) bytes += t.size();
  for (auto _ : state) {
    for (const std::string& t : tokens) benchmark::DoNotOptimize(myfunc::StrToFloatOrZero(t));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(tokens.size()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_StrToFloatOrZero);

void BM_StrToIntOrZero(benchmark::State& state) {
  const std::vector<std::string>& tokens = bench::SampleIntTokens();
  for (auto _ : state) {
    for (const std::string& t : tokens) benchmark::DoNotOptimize(myfunc::StrToIntOrZero(t));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(tokens.size()));
}
BENCHMARK(BM_StrToIntOrZero);

}  // namespace
