// probe-image db status: the schema version and how many records from how many benches.
#include <CLI/CLI.hpp>

#include "commands.h"
#include "database_commands.h"
#include "database_session.h"
#include "lab_queries.h"
#include "schema.h"
#include "tool_error.h"

PluggedCommand AddDbStatusCommand(CLI::App& db) {
    auto dsn = std::make_shared<std::string>();
    CLI::App* command = db.add_subcommand(
        "status", "The schema version held and how many records from how many benches");
    AddDatabaseOption(*command, *dsn);
    return {
        command, [command] { return command->parsed(); },
        [dsn](Console& console) {
            const auto connection = OpenDatabase(*dsn);
            try {
                const DatabaseSummary summary = SummariseDatabase(*connection);
                if (summary.version == 0) {
                    console.out << "no schema: run probe-image db init\n";
                    return static_cast<int>(ExitFile);
                }
                console.out << "schema version " << summary.version;
                if (summary.version != kSchemaVersion)
                    console.out << " (this program's is " << kSchemaVersion
                                << ": run probe-image db init)";
                console.out << "\n"
                            << summary.records << " records from " << summary.benches
                            << (summary.benches == 1 ? " bench" : " benches") << " ("
                            << summary.journals
                            << (summary.journals == 1 ? " journal" : " journals") << ")\n";
                return static_cast<int>(summary.version == kSchemaVersion ? ExitSuccess : ExitFile);
            } catch (const DatabaseError& error) {
                throw ToolError(ExitFile, error.what());
            }
        }};
}
