#include <vector>

#include "lot_report.h"
#include "record_text.h"

namespace {

std::string CountsText(const ProbeCounts& counts) {
    std::string text = std::to_string(counts.programmed) + " programmed, ";
    text += std::to_string(counts.skipped) + " skipped, ";
    text += std::to_string(counts.failed) + " failed";
    if (counts.failed != counts.spoiled)
        text +=
            " (" + std::to_string(counts.failed - counts.spoiled) + " before a serial was taken)";
    return text;
}

std::vector<std::string> CountCells(const ProbeCounts& counts) {
    return {std::to_string(counts.programmed), std::to_string(counts.skipped),
            std::to_string(counts.failed), YieldText(counts)};
}

}  // namespace

void PrintLotReport(const LotReport& report, std::ostream& out) {
    const LotStanding& standing = report.standing;
    const LotDefinition& lot = standing.lot;
    out << "lot " << lot.name << ": serials " << SerialRangeText(lot.serials) << " ("
        << lot.serials.size() << "), template " << lot.templateSha256 << "\n";
    out << "from " << report.source << "\n";
    if (!report.firstTime.empty())
        out << "records from " << report.firstTime << " to " << report.lastTime << "\n";
    out << "probes: " << CountsText(report.probes) << "; first-pass yield "
        << YieldText(report.probes) << "\n";
    out << "serials: " << standing.programmed << " programmed, " << standing.spoiled << " spoiled, "
        << standing.taken << " taken without a result, " << standing.left << " left\n";

    std::vector<std::vector<std::string>> spoiled{{"SERIAL", "BENCH", "TARGET", "TIME", "REASON"}};
    for (const SerialUse& use : standing.used)
        if (use.state == SerialState::Spoiled || use.state == SerialState::Taken)
            spoiled.push_back(
                {SerialText(use.serial), use.bench, use.target, use.time,
                 use.state == SerialState::Spoiled ? use.reason : "taken, no result"});
    if (spoiled.size() > 1) {
        out << "\nserials spoiled or without a result:\n";
        PrintTable(spoiled, out);
    }

    if (report.benches.empty())
        return;
    std::vector<std::vector<std::string>> rows{
        {"BENCH", "TARGET", "PROGRAMMED", "SKIPPED", "FAILED", "FIRST-PASS YIELD"}};
    for (const auto& [bench, counts] : report.benches) {
        std::vector<std::string> row{bench, "(all)"};
        for (std::string& cell : CountCells(counts))
            row.push_back(std::move(cell));
        rows.push_back(std::move(row));
        for (const auto& [key, targetCounts] : report.targets) {
            if (key.first != bench)
                continue;
            std::vector<std::string> targetRow{"", key.second};
            for (std::string& cell : CountCells(targetCounts))
                targetRow.push_back(std::move(cell));
            rows.push_back(std::move(targetRow));
        }
    }
    out << "\nper bench and target:\n";
    PrintTable(rows, out);
}
