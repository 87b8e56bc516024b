// The real form of output lines: values per second, for the short
// coordinates a translation writes back and for the full-precision values
// a rotation and scaling leave.
#include <benchmark/benchmark.h>

#include "numeric/number_forms.h"
#include "micro/sample_data.h"

namespace {

using namespace cadxform;

void RunRealForm(benchmark::State& state, const std::vector<double>& values) {
  char buf[cadxform::kNumberFormMax];
  int64_t bytes = 0;
  for (auto _ : state) {
    for (double v : values) {
      char* end = cadxform::AppendRealForm(buf, v);
      bytes += end - buf;
      benchmark::DoNotOptimize(buf);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(values.size()));
  state.SetBytesProcessed(bytes);
}

void BM_AppendRealForm_Drawing(benchmark::State& state) { RunRealForm(state, bench::SampleCoordinates()); }
BENCHMARK(BM_AppendRealForm_Drawing);

void BM_AppendRealForm_Transformed(benchmark::State& state) {
  RunRealForm(state, bench::SampleTransformedCoordinates());
}
BENCHMARK(BM_AppendRealForm_Transformed);

}  // namespace
