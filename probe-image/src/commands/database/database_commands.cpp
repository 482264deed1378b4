#include "database_commands.h"

#include <cstdlib>

#include <CLI/CLI.hpp>

#include "command.h"
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

const PluggedCommand* ChosenCommand(const std::vector<PluggedCommand>& commands) {
    for (const PluggedCommand& command : commands)
        if (command.chosen())
            return &command;
    return nullptr;
}

std::vector<PluggedCommand> AddRecordsDatabaseCommands(CLI::App& records,
                                                       const RecordsOptions& recordsOptions) {
    return {AddRecordsPushCommand(records), AddRecordsDatabaseListing(records, recordsOptions)};
}

namespace {

CommandRun DeclareDb(CLI::App& db, const CommandLine&) {
    db.require_subcommand(1);
    const auto commands = std::make_shared<std::vector<PluggedCommand>>(
        std::vector<PluggedCommand>{AddDbInitCommand(db), AddDbStatusCommand(db)});
    return [commands](Console& console) {
        const PluggedCommand* chosen = ChosenCommand(*commands);
        return chosen == nullptr ? static_cast<int>(ExitUsage) : chosen->run(console);
    };
}

}  // namespace

extern const Command kDbCommand;
const Command kDbCommand{"db", "The lab database that gathers every bench's records", DeclareDb};
