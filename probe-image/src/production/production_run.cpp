#include "production_run.h"

#include <algorithm>
#include <mutex>
#include <thread>

#include "eeprom_choice.h"
#include "platform_sleep.h"
#include "tool_error.h"

namespace {

// Presence reads are made this often while a wait checks for a stop.
constexpr unsigned kStopCheckMilliseconds = 20;

class Workers {
  public:
    Workers(const ProductionLot& lot, const ProductionSettings& settings,
            const ProductionEvents& events)
        : lot_(lot), settings_(settings), events_(events) {}

    void Work(ProductionTarget& target);
    ProductionSummary Summary() const { return {tally_, 0, firstExit_}; }

  private:
    bool Stopping() const {
        return halted_ || (settings_.stop != nullptr && settings_.stop->load());
    }
    void Emit(const ProductionEvent& event, const ProbeResult* result = nullptr);
    void ProgramOne(ProductionTarget& target);
    // Waits until the target's probe answers (present) or stops answering; false
    // when a stop came first.
    bool AwaitPresence(ProbeEeprom& eeprom, bool present);

    const ProductionLot& lot_;
    const ProductionSettings& settings_;
    const ProductionEvents& events_;
    std::mutex lock_;
    ProductionTally tally_;
    int firstExit_ = ExitSuccess;
    std::atomic<bool> halted_{false};
};

void Workers::Emit(const ProductionEvent& event, const ProbeResult* result) {
    const std::lock_guard<std::mutex> hold(lock_);
    if (result != nullptr) {
        if (result->outcome == ProbeOutcome::Programmed)
            ++tally_.programmed;
        else if (result->outcome == ProbeOutcome::Skipped)
            ++tally_.skipped;
        else
            ++tally_.failed;
        if (result->exit != ExitSuccess && firstExit_ == ExitSuccess)
            firstExit_ = result->exit;
        if (result->journalFailed || result->lotUsedUp)
            halted_ = true;
    }
    if (events_)
        events_(event, tally_);
}

void Workers::ProgramOne(ProductionTarget& target) {
    const ProbeResult result = ProgramProbe(lot_, *target.eeprom, target.name, [&](long serial) {
        Emit({ProductionEventKind::Start, target.name, serial, 0, {}, 0});
    });
    const ProductionEventKind kind =
        result.outcome == ProbeOutcome::Programmed ? ProductionEventKind::Ok
        : result.outcome == ProbeOutcome::Skipped  ? ProductionEventKind::Skip
                                                   : ProductionEventKind::Fail;
    Emit({kind, target.name, result.serial, result.exit, result.reason, result.seconds}, &result);
}

bool Workers::AwaitPresence(ProbeEeprom& eeprom, bool present) {
    for (;;) {
        char type[2] = {};
        if ((eeprom.ReadProbeType(type) == BridgeSuccess) == present)
            return true;
        for (unsigned waited = 0; waited < settings_.pollMilliseconds;
             waited += kStopCheckMilliseconds) {
            if (Stopping())
                return false;
            PlatformSleep(std::min(kStopCheckMilliseconds, settings_.pollMilliseconds - waited));
        }
        if (Stopping())
            return false;
    }
}

void Workers::Work(ProductionTarget& target) {
    if (!settings_.continuous) {
        ProgramOne(target);
        return;
    }
    while (!Stopping()) {
        Emit({ProductionEventKind::Waiting, target.name, {}, 0, {}, 0});
        if (!AwaitPresence(*target.eeprom, true))
            return;
        ProgramOne(target);
        if (!AwaitPresence(*target.eeprom, false))
            return;
        Emit({ProductionEventKind::Removed, target.name, {}, 0, {}, 0});
    }
}

}  // namespace

void RequireTargetsAnswer(std::vector<ProductionTarget>& targets, bool adaptersOnly) {
    std::string silent;
    for (ProductionTarget& target : targets) {
        char type[2] = {};
        const int status = target.eeprom->ReadProbeType(type);
        const bool answers =
            status == BridgeSuccess || (adaptersOnly && status == ProbeNotConnected);
        if (!answers)
            silent += (silent.empty() ? "" : "; ") + target.name + ": " +
                      EepromFailure(*target.eeprom, status);
    }
    if (silent.empty())
        return;
    std::string message =
        adaptersOnly ? "not every target's adapter answers (" : "not every target answers (";
    message += silent;
    message += "); nothing was written and no serial taken";
    throw ToolError(ExitBridge, message);
}

ProductionSummary RunProduction(const ProductionLot& lot, std::vector<ProductionTarget>& targets,
                                const ProductionSettings& settings,
                                const ProductionEvents& events) {
    Workers workers(lot, settings, events);
    std::vector<std::thread> threads;
    for (ProductionTarget& target : targets)
        threads.emplace_back([&workers, &target] { workers.Work(target); });
    for (std::thread& thread : threads)
        thread.join();
    ProductionSummary summary = workers.Summary();
    try {
        summary.serialsLeft = lot.ledger->Standing().left;
    } catch (const LotError&) {
        summary.serialsLeft = -1;
    }
    return summary;
}
