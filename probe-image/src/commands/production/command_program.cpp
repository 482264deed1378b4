// program: many probes from one template, each with a serial of the lot, on
// every target at once.
#include <iostream>
#include <memory>
#include <mutex>
#include <sstream>

#include <CLI/CLI.hpp>

#include "bench_place.h"
#include "bound_library.h"
#include "command.h"
#include "database_commands.h"
#include "eeprom_choice.h"
#include "journal_send.h"
#include "library_lock.h"
#include "lot_source.h"
#include "production_lines.h"
#include "production_run.h"
#include "project_version.h"
#include "recorded_run.h"
#include "sha256.h"
#include "stop_request.h"
#include "tool_error.h"
#include "verdict.h"

namespace {

// Shorter presence polls for tests of the continuous mode, in milliseconds.
constexpr char kPollVariable[] = "PROBE_IMAGE_PROGRAM_POLL_MS";

struct ProgramOptions {
    std::string templateFile;
    std::string lot;
    std::string serials;
    EepromTargets targets;
    RecordOptions record;
    bool continuous = false;
    bool signals = false;
    std::vector<std::string> arguments;
};

unsigned PollMilliseconds() {
    const char* text = std::getenv(kPollVariable);
    if (text == nullptr || *text == '\0')
        return 1000;
    const long value = std::strtol(text, nullptr, 10);
    return value >= 1 && value <= 1000 ? static_cast<unsigned>(value) : 1000;
}

ProbeImageBytes AcceptedTemplate(const std::string& file) {
    const ProbeImageBytes image = ReadImageFile(file);
    const LibraryGuard hold(ProbeLibraryLock());
    const LibraryBinding binding(TypeCharacter(image));
    if (!binding.Bound())
        throw ToolError(ExitRefused, "the template " + file + " is refused: " + binding.failure() +
                                         "; nothing was written and no serial taken");
    const Verdict verdict = JudgeImage(binding, image);
    if (!verdict.accepted)
        throw ToolError(ExitRefused, "the template " + file + " is refused by " +
                                         binding.library().fileName + ": " + verdict.reason +
                                         "; nothing was written and no serial taken");
    return image;
}

std::filesystem::path JournalPath(const RecordOptions& record) {
    const std::filesystem::path path =
        record.file.empty() ? DefaultRecordPath() : std::filesystem::path(record.file);
    if (path.empty())
        throw ToolError(ExitFile,
                        "no data folder for the record file (set XDG_DATA_HOME or HOME); give "
                        "--record FILE; nothing was touched");
    return path;
}

std::unique_ptr<LotLedger> OpenLedger(const ProgramOptions& options,
                                      const std::filesystem::path& journal,
                                      const ProbeImageBytes& image) {
    LotSource source;
    source.lot = options.lot;
    source.database = options.record.database;
    source.serials = options.serials;
    source.journal = journal;
    return OpenLotForProgramming(source, Sha256Hex(image.data(), image.size()));
}

void RequireSerialsLeft(LotLedger& ledger) {
    long left = 0;
    try {
        left = ledger.Standing().left;
    } catch (const LotError& error) {
        ThrowLotToolError(error);
    }
    if (left <= 0)
        throw ToolError(ExitRefused, "the lot " + ledger.Lot().name + " (" +
                                         SerialRangeText(ledger.Lot().serials) +
                                         ") is used up: no serial is left; nothing was written");
}

std::vector<ProductionTarget> OpenTargets(const std::vector<NamedEeprom>& chosen) {
    std::vector<ProductionTarget> targets;
    for (const NamedEeprom& target : chosen)
        targets.push_back({target.name, OpenEeprom(target.choice)});
    return targets;
}

// Human lines go to out, or to err when the signal lines take out. The workers
// tell one at a time, and the notices of the database's sends take their turn.
class Telling {
  public:
    Telling(Console& console, bool signals) : console_(console), signals_(signals) {}

    void SetTotal(long total) { total_ = total; }
    void Notice(const std::string& text) {
        const std::lock_guard<std::mutex> hold(lock_);
        console_.err << text << std::flush;
    }

    void operator()(const ProductionEvent& event, const ProductionTally& tally) {
        const std::lock_guard<std::mutex> hold(lock_);
        std::ostream& human = signals_ ? console_.err : console_.out;
        human << EventLine(event) << "\n";
        const bool ended = event.kind == ProductionEventKind::Ok ||
                           event.kind == ProductionEventKind::Skip ||
                           event.kind == ProductionEventKind::Fail;
        if (ended)
            human << ProgressLine(tally, total_) << "\n";
        human << std::flush;
        if (signals_)
            console_.out << SignalLine(event) << "\n" << std::flush;
    }

