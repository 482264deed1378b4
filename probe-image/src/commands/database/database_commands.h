// The commands on the lab database: db init, db status, records push, records
// --database and due. Each file adds its command with its options and runs it;
// command_line.cpp calls the run of the one that was parsed.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace CLI {
class App;
}
struct Console;
struct RecordsOptions;

inline constexpr char kDatabaseVariable[] = "PROBE_IMAGE_DATABASE";

struct PluggedCommand {
    CLI::App* command = nullptr;
    std::function<bool()> chosen;  // whether this command is the one to run
    std::function<int(Console&)> run;
};

// The command of those given that was parsed; null when none was.
const PluggedCommand* ChosenCommand(const std::vector<PluggedCommand>& commands);

// Adds records push and the --database and --bench of records to the records
// command. records' own options (--serial, --since, --json) also filter the
// database's listing.
std::vector<PluggedCommand> AddRecordsDatabaseCommands(CLI::App& records,
                                                       const RecordsOptions& recordsOptions);

// Adds --database DSN to a command that appends to the journal.
void AddDatabaseOption(CLI::App& command, std::string& dsn);

// The DSN given, else that of PROBE_IMAGE_DATABASE; empty when neither is.
std::string ChosenDatabase(const std::string& given);

// The pieces, one per file.
PluggedCommand AddDbInitCommand(CLI::App& db);
PluggedCommand AddDbStatusCommand(CLI::App& db);
PluggedCommand AddRecordsPushCommand(CLI::App& records);
PluggedCommand AddRecordsDatabaseListing(CLI::App& records, const RecordsOptions& options);
