// probe-image records: the record file listed oldest first, as a table or JSON;
// damaged lines are reported by number and skipped.
#include <fstream>
#include <iomanip>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <CLI/CLI.hpp>

#include "bench_place.h"
#include "command.h"
#include "commands.h"
#include "record_reading.h"
#include "tool_error.h"

namespace {

using Json = nlohmann::ordered_json;

std::string Text(const Json& object, const char* name) {
    if (!object.is_object())
        return {};
    const auto field = object.find(name);
    if (field == object.end())
        return {};
    if (field->is_string())
        return field->get<std::string>();
    if (field->is_number_integer())
        return field->dump();
    return {};
}

std::string Member(const Json& object, const char* name) {
    const auto field = object.find(name);
    return field == object.end() ? "" : Text(*field, "sha256").substr(0, 12);
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
    return {Text(record, "time"),   Text(record, "operator"),  Text(record, "command"),
            Text(record, "serial"), Member(record, "asFound"), Member(record, "asLeft"),
            PageCount(record),      Text(record, "exit"),      Text(record, "message")};
}

void PrintTable(const std::vector<RecordEntry>& entries, std::ostream& out) {
    std::vector<std::vector<std::string>> rows = {{"TIME", "OPERATOR", "COMMAND", "SERIAL",
                                                   "AS FOUND", "AS LEFT", "PAGES", "EXIT",
                                                   "MESSAGE"}};
    for (const RecordEntry& entry : entries)
        rows.push_back(Row(entry.record));
    std::vector<std::size_t> widths(rows.front().size(), 0);
    for (const auto& row : rows)
        for (std::size_t i = 0; i < row.size(); ++i)
            widths[i] = std::max(widths[i], row[i].size());
    for (const auto& row : rows) {
        std::string line;
        for (std::size_t i = 0; i + 1 < row.size(); ++i)
            line += row[i] + std::string(widths[i] - row[i].size() + 2, ' ');
        out << line << row.back() << "\n";
    }
}

}  // namespace

int RunRecords(const RecordsOptions& options, Console& console) {
    if (!options.since.empty() && !IsSinceText(options.since))
        throw ToolError(ExitUsage,
                        "--since takes a UTC date YYYY-MM-DD or time "
                        "YYYY-MM-DDTHH:MM:SSZ, not \"" +
                            options.since + "\"");
    const std::filesystem::path path =
        options.file.empty() ? DefaultRecordPath() : std::filesystem::path(options.file);
    std::ifstream file(path, std::ios::binary);
    if (path.empty() || !file)
        throw ToolError(ExitFile, "cannot read the record file " + path.string());
    std::ostringstream text;
    text << file.rdbuf();

    const RecordReading reading = ReadRecords(text.str());
    for (const DamagedLine& damaged : reading.damaged)
        console.err << "probe-image: " << path.string() << " line " << damaged.line << ": "
                    << damaged.reason << "; skipped\n";
    const std::vector<RecordEntry> selected =
        SelectRecords(reading, {options.serial, options.since});
    if (options.json) {
        Json list = Json::array();
        for (const RecordEntry& entry : selected)
            list.push_back(entry.record);
        console.out << list.dump(2, ' ', false, Json::error_handler_t::replace) << "\n";
    } else {
        PrintTable(selected, console.out);
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
    return [options](Console& console) { return RunRecords(*options, console); };
}

}  // namespace

extern const Command kRecordsCommand;
const Command kRecordsCommand{
    "records", "List the records of reads, writes and status polls, oldest first", DeclareRecords};
