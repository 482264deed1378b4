// One command of probe-image as the command table holds it: its name, its
// one-line summary, and how it declares its options on its subcommand. The
// declaration returns the command's run, which reads the parsed options once the
// command line has been parsed.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "commands.h"
#include "eeprom_choice.h"

namespace CLI {
class App;
}

using CommandRun = std::function<int(Console&)>;

// What every command may use while it declares its options.
struct CommandLine {
    std::vector<std::string> typed;  // the arguments as typed, for the records
};

struct Command {
    const char* name;
    const char* summary;
    // Null where the platform does not offer the command.
    CommandRun (*declare)(CLI::App& command, const CommandLine& line);
};

// The arguments after the command's name, as typed, for its record.
std::vector<std::string> ArgumentsOf(const CommandLine& line, const std::string& command);

// Help of --set: the fields an assignment may name.
extern const char kFieldHelp[];

using ProbeRun = std::function<int(const EepromChoice&, Console&, RecordedRun&)>;

// Declares the options of a command that touches a probe, after its own: which
// EEPROM it reaches (eeprom_choice.h) and the record it leaves (--record,
// --no-record, --operator). The run it returns refuses a command line that names
// no EEPROM before anything is touched, then runs under the record
// (recorded_run.h).
CommandRun ProbeCommand(CLI::App& command, const CommandLine& line, ProbeRun run);
