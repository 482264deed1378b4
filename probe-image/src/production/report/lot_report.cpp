#include "lot_report.h"

#include "record_text.h"

std::optional<double> FirstPassYield(const ProbeCounts& counts) {
    const long written = counts.programmed + counts.spoiled;
    if (written == 0)
        return std::nullopt;
    return static_cast<double>(counts.programmed) / static_cast<double>(written);
}

std::string YieldText(const ProbeCounts& counts) {
    const long long written = counts.programmed + counts.spoiled;
    if (written == 0)
        return "-";
    // Tenths of a percent in integers, so that every build rounds alike.
    const long long tenths = (counts.programmed * 2000LL + written) / (2 * written);
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " %";
}

void CountLotRecord(LotReport& report, const nlohmann::ordered_json& record) {
    if (FieldText(record, "command") != "program" || !record.contains("production"))
        return;
    const nlohmann::ordered_json& production = record["production"];
    if (FieldText(production, "lot") != report.standing.lot.name)
        return;
    const std::string outcome = FieldText(production, "outcome");
    long ProbeCounts::*counter = outcome == "programmed" ? &ProbeCounts::programmed
                                 : outcome == "skipped"  ? &ProbeCounts::skipped
                                 : outcome == "failed"   ? &ProbeCounts::failed
                                                         : nullptr;
    if (counter == nullptr)  // a run refused before it reached a probe
        return;
    const std::string bench = FieldText(record, "host");
    const bool spoiled = !FieldText(production, "spoiled").empty();
    for (ProbeCounts* counts : {&report.probes, &report.benches[bench],
                                &report.targets[{bench, FieldText(production, "target")}]}) {
        ++(counts->*counter);
        counts->spoiled += spoiled ? 1 : 0;
    }
    const std::string time = FieldText(record, "time");
    if (report.firstTime.empty() || time < report.firstTime)
        report.firstTime = time;
    if (time > report.lastTime)
        report.lastTime = time;
}
