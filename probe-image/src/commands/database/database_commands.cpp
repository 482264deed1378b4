#include "database_commands.h"

#include <cstdlib>

#include <CLI/CLI.hpp>

#include "tool_error.h"

namespace {

const char kDatabaseHelp[] =
    "ODBC data source name, or a connection string (\"DSN=lab;UID=bench\"); default $"
    "PROBE_IMAGE_DATABASE. Keep the password in the data source: one given here is left "
    "out of every record and message";

}  // namespace

void AddDatabaseOption(CLI::App& command, std::string& dsn) {
    command.add_option("--database", dsn, kDatabaseHelp);
}

std::string ChosenDatabase(const std::string& given) {
    if (!given.empty())
        return given;
    const char* variable = std::getenv(kDatabaseVariable);
    return variable == nullptr ? std::string() : std::string(variable);
}

std::vector<PluggedCommand> AddDatabaseCommands(CLI::App& app, CLI::App& records,
                                                const RecordsOptions& recordsOptions) {
    CLI::App* db = app.add_subcommand("db", "The lab database that gathers every bench's records");
    db->require_subcommand(1);
    return {AddDbInitCommand(*db), AddDbStatusCommand(*db), AddRecordsPushCommand(records),
            AddRecordsDatabaseListing(records, recordsOptions), AddDueCommand(app)};
}
