// A plain timing loop where Google Benchmark is not at hand (the Windows build):
// ProbeInit's table against the naive pow table, in one run.
// Usage: probe_bench [rounds]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench_inputs.h"
#include "polynomial.h"

namespace {

// The fastest of the rounds, in milliseconds.
template <typename Work>
double FastestMilliseconds(int rounds, Work work) {
    double best = 1e300;
    for (int i = 0; i < rounds; ++i) {
        auto start = std::chrono::steady_clock::now();
        work();
        std::chrono::duration<double, std::milli> elapsed =
            std::chrono::steady_clock::now() - start;
        best = std::min(best, elapsed.count());
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 20;
    if (!probe_bench::ReportTableComparison())
        return 1;

    const probe_test::Image& image = probe_bench::Order15Image();
    const std::vector<float>& c = probe_bench::Order15Coefficients();
    std::vector<float> naive(probe::kPositionTableSize);
    double init = FastestMilliseconds(rounds, [&] { probe_bench::DecodeTable(image); });
    double pow = FastestMilliseconds(
        rounds, [&] { probe_bench::NaivePowTable(c.data(), 15, naive.data()); });
    std::printf("ProbeInit, order 15:      %8.3f ms (fastest of %d)\n", init, rounds);
    std::printf("naive pow table, order 15: %8.3f ms (fastest of %d)\n", pow, rounds);
    std::printf("speed-up: %.2fx\n", pow / init);
    return 0;
}
