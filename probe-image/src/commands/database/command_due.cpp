// probe-image due: the probes whose calibration runs out within some months, by
// the last image each probe was left with on any bench.
#include <CLI/CLI.hpp>

#include <algorithm>

#include "calibration_period.h"
#include "command.h"
#include "commands.h"
#include "database_commands.h"
#include "database_session.h"
#include "lab_queries.h"
#include "local_clock.h"
#include "record_text.h"
#include "tool_error.h"

namespace {

using Json = nlohmann::ordered_json;

// Every probe library presets CalibrationMonths to this: a probe is calibrated
// through the sixth month after its calibration month.
constexpr int kCalibrationPeriodMonths = 6;

struct DueOptions {
    std::string dsn;
    int within = 1;
};

struct DueProbe {
    std::string serial;
    std::string type;
    std::string calibrationDate;  // YYMM
    int monthsLeft = 0;           // calibrated months after this one; negative: run out
    std::string runsOut;          // "YYYY-MM"
    std::string bench;
    std::string seen;  // the time of the record
};

// The image a record says the probe was left with: what was read back or written
// by a write that succeeded, else what a read or a status found.
const Json* ImageLeft(const Json& record) {
    const auto asLeft = record.find("asLeft");
    const bool readBack = record.value("asLeftReadBack", false);
    if (asLeft != record.end() && asLeft->is_object() &&
        (readBack || FieldText(record, "exit") == "0"))
        return &*asLeft;
    const auto asFound = record.find("asFound");
    if (asFound != record.end() && asFound->is_object() && FieldText(record, "command") != "write")
        return &*asFound;
    return nullptr;
}

std::string MonthText(long long monthIndex) {
    const long long year = monthIndex / 12;
    const long long month = monthIndex % 12 + 1;
    return std::to_string(year) + "-" + (month < 10 ? "0" : "") + std::to_string(month);
}

void PrintDue(const std::vector<DueProbe>& probes, std::ostream& out) {
    std::vector<std::vector<std::string>> rows = {
        {"SERIAL", "TYPE", "CALIBRATED", "RUNS OUT", "MONTHS LEFT", "BENCH", "LAST SEEN"}};
    for (const DueProbe& p : probes)
        rows.push_back({p.serial, p.type, p.calibrationDate, p.runsOut,
                        std::to_string(p.monthsLeft), p.bench, p.seen});
    PrintTable(rows, out);
}

int RunDue(const DueOptions& options, Console& console) {
    const auto connection = OpenDatabase(options.dsn);
    const probe::YearMonth today = probe::CurrentYearMonth();
    std::vector<DueProbe> due;
    try {
        ForEachProbeNewestFirst(
            *connection,
            [&](const std::string& serial, const std::string& bench, const std::string& line) {
                const Json record = Json::parse(line, nullptr, false);
                const Json* image = record.is_object() ? ImageLeft(record) : nullptr;
                if (image == nullptr)
                    return true;  // look at the probe's record before this one
                const std::string date = FieldText(*image, "calibrationDate");
                const probe::CalibrationPeriod period =
                    probe::CalibrationPeriodAt(date.c_str(), kCalibrationPeriodMonths, today);
                // A calibration month after this one counts as not calibrated, as the
                // libraries compare the age unsigned.
                const bool ahead = period.monthsSince < 0;
                const int left = ahead ? -1 : static_cast<int>(period.monthsLeft);
                if (left < options.within) {
                    const long long runsOut =
                        static_cast<long long>(period.runsOut.year) * 12 + period.runsOut.month - 1;
                    due.push_back({serial, FieldText(*image, "type"), date, left,
                                   ahead ? "ahead" : MonthText(runsOut), bench,
                                   FieldText(record, "time")});
                }
                return false;
            });
    } catch (const DatabaseError& error) {
        throw ToolError(ExitFile, error.what());
    }
    std::stable_sort(due.begin(), due.end(), [](const DueProbe& a, const DueProbe& b) {
        return a.monthsLeft < b.monthsLeft;
    });
    if (due.empty())
        console.out << "no probe runs out within " << options.within
                    << (options.within == 1 ? " month\n" : " months\n");
    else
        PrintDue(due, console.out);
    return ExitSuccess;
}

}  // namespace

namespace {

CommandRun DeclareDue(CLI::App& command, const CommandLine&) {
    auto options = std::make_shared<DueOptions>();
    AddDatabaseOption(command, options->dsn);
    command
        .add_option("--within", options->within,
                    "months ahead: 1 lists the probes whose last calibrated month is this one")
        ->check(CLI::NonNegativeNumber)
        ->capture_default_str();
    return [options](Console& console) { return RunDue(*options, console); };
}

}  // namespace

extern const Command kDueCommand;
const Command kDueCommand{"due",
                          "The probes whose calibration runs out within some months (or has run "
                          "out), by the last image each was left with on any bench of the lab "
                          "database",
                          DeclareDue};
