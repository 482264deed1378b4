// Cost of the position conversions: the polynomial path per call, and the table
// path per sample over a stream of samples.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "block_memory.h"
#include "conversions.h"
#include "decoder.h"
#include "probe_state.h"
#include "probe_traits.h"
#include "sample_images.h"

namespace {

constexpr int kHighestOrder = 15;
constexpr std::size_t kStreamLength = 1 << 16;

// A ready type-6 state with a position polynomial of the given order.
class ReadyProbe {
  public:
    explicit ReadyProbe(int order) {
        probe_test::ImageContents contents;
        contents.position.clear();
        double coefficient = 1.0;
        for (int k = 0; k <= order; ++k, coefficient /= (k + 1) * 100.0) {
            contents.position.push_back(static_cast<float>(coefficient));
        }
        const probe_test::Image image = probe_test::BuildImage(contents);
        ok_ = probe::DecodeImage(probe::kProbeType6, state_, image.data()) == 0;
    }
    ~ReadyProbe() { probe::ResetProbeState(state_); }
    ReadyProbe(const ReadyProbe&) = delete;
    ReadyProbe& operator=(const ReadyProbe&) = delete;

    bool ok() const { return ok_; }
    const probe::ProbeState& state() const { return state_; }

  private:
    probe::ProbeState state_{};
    bool ok_ = false;
};

void BM_GetPositionPerCall(benchmark::State& bench) {
    ReadyProbe probe(static_cast<int>(bench.range(0)));
    if (!probe.ok()) {
        bench.SkipWithError("image refused");
        return;
    }
    float raw = 0.001f;
    float result = 0.0f;
    for (auto _ : bench) {
        benchmark::DoNotOptimize(probe::GetPosition(probe.state(), raw, &result));
        benchmark::DoNotOptimize(result);
        raw += 1e-6f;
    }
    bench.SetItemsProcessed(bench.iterations());
}
BENCHMARK(BM_GetPositionPerCall)->Arg(1)->Arg(kHighestOrder);

void BM_GetPosition2PerSample(benchmark::State& bench) {
    ReadyProbe probe(kHighestOrder);
    if (!probe.ok()) {
        bench.SkipWithError("image refused");
        return;
    }
    std::mt19937 random(2026);
    std::uniform_int_distribution<int> sampleOf(-32768, 32767);
    std::vector<std::int16_t> samples(kStreamLength);
    for (auto& sample : samples)
        sample = static_cast<std::int16_t>(sampleOf(random));
    std::vector<float> positions(kStreamLength);

    for (auto _ : bench) {
        for (std::size_t i = 0; i < kStreamLength; ++i) {
            probe::GetPosition2(probe.state(), samples[i], &positions[i]);
        }
        benchmark::ClobberMemory();
    }
    bench.SetItemsProcessed(bench.iterations() * static_cast<std::int64_t>(kStreamLength));
}
BENCHMARK(BM_GetPosition2PerSample);

// The lock and unlock of the table alone: what a sample costs besides its read.
void BM_TableLockPerSample(benchmark::State& bench) {
    ReadyProbe probe(kHighestOrder);
    const ProbeBlockHandle table = probe.state().Parameters.PositionTable;
    for (auto _ : bench) {
        for (std::size_t i = 0; i < kStreamLength; ++i) {
            probe::BlockLock lock(table);
            benchmark::DoNotOptimize(lock.data());
        }
    }
    bench.SetItemsProcessed(bench.iterations() * static_cast<std::int64_t>(kStreamLength));
}
BENCHMARK(BM_TableLockPerSample);

}  // namespace
