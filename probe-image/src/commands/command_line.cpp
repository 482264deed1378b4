#include "command_line.h"

#include <algorithm>
#include <memory>
#include <new>

#include <CLI/CLI.hpp>

#include "command.h"
#include "database_commands.h"
#include "project_version.h"
#include "recorded_run.h"
#include "tool_error.h"

// The command table. Each command lives in a file of its own that defines its
// Command: the options it declares on its subcommand and the run they lead to.
// To add one, write that file (declare the options, return the run; see
// command_show.cpp, or command_bridge.cpp for one that touches a probe), add it
// to the sources in CMakeLists.txt and its entry below, in the place --help
// lists it. Options that several commands share are declared here, so that they
// read the same everywhere: the probe and its record (ProbeCommand) and --set's
// help (kFieldHelp).
extern const Command kShowCommand, kPlotCommand, kEditCommand, kNewCommand, kFitCommand,
    kCheckCommand, kConvertCommand, kReadCommand, kStatusCommand, kWriteCommand, kProgramCommand,
    kBusesCommand, kRecordsCommand, kDbCommand, kDueCommand, kLotCommand;

namespace {

const Command* const kCommands[] = {
    &kShowCommand,    &kPlotCommand,  &kEditCommand,    &kNewCommand,
    &kFitCommand,     &kCheckCommand, &kConvertCommand, &kReadCommand,
    &kStatusCommand,  &kWriteCommand, &kProgramCommand, &kBusesCommand,
    &kRecordsCommand, &kDbCommand,    &kDueCommand,     &kLotCommand,
};

// --record, --no-record and --operator of the commands that touch a probe.
void AddRecordOptions(CLI::App& command, RecordOptions& record) {
    CLI::Option* file = command.add_option(
        "--record", record.file,
        "record file to append this run to (default probe-image/records.jsonl in the user's "
        "data folder: $XDG_DATA_HOME or ~/.local/share, %LOCALAPPDATA% on Windows)");
    command.add_flag("--no-record", record.off, "keep no record of this run")->excludes(file);
    command.add_option("--operator", record.operatorName,
                       "who runs it, for the record (default the login name)");
    AddDatabaseOption(command, record.database);
}

}  // namespace

std::vector<std::string> ArgumentsOf(const CommandLine& line, const std::string& command) {
    const auto name = std::find(line.typed.begin(), line.typed.end(), command);
    return name == line.typed.end() ? line.typed
                                    : std::vector<std::string>(name + 1, line.typed.end());
}

const char kFieldHelp[] =
    "Field=value; fields as the record names them: Serial, OText, CalibrationDate, "
    "FabricationDate, NNumber, UsageCount, Gain, FrValue, ForceK, ForceX0, FValue, RValue, "
    "ForceX1, ForceX2, ForceF1, ForceF2, PositionCoefficients=c0,c1,..., "
    "ForceCoefficients=d0,d1,...";

CommandRun ProbeCommand(CLI::App& command, const CommandLine& line, ProbeRun run) {
    const auto eeprom = std::make_shared<EepromChoice>();
    const auto record = std::make_shared<RecordOptions>();
    AddEepromOptions(command, *eeprom);
    AddRecordOptions(command, *record);
    const std::string name = command.get_name();
    const std::vector<std::string> arguments = ArgumentsOf(line, name);
    return [=](Console& console) {
        RequireEeprom(*eeprom);
        record->notices = &console.err;
        return RunRecorded(*record, name, arguments,
                           [&](RecordedRun& recorded) { return run(*eeprom, console, recorded); });
    };
}

int RunProbeImage(std::vector<std::string> arguments, std::ostream& out, std::ostream& err) {
    CLI::App app{
        "Inspect, check, plot, edit, create, fit, read and write probe EEPROM images through "
        "the probe libraries themselves, the one of the image's type bound at run time.",
        "probe-image"};
    app.set_version_flag("--version", std::string("probe-image ") + kProjectVersion);
    app.require_subcommand(1);
    app.footer(kExitCodeHelp);

    const CommandLine line{arguments};
    std::vector<std::pair<CLI::App*, CommandRun>> runs;
    for (const Command* command : kCommands) {
        if (command->declare == nullptr)
            continue;
        CLI::App* subcommand = app.add_subcommand(command->name, command->summary);
        runs.emplace_back(subcommand, command->declare(*subcommand, line));
    }

    std::reverse(arguments.begin(), arguments.end());
    try {
        app.parse(arguments);
    } catch (const CLI::ParseError& error) {
        return app.exit(error, out, err) == 0 ? ExitSuccess : ExitUsage;
    }

    Console console{out, err};
    try {
        for (const auto& [subcommand, run] : runs)
            if (subcommand->parsed())
                return run(console);
        return ExitUsage;  // never reached: the parser requires a command
    } catch (const ToolError& error) {
        err << "probe-image: " << error.what() << "\n";
        return error.code();
    } catch (const std::bad_alloc&) {
        err << "probe-image: out of memory\n";
        return ExitRefused;
    }
}
