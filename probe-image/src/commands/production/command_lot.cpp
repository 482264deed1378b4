// probe-image lot: the production lots and their serials.
#include <CLI/CLI.hpp>

#include "command.h"
#include "production_commands.h"
#include "tool_error.h"

namespace {

CommandRun DeclareLot(CLI::App& lot, const CommandLine&) {
    lot.require_subcommand(1);
    const auto commands = std::make_shared<std::vector<PluggedCommand>>(
        std::vector<PluggedCommand>{AddLotCreateCommand(lot)});
    return [commands](Console& console) {
        const PluggedCommand* chosen = ChosenCommand(*commands);
        return chosen == nullptr ? static_cast<int>(ExitUsage) : chosen->run(console);
    };
}

}  // namespace

extern const Command kLotCommand;
const Command kLotCommand{"lot", "Production lots: ranges of serials, each handed out once",
                          DeclareLot};
