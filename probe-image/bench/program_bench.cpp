// Cost of programming a lot on several targets at once: one probe on one
// target against four probes on four, with the production engine in-process
// over the i2c-dev transport on models of the bus whose part takes a real
// write cycle after every page. The four workers share only the lot, the
// journal and the lock around the probe libraries, so four should take little
// longer than one. Prints both times and their ratio.
// Usage: probe_image_program_bench [rounds [write-cycle-ms]]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <thread>

#include "bound_library.h"
#include "encoding.h"
#include "fake_i2c_bus.h"
#include "i2c_dev_eeprom.h"
#include "library_lock.h"
#include "memory_lot_ledger.h"
#include "production_run.h"

namespace {

using access_test::FakeI2cBus;
using access_test::FakeI2cSettings;

// The model on the wall clock: its write cycle passes in real time, and the
// transport's polls really sleep.
class RealTimeBus final : public I2cDevSystem {
  public:
    explicit RealTimeBus(FakeI2cSettings settings) : bus_(std::move(settings)) {}

    int Open(const char* path) override { return bus_.Open(path); }
    void Close(int file) override { bus_.Close(file); }
    int Ioctl(int file, unsigned long request, void* argument) override {
        bus_.now = NowMicroseconds();
        return bus_.Ioctl(file, request, argument);
    }
    void SleepMicroseconds(unsigned microseconds) override {
        std::this_thread::sleep_for(std::chrono::microseconds(microseconds));
    }
    uint64_t NowMicroseconds() override {
        return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::microseconds>(
                                         std::chrono::steady_clock::now() - start_)
                                         .count());
    }

  private:
    FakeI2cBus bus_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

ProbeImageBytes Template() {
    const LibraryGuard hold(ProbeLibraryLock());
    const LibraryBinding binding(TypeCharacterOf(6));
    if (!binding.Bound()) {
        std::fprintf(stderr, "%s\n", binding.failure().c_str());
        std::exit(1);
    }
    return NewImage(binding.library(), 6,
                    ParseFieldEdits({"Serial=1", "PositionCoefficients=0,1", "ForceK=2",
                                     "ForceX0=0.5", "Gain=52"}))
        .image;
}

// Seconds to program one probe on each of the targets, all at once.
double ProgramAtOnce(int targets, unsigned writeCycleUs, const ProbeImageBytes& image,
                     const std::filesystem::path& folder, int& failed) {
    std::vector<std::unique_ptr<RealTimeBus>> buses;
    std::vector<ProductionTarget> chosen;
    for (int t = 0; t < targets; ++t) {
        FakeI2cSettings settings;
        settings.device = "/dev/i2c-" + std::to_string(t + 1);
        settings.writeCycleUs = writeCycleUs;
        buses.push_back(std::make_unique<RealTimeBus>(settings));
        chosen.push_back({"bus:" + std::to_string(t + 1),
                          std::make_unique<I2cDevEeprom>(settings.device, EepromSlaveAddress,
                                                         *buses.back(), folder.string())});
    }
    MemoryLotLedger ledger(LotDefinition{"BENCH", {1000, 1999}, "", ""});
    ProductionJournal journal(folder / "records.jsonl");
    ProductionLot lot;
    lot.templateImage = image;
    lot.ledger = &ledger;
    lot.journal = &journal;
    lot.record.command = "program";
    lot.bench = "bench";
    const auto start = std::chrono::steady_clock::now();
    const ProductionSummary summary = RunProduction(lot, chosen, {}, {});
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    failed += static_cast<int>(summary.tally.failed);
    return elapsed.count();
}

}  // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    const unsigned writeCycleMs = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 5;
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / "probe-image-program-bench";
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    const ProbeImageBytes image = Template();
    double one = 1e300, four = 1e300;
    int failed = 0;
    for (int round = 0; round < rounds; ++round) {
        one = std::min(one, ProgramAtOnce(1, writeCycleMs * 1000, image, folder, failed));
        four = std::min(four, ProgramAtOnce(4, writeCycleMs * 1000, image, folder, failed));
    }
    std::filesystem::remove_all(folder);
    if (failed != 0) {
        std::fprintf(stderr, "%d probes failed\n", failed);
        return 1;
    }
    std::printf(
        "write cycle %u ms a page: 1 probe on 1 target %.1f ms, 4 probes on 4 targets %.1f ms, "
        "ratio %.2f (fastest of %d)\n",
        writeCycleMs, one * 1000, four * 1000, four / one, rounds);
    return 0;
}
