// Google Benchmark: the fit command on 10,000 measurements, at order 15 and with
// the order chosen.
#include <benchmark/benchmark.h>

#include "fit_bench_inputs.h"

namespace {

const std::filesystem::path& Measurements() {
    static const std::filesystem::path file = probe_image_bench::MeasurementsFile();
    return file;
}

void Fit(benchmark::State& state, const std::string& order) {
    for (auto _ : state)
        if (probe_image_bench::RunFit(Measurements(), order) != 0)
            state.SkipWithError("fit failed");
}

void FitOrder15(benchmark::State& state) {
    Fit(state, std::to_string(probe_image_bench::kHighestOrder));
}
BENCHMARK(FitOrder15)->Unit(benchmark::kMillisecond);

void FitOrderChosen(benchmark::State& state) {
    Fit(state, "auto");
}
BENCHMARK(FitOrderChosen)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!probe_image_bench::ReportFit(Measurements()))
        return 1;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
