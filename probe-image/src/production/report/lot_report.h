// A production lot at a glance: the probes its records tell of (programmed,
// skipped, failed; per bench and per target) beside its serials as its ledger
// keeps them (used, spoiled, left), rendered as text or as JSON.
#pragma once

#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <utility>

#include <nlohmann/json.hpp>

#include "lot_ledger.h"

struct ProbeCounts {
    long programmed = 0, skipped = 0, failed = 0;
    long spoiled = 0;  // of the failed, those that had taken a serial, now spoiled
};

// First-pass yield: the share of the probes written that passed, programmed /
// (programmed + spoiled). A probe tried again after a failure counts once failed
// and once programmed; a probe skipped, or failed before it took a serial (the
// lot used up, a probe that did not read), was not written. Nothing when none
// was written.
std::optional<double> FirstPassYield(const ProbeCounts& counts);
// "95.5 %" (rounded half up to a tenth); "-" when none was written.
std::string YieldText(const ProbeCounts& counts);

struct LotReport {
    LotStanding standing;
    std::string source;  // where the records and the ledger were read, in words
    ProbeCounts probes;
    std::map<std::string, ProbeCounts> benches;
    std::map<std::pair<std::string, std::string>, ProbeCounts> targets;  // (bench, target)
    std::string firstTime, lastTime;  // of the lot's first and last record
};

// Adds one journal record to the report when it is one of the lot's (command
// "program", production.lot the lot's name); other records are passed over.
void CountLotRecord(LotReport& report, const nlohmann::ordered_json& record);

void PrintLotReport(const LotReport& report, std::ostream& out);
nlohmann::ordered_json LotReportJson(const LotReport& report);
