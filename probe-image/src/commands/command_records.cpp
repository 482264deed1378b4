// probe-image records: the journal listed oldest first, as a table or JSON;
// damaged lines are reported by number and skipped. records verify: the journal's
// hash chain walked, and the first line that breaks it named. Both read the
// journal line by line; listing reads the records it shows a second time rather
// than holding them.
#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "bench_place.h"
#include "chain_check.h"
#include "command.h"
#include "commands.h"
#include "database_commands.h"
#include "journal_reader.h"
#include "record_reading.h"
#include "record_text.h"
#include "tool_error.h"

namespace {

using Json = nlohmann::ordered_json;

std::string Member(const Json& object, const char* name) {
    const auto field = object.find(name);
    return field == object.end() ? "" : FieldText(*field, "sha256").substr(0, 12);
}

std::string PageCount(const Json& record) {
    const auto pages = record.find("pagesWritten");
    if (pages == record.end() || !pages->is_array())
        return "-";
    const auto failed = record.find("pagesFailed");
    std::string text = std::to_string(pages->size());
    if (failed != record.end() && failed->is_array() && !failed->empty())
        text += "+" + std::to_string(failed->size()) + " failed";
    return text;
}

std::vector<std::string> Row(const Json& record) {
    return {
        FieldText(record, "time"),   FieldText(record, "operator"), FieldText(record, "command"),
        FieldText(record, "serial"), Member(record, "asFound"),     Member(record, "asLeft"),
        PageCount(record),           FieldText(record, "exit"),     FieldText(record, "message")};
}

// Where a listed record lies, in the order listing wants: oldest first, file
// order among equal times.
struct Listed {
    long long time;
    std::uint64_t offset;
    bool operator<(const Listed& other) const {
        return time != other.time ? time < other.time : offset < other.offset;
    }
};

const std::vector<std::string> kHeader = {"TIME",    "OPERATOR", "COMMAND", "SERIAL", "AS FOUND",
                                          "AS LEFT", "PAGES",    "EXIT",    "MESSAGE"};

void PrintRow(const std::vector<std::string>& row, const std::vector<std::size_t>& widths,
              std::ostream& out) {
    std::string line;
    for (std::size_t i = 0; i + 1 < row.size(); ++i)
        line += row[i] + std::string(widths[i] - row[i].size() + 2, ' ');
    out << line << row.back() << "\n";
}

// The journal's path, or "cannot read" when there is none.
std::filesystem::path JournalPath(const RecordsOptions& options) {
    const std::filesystem::path path =
        options.file.empty() ? DefaultRecordPath() : std::filesystem::path(options.file);
    if (path.empty())
        throw ToolError(ExitFile,
                        "cannot read the record file: no data folder (set XDG_DATA_HOME or "
                        "HOME), or give --record FILE");
    return path;
}

// Reads the journal line by line; false where it does not exist yet.
bool ReadLines(const std::filesystem::path& path,
               const std::function<void(const JournalLine&)>& each) {
    std::string failure;
    const JournalStatus status = ReadJournal(
        path,
        [&](const JournalLine& line) {
            each(line);
            return true;
        },
        failure);
    if (status == JournalStatus::Unreadable)
        throw ToolError(ExitFile, "cannot read the record file " + path.string() + ": " + failure);
    return status == JournalStatus::Read;
}

std::string Count(std::size_t count, const char* what) {
    return std::to_string(count) + " " + what + (count == 1 ? "" : "s");
}

std::string NoRecordsYet(const std::filesystem::path& path) {
    return "no records yet: " + path.string() + " does not exist";
}

void ReportDamage(const std::filesystem::path& path, const JournalLine& line, const char* action,
                  Console& console) {
    console.err << "probe-image: " << path.string() << " line " << line.number << ": "
                << line.damage << "; " << action << "\n";
}

// The records in order, each read again from where the first pass found it.
void ListRecords(const std::filesystem::path& path, const std::vector<Listed>& listed,
                 const std::function<void(const Json&)>& each) {
    JournalCursor cursor(path);
    JournalLine line;
    for (const Listed& entry : listed)
        if (cursor.LineAt(entry.offset, line) && line.damage.empty())
            each(line.record);
}

int RunVerify(const std::filesystem::path& path, Console& console) {
    ChainCheck check;
    const bool exists = ReadLines(path, [&](const JournalLine& line) {
        if (!line.damage.empty() && check.Holds())
            ReportDamage(path, line, "outside the chain", console);
        check.Take(line);
    });
    if (!exists) {
        console.out << NoRecordsYet(path) << "\n";
        return ExitSuccess;
    }
    const ChainReport& report = check.Report();
    if (report.firstLine == 0 && check.Holds()) {
        console.out << "no chained lines: " << Count(report.unchained, "record")
                    << " without an id, written before the chain\n";
        return ExitSuccess;
    }
    if (report.unchained > 0)
        console.out << "the chain starts at line " << report.firstLine << "; before it "
                    << Count(report.unchained, "record")
                    << " without an id, which it does not cover\n";
    if (!check.Holds())
        throw ToolError(
            ExitChainBroken,
            path.string() + " line " + std::to_string(report.brokenLine) + ": " + report.problem);
    console.out << "the chain holds: " << Count(report.chained, "line") << " from line "
                << report.firstLine << " to line " << report.lastLine << ", journal "
                << report.journal << "\n";
    return ExitSuccess;
}

}  // namespace

