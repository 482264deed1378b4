#include "lot_report.h"

namespace {

nlohmann::ordered_json CountsJson(const ProbeCounts& counts) {
    const std::optional<double> yield = FirstPassYield(counts);
    return {{"programmed", counts.programmed},
            {"skipped", counts.skipped},
            {"failed", counts.failed},
            {"spoiled", counts.spoiled},
            {"firstPassYield", yield ? nlohmann::ordered_json(*yield) : nullptr}};
}

nlohmann::ordered_json SerialUseJson(const SerialUse& use) {
    nlohmann::ordered_json json = {{"serial", SerialText(use.serial)},
                                   {"state", StateName(use.state)},
                                   {"bench", use.bench},
                                   {"target", use.target},
                                   {"time", use.time}};
    if (use.state == SerialState::Spoiled)
        json["reason"] = use.reason;
    return json;
}

}  // namespace

nlohmann::ordered_json LotReportJson(const LotReport& report) {
    const LotStanding& standing = report.standing;
    nlohmann::ordered_json json = {
        {"lot", standing.lot.name},
        {"serials", SerialRangeText(standing.lot.serials)},
        {"template", standing.lot.templateSha256},
        {"created", standing.lot.created},
        {"source", report.source},
        {"probes", CountsJson(report.probes)},
        {"serialsUsed",
         {{"programmed", standing.programmed},
          {"spoiled", standing.spoiled},
          {"taken", standing.taken},
          {"left", standing.left}}},
    };
    json["used"] = nlohmann::ordered_json::array();
    for (const SerialUse& use : standing.used)
        json["used"].push_back(SerialUseJson(use));
    json["benches"] = nlohmann::ordered_json::array();
    for (const auto& [bench, counts] : report.benches) {
        nlohmann::ordered_json entry = {{"bench", bench}};
        entry.update(CountsJson(counts));
        entry["targets"] = nlohmann::ordered_json::array();
        for (const auto& [key, targetCounts] : report.targets)
            if (key.first == bench) {
                nlohmann::ordered_json target = {{"target", key.second}};
                target.update(CountsJson(targetCounts));
                entry["targets"].push_back(std::move(target));
            }
        json["benches"].push_back(std::move(entry));
    }
    return json;
}
