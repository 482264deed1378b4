// Google Benchmark: ProbeInit's table against the naive pow table, in one run.
#include <benchmark/benchmark.h>

#include <vector>

#include "bench_inputs.h"
#include "polynomial.h"

namespace {

void ProbeInitOrder15(benchmark::State& state) {
    const probe_test::Image& image = probe_bench::Order15Image();
    for (auto _ : state) {
        benchmark::DoNotOptimize(probe_bench::DecodeTable(image));
        benchmark::ClobberMemory();
    }
}
BENCHMARK(ProbeInitOrder15)->Unit(benchmark::kMillisecond);

void NaivePowTableOrder15(benchmark::State& state) {
    const std::vector<float>& c = probe_bench::Order15Coefficients();
    std::vector<float> table(probe::kPositionTableSize);
    for (auto _ : state) {
        probe_bench::NaivePowTable(c.data(), 15, table.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(NaivePowTableOrder15)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!probe_bench::ReportTableComparison())
        return 1;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
