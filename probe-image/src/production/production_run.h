// A production run: one worker per target, each on its own EEPROM, programming
// the probes of one lot. Once, each target's probe; or continuously, each
// target's probes as they are put in and taken out, until a stop is requested.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "probe_programming.h"

struct ProductionTarget {
    std::string name;  // "bus:7", "eeprom:FILE", "simulated", "bridge"
    std::unique_ptr<ProbeEeprom> eeprom;
};

enum class ProductionEventKind {
    Start,    // a serial taken, the write begins
    Ok,       // programmed
    Skip,     // it held the lot's image already
    Fail,     // not programmed
    Waiting,  // continuous: waiting for a probe on the target
    Removed,  // continuous: the probe was taken out
};

struct ProductionEvent {
    ProductionEventKind kind;
    std::string target;
    std::optional<long> serial;
    int exit = 0;
    std::string reason;
    double seconds = 0;
};

struct ProductionTally {
    long programmed = 0, skipped = 0, failed = 0;
    long Done() const { return programmed + skipped + failed; }
};

// Called from the workers, one call at a time, with the tally after the event.
using ProductionEvents = std::function<void(const ProductionEvent&, const ProductionTally&)>;

struct ProductionSettings {
    bool continuous = false;
    unsigned pollMilliseconds = 1000;         // between two presence reads (continuous)
    const std::atomic<bool>* stop = nullptr;  // continuous: set to end the run
};

struct ProductionSummary {
    ProductionTally tally;
    long serialsLeft = 0;
    int exit = 0;  // of the first probe that failed; 0 when none did
};

// Throws ToolError(ExitBridge) naming every target whose probe does not answer a
// read of its type; with adaptersOnly, every target whose adapter (or file) is
// not there, whether a probe answers or not. Touches nothing else.
void RequireTargetsAnswer(std::vector<ProductionTarget>& targets, bool adaptersOnly = false);

// Runs the workers and waits for them all. A journal that cannot be written or
// a lot used up stops every worker after its probe.
ProductionSummary RunProduction(const ProductionLot& lot, std::vector<ProductionTarget>& targets,
                                const ProductionSettings& settings, const ProductionEvents& events);
