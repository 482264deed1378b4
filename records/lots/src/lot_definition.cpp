#include <algorithm>
#include <ctime>

#include "bench_record.h"
#include "lot_ledger.h"

void RequireLotDefinition(const LotDefinition& lot) {
    RequireLotName(lot.name);
    const SerialRange& range = lot.serials;
    if (range.first < kLowestSerial || range.last > kHighestSerial || range.first > range.last)
        throw LotError("the serial range " + SerialRangeText(range) + " is not one of serials " +
                       std::to_string(kLowestSerial) + " to " + std::to_string(kHighestSerial) +
                       " in order");
    const std::string& digest = lot.templateSha256;
    if (digest.size() != 64 || digest.find_first_not_of("0123456789abcdef") != digest.npos)
        throw LotError("a template's SHA-256 is 64 lower-case hex digits, not '" + digest + "'");
}

std::string DefinitionDifference(const LotDefinition& kept, const LotDefinition& asked) {
    std::string difference;
    if (kept.serials.first != asked.serials.first || kept.serials.last != asked.serials.last) {
        difference = "its serials are ";
        difference += SerialRangeText(kept.serials);
        difference += ", not ";
        difference += SerialRangeText(asked.serials);
    }
    if (kept.templateSha256 != asked.templateSha256) {
        if (!difference.empty())
            difference += " and ";
        difference += "it is programmed from the template of SHA-256 ";
        difference += kept.templateSha256;
        difference += ", not ";
        difference += asked.templateSha256;
    }
    return difference;
}

LotStanding StandingOf(const LotDefinition& lot, std::vector<SerialUse> used) {
    std::sort(used.begin(), used.end(),
              [](const SerialUse& a, const SerialUse& b) { return a.serial < b.serial; });
    LotStanding standing;
    standing.lot = lot;
    for (const SerialUse& use : used) {
        standing.programmed += use.state == SerialState::Programmed;
        standing.spoiled += use.state == SerialState::Spoiled;
        standing.taken += use.state == SerialState::Taken;
    }
    standing.left = lot.serials.size() - static_cast<long>(used.size());
    standing.used = std::move(used);
    return standing;
}

std::string LotTimeNow() {
    return UtcTimeText(static_cast<long long>(std::time(nullptr)));
}
