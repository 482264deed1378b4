// The commands of a production line: lot create (and the lot's other
// subcommands). Each file adds its subcommand with its options and runs it;
// command_lot.cpp calls the run of the one that was parsed.
#pragma once

#include "database_commands.h"

PluggedCommand AddLotCreateCommand(CLI::App& lot);
