// probe-image records --database: the records of every bench from the lab
// database, oldest first, as a table or JSON.
#include <CLI/CLI.hpp>

#include "commands.h"
#include "database_commands.h"
#include "database_session.h"
#include "lab_queries.h"
#include "record_reading.h"
#include "record_text.h"
#include "tool_error.h"

namespace {

using Json = nlohmann::ordered_json;

struct ListingOptions {
    std::string dsn;
    std::string bench;
};

std::string Digest(const Json& record, const char* name) {
    const auto image = record.find(name);
    return image == record.end() ? "" : FieldText(*image, "sha256").substr(0, 12);
}

std::vector<std::string> Row(const std::string& bench, const Json& record) {
    return {FieldText(record, "time"),     bench,
            FieldText(record, "operator"), FieldText(record, "command"),
            FieldText(record, "serial"),   Digest(record, "asFound"),
            Digest(record, "asLeft"),      FieldText(record, "exit"),
            FieldText(record, "message")};
}

int RunListing(const ListingOptions& listing, const RecordsOptions& options, Console& console) {
    if (!options.since.empty() && !IsSinceText(options.since))
        throw ToolError(ExitUsage,
                        "--since takes a UTC date YYYY-MM-DD or time YYYY-MM-DDTHH:MM:SSZ, not \"" +
                            options.since + "\"");
    if (!options.file.empty())
        throw ToolError(ExitUsage, "--record and --database name two sources; give one");
    const auto connection = OpenDatabase(listing.dsn);
    std::vector<std::vector<std::string>> rows = {{"TIME", "BENCH", "OPERATOR", "COMMAND", "SERIAL",
                                                   "AS FOUND", "AS LEFT", "EXIT", "MESSAGE"}};
    bool first = true;
    if (options.json)
        console.out << "[";
    try {
        ForEachLabRecord(*connection, {options.serial, listing.bench, options.since},
                         [&](const std::string& bench, const std::string& line) {
                             const Json record = Json::parse(line, nullptr, false);
                             if (options.json) {
                                 console.out
                                     << (first ? "\n  " : ",\n  ")
                                     << record.dump(-1, ' ', false, Json::error_handler_t::replace);
                                 first = false;
                             } else {
                                 rows.push_back(Row(bench, record));
                             }
                         });
    } catch (const DatabaseError& error) {
        throw ToolError(ExitFile, error.what());
    }
    if (options.json)
        console.out << (first ? "]\n" : "\n]\n");
    else
        PrintTable(rows, console.out);
    return ExitSuccess;
}

}  // namespace

PluggedCommand AddRecordsDatabaseListing(CLI::App& records, const RecordsOptions& options) {
    auto listing = std::make_shared<ListingOptions>();
    CLI::Option* database = records.add_option(
        "--database", listing->dsn,
        "list the records of every bench from this ODBC data source instead of the journal");
    records.add_option("--bench", listing->bench, "only the records of this bench (host name)")
        ->needs(database);
    CLI::App* push = records.get_subcommand("push");
    return {
        &records,
        [&records, push, listing] {
            return records.parsed() && !push->parsed() && !listing->dsn.empty();
        },
        [listing, &options](Console& console) { return RunListing(*listing, options, console); }};
}
