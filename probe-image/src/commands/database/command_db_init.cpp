// probe-image db init: creates the lab database's schema or brings it up to date.
#include <CLI/CLI.hpp>

#include "commands.h"
#include "database_commands.h"
#include "database_session.h"
#include "schema.h"
#include "tool_error.h"

PluggedCommand AddDbInitCommand(CLI::App& db) {
    auto dsn = std::make_shared<std::string>();
    CLI::App* command = db.add_subcommand(
        "init",
        "Create the tables, triggers and bench role, or migrate an older schema; run it as the "
        "database's owner");
    AddDatabaseOption(*command, *dsn);
    return {command, [command] { return command->parsed(); },
            [dsn](Console& console) {
                const auto connection = OpenDatabase(*dsn);
                try {
                    const SchemaChange change = InitSchema(*connection);
                    if (change.from == change.to)
                        console.out << "schema version " << change.to << ", up to date\n";
                    else if (change.from == 0)
                        console.out << "schema version " << change.to << " created\n";
                    else
                        console.out << "schema migrated from version " << change.from << " to "
                                    << change.to << "\n";
                } catch (const DatabaseError& error) {
                    throw ToolError(ExitFile, error.what());
                }
                return static_cast<int>(ExitSuccess);
            }};
}