  private:
    Console& console_;
    bool signals_;
    long total_ = 0;
    std::mutex lock_;
};

int RunProgram(const ProgramOptions& options, Console& console) {
    const std::vector<NamedEeprom> chosen = TargetChoices(options.targets);
    const std::filesystem::path journalPath = JournalPath(options.record);
    const std::string database = ChosenDatabase(options.record.database);
    Telling telling(console, options.signals);
    ProductionJournal journal(journalPath, [&] {
        if (database.empty())
            return;
        std::ostringstream notices;
        SendJournal(database, journalPath, notices);
        if (!notices.str().empty())
            telling.Notice(notices.str());
    });
    if (!journal.IsOpen())
        throw ToolError(ExitFile, "cannot open the record file " + journalPath.string() + ": " +
                                      journal.Failure() + "; nothing was touched");

    ProductionLot lot;
    StartRecord(lot.record, options.record, "program", options.arguments, std::time(nullptr));
    lot.record.libraryVersion = kProjectVersion;
    lot.bench = lot.record.host;
    lot.journal = &journal;
    const auto refused = [&](const ToolError& error) {
        BenchRecord record = lot.record;
        record.exit = error.code();
        record.message = error.what();
        record.libraryVersion.clear();
        journal.Append(record);
    };
    std::unique_ptr<LotLedger> ledger;
    std::vector<ProductionTarget> targets;
    try {
        lot.templateImage = AcceptedTemplate(options.templateFile);
        ledger = OpenLedger(options, journalPath, lot.templateImage);
        RequireSerialsLeft(*ledger);
        targets = OpenTargets(chosen);
        // A fixture waits for its probes, not for its adapters.
        RequireTargetsAnswer(targets, options.continuous);
    } catch (const ToolError& error) {
        refused(error);
        throw;
    }
    lot.ledger = ledger.get();

    ProductionSettings settings;
    settings.continuous = options.continuous;
    settings.pollMilliseconds = PollMilliseconds();
    // Ctrl-C lets the probes being written finish; continuous runs then end.
    const StopRequests stop;
    if (options.continuous)
        settings.stop = &stop.Requested();
    std::ostream& human = options.signals ? console.err : console.out;
    human << "lot " << ledger->Lot().name << " (" << SerialRangeText(ledger->Lot().serials) << ", "
          << ledger->Where() << "): programming " << targets.size()
          << (targets.size() == 1 ? " target" : " targets")
          << (options.continuous ? " continuously until Ctrl-C" : "") << "\n"
          << std::flush;
    telling.SetTotal(options.continuous ? 0 : long(targets.size()));
    const ProductionSummary summary = RunProduction(
        lot, targets, settings,
        [&](const ProductionEvent& event, const ProductionTally& tally) { telling(event, tally); });
    human << SummaryLine(ledger->Lot().name, summary) << "\n" << std::flush;
    if (options.signals)
        console.out << SummarySignal(summary) << "\n" << std::flush;
    return summary.exit;
}

CommandRun DeclareProgram(CLI::App& command, const CommandLine& line) {
    const auto options = std::make_shared<ProgramOptions>();
    ProgramOptions& program = *options;
    command.add_option("TEMPLATE", program.templateFile, "the lot's template image file")
        ->required();
    command.add_option("--lot", program.lot, "the production lot the serials come from")
        ->required();
    command.add_option("--serials", program.serials,
                       "FIRST-LAST: the lot's range of serials, kept beside the journal "
                       "(needed when the lot is new there)");
    AddEepromTargetOptions(command, program.targets);
    command.add_option("--record", program.record.file,
                       "record file to append each probe's record to (default "
                       "probe-image/records.jsonl in the user's data folder)");
    command.add_option("--operator", program.record.operatorName,
                       "who runs it, for the records (default the login name)");
    AddDatabaseOption(command, program.record.database);
    command.add_flag("--continuous", program.continuous,
                     "wait for a probe on each target, program it, wait until it is taken out, "
                     "and again, until Ctrl-C");
    command.add_flag("--signals", program.signals,
                     "one machine-readable line per event on standard output (start, ok, skip, "
                     "fail, waiting, removed, done); the other lines go to standard error");
    program.arguments = ArgumentsOf(line, command.get_name());
    return [options](Console& console) {
        options->record.notices = &console.err;
        return RunProgram(*options, console);
    };
}

}  // namespace

extern const Command kProgramCommand;
const Command kProgramCommand{
    "program",
    "Program probes from a lot's template, each with a serial of its own, on every "
    "target at once",
    DeclareProgram};