int RunRecords(const RecordsOptions& options, Console& console) {
    if (!options.since.empty() && !IsSinceText(options.since))
        throw ToolError(ExitUsage,
                        "--since takes a UTC date YYYY-MM-DD or time "
                        "YYYY-MM-DDTHH:MM:SSZ, not \"" +
                            options.since + "\"");
    const std::filesystem::path path = JournalPath(options);
    if (options.verify)
        return RunVerify(path, console);

    // The first pass filters and keeps where each record lies, and the table's
    // widths; the second prints them in order.
    const RecordFilter filter{options.serial, options.since};
    std::vector<Listed> listed;
    std::vector<std::size_t> widths(kHeader.size());
    for (std::size_t i = 0; i < kHeader.size(); ++i)
        widths[i] = kHeader[i].size();
    const bool exists = ReadLines(path, [&](const JournalLine& line) {
        if (!line.damage.empty()) {
            ReportDamage(path, line, "skipped", console);
            return;
        }
        if (!PassesFilter(line.record, filter))
            return;
        listed.push_back({TimeKey(line.record), line.offset});
        if (!options.json) {
            const std::vector<std::string> row = Row(line.record);
            for (std::size_t i = 0; i < row.size(); ++i)
                widths[i] = std::max(widths[i], row[i].size());
        }
    });
    if (!exists) {
        if (options.json) {
            console.err << "probe-image: " << NoRecordsYet(path) << "\n";
            console.out << "[]\n";
        } else {
            console.out << NoRecordsYet(path) << "\n";
        }
        return ExitSuccess;
    }
    if (!std::is_sorted(listed.begin(), listed.end()))
        std::sort(listed.begin(), listed.end());

    if (options.json) {
        // As the whole list dumped with an indent of 2 would read, one record at a time.
        std::size_t done = 0;
        console.out << (listed.empty() ? "[" : "[\n");
        ListRecords(path, listed, [&](const Json& record) {
            std::string text = record.dump(2, ' ', false, Json::error_handler_t::replace);
            std::string indented = "  ";
            for (char c : text) {
                indented += c;
                if (c == '\n')
                    indented += "  ";
            }
            console.out << (done++ == 0 ? "" : ",\n") << indented;
        });
        console.out << (listed.empty() ? "]\n" : "\n]\n");
    } else {
        PrintRow(kHeader, widths, console.out);
        ListRecords(path, listed,
                    [&](const Json& record) { PrintRow(Row(record), widths, console.out); });
    }
    return ExitSuccess;
}

namespace {

CommandRun DeclareRecords(CLI::App& command, const CommandLine&) {
    const auto options = std::make_shared<RecordsOptions>();
    command.add_option("--record", options->file,
                       "record file (default probe-image/records.jsonl in the user's "
                       "data folder)");
    command.add_option("--serial", options->serial, "only the probe with this serial");
    command.add_option("--since", options->since,
                       "only from this UTC date or time on (YYYY-MM-DD or "
                       "YYYY-MM-DDTHH:MM:SSZ)");
    command.add_flag("--json", options->json, "JSON for scripts");
    CLI::App* verify = command.add_subcommand(
        "verify",
        "Check the journal's hash chain and name the first line changed, removed or "
        "put out of order");
    verify->add_option("file", options->file,
                       "journal (default: --record, else probe-image/records.jsonl in the "
                       "user's data folder)");
    const auto database = std::make_shared<std::vector<PluggedCommand>>(
        AddRecordsDatabaseCommands(command, *options));
    return [options, verify, database](Console& console) {
        options->verify = verify->parsed();
        const PluggedCommand* chosen = options->verify ? nullptr : ChosenCommand(*database);
        return chosen == nullptr ? RunRecords(*options, console) : chosen->run(console);
    };
}

}  // namespace

extern const Command kRecordsCommand;
const Command kRecordsCommand{
    "records", "List the records of reads, writes and status polls, oldest first", DeclareRecords};
