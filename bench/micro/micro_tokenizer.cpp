// Splitting lines into tokens: lines per second over the lines of a
// generated drawing (entity, attribute, text and marker lines in their
// usual mix).
#include <benchmark/benchmark.h>

#include "format/tokenizer.h"
#include "micro/sample_data.h"

namespace {

using namespace cadxform;

void BM_TokenLineSplit(benchmark::State& state) {
  const std::vector<std::string>& lines = bench::SampleLines();
  size_t bytes = 0;
  for (const std::string& l : lines) bytes += l.size();
  cadxform::TTokenLine split;
  for (auto _ : state) {
    for (const std::string& l : lines) benchmark::DoNotOptimize(split.Split(l));
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(lines.size()));
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes));
}
BENCHMARK(BM_TokenLineSplit);

}  // namespace
