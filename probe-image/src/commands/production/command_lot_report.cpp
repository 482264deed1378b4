// probe-image lot report: a lot at a glance, from this bench's journal and the
// ledger beside it, or from the lab database for every bench.
#include <CLI/CLI.hpp>

#include "bench_place.h"
#include "commands.h"
#include "database_commands.h"
#include "database_session.h"
#include "journal_reader.h"
#include "lot_report.h"
#include "lot_serials.h"
#include "lot_source.h"
#include "production_commands.h"
#include "record_reading.h"
#include "tool_error.h"

namespace {

struct ReportOptions {
    std::string lot;
    std::string record;
    std::string database;
    bool json = false;
};

std::filesystem::path JournalPath(const std::string& given) {
    const std::filesystem::path path =
        given.empty() ? DefaultRecordPath() : std::filesystem::path(given);
    if (path.empty())
        throw ToolError(ExitFile,
                        "cannot find the record file: no data folder (set XDG_DATA_HOME or "
                        "HOME), or give --record FILE");
    return path;
}

// The lot's records in this bench's journal; a journal not made yet holds none.
void CountJournal(const std::filesystem::path& journal, LotReport& report, Console& console) {
    std::string failure;
    const JournalStatus status = ReadJournal(
        journal,
        [&](const JournalLine& line) {
            if (line.damage.empty())
                CountLotRecord(report, line.record);
            else if (!line.torn)
                console.err << "probe-image: " << journal.string() << " line " << line.number
                            << ": " << line.damage << "; not counted\n";
            return true;
        },
        failure);
    if (status == JournalStatus::Unreadable)
        throw ToolError(ExitFile,
                        "cannot read the record file " + journal.string() + ": " + failure);
}

void CountDatabase(const std::string& dsn, LotReport& report) {
    const auto connection = OpenDatabase(dsn);
    try {
        for (const std::string& line : LotRecordLines(*connection, report.standing.lot.name)) {
            const ParsedLine parsed = ParseRecordLine(line);
            if (parsed.damage.empty())
                CountLotRecord(report, parsed.record);
        }
    } catch (const DatabaseError& error) {
        throw ToolError(ExitFile, error.what());
    }
}

int RunLotReport(const ReportOptions& options, Console& console) {
    if (!options.database.empty() && !options.record.empty())
        throw ToolError(ExitUsage, "--record and --database name two sources; give one");
    // --record reads that journal and the ledger beside it, also where
    // $PROBE_IMAGE_DATABASE is set.
    const std::string dsn =
        options.record.empty() ? ChosenDatabase(options.database) : std::string();
    LotSource source{options.lot, dsn, "", {}, dsn.empty()};
    if (dsn.empty())
        source.journal = JournalPath(options.record);
    const std::unique_ptr<LotLedger> ledger = OpenLotForReport(source);
    LotReport report;
    try {
        report.standing = ledger->Standing();
    } catch (const LotError& error) {
        ThrowLotToolError(error);
    }
    if (dsn.empty()) {
        report.source =
            "the journal " + source.journal.string() + " and the ledger " + ledger->Where();
        CountJournal(source.journal, report, console);
    } else {
        report.source = "the lab database, every bench";
        CountDatabase(dsn, report);
    }
    if (options.json)
        console.out << LotReportJson(report).dump(2, ' ', false,
                                                  nlohmann::json::error_handler_t::replace)
                    << "\n";
    else
        PrintLotReport(report, console.out);
    return ExitSuccess;
}

}  // namespace

PluggedCommand AddLotReportCommand(CLI::App& lot) {
    const auto options = std::make_shared<ReportOptions>();
    CLI::App* command = lot.add_subcommand(
        "report",
        "A lot at a glance: probes programmed, skipped and failed, per bench and target, with "
        "the first-pass yield; serials used, spoiled and left");
    command->add_option("LOT", options->lot, "the lot")->required();
    command->add_option("--record", options->record,
                        "the record file whose records and lots/ ledger to read, also where a "
                        "database is set (default the user's, as the probe commands keep it)");
    AddDatabaseOption(*command, options->database);
    command->add_flag("--json", options->json, "print the report as JSON");
    return {command, [command] { return command->parsed(); },
            [options](Console& console) { return RunLotReport(*options, console); }};
}
