// A plain timing loop where Google Benchmark is not at hand (the Windows build):
// the fit command on 10,000 measurements at order 15.
// Usage: probe_image_bench [rounds]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "fit_bench_inputs.h"

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const std::filesystem::path measurements = probe_image_bench::MeasurementsFile();
    if (!probe_image_bench::ReportFit(measurements))
        return 1;
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        const auto start = std::chrono::steady_clock::now();
        if (probe_image_bench::RunFit(measurements,
                                      std::to_string(probe_image_bench::kHighestOrder)) != 0)
            return 1;
        const std::chrono::duration<double, std::milli> elapsed =
            std::chrono::steady_clock::now() - start;
        best = std::min(best, elapsed.count());
    }
    std::printf("fit of %d measurements at order %d: %.1f ms (fastest of %d)\n",
                probe_image_bench::kMeasurements, probe_image_bench::kHighestOrder, best, rounds);
    return 0;
}
