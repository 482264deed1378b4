// Which EEPROM the probe commands reach: an EEPROM file on every platform; on
// Linux an I2C bus through i2c-dev or the simulated bridge, each only when named;
// on Windows the bridge library unless a file is named. The choice is made here
// and nowhere else.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "probe_eeprom.h"

namespace CLI {
class App;
}

struct EepromChoice {
    std::string bus;         // "N" or "/dev/i2c-N"; empty: no bus
    std::string file;        // an EEPROM file; empty: none
    std::string address;     // the slave address on the bus; empty: the probe's, 0x51
    bool simulated = false;  // the simulated bridge
};

// Adds the options that name an EEPROM to a command, those the platform has.
void AddEepromOptions(CLI::App& command, EepromChoice& choice);
// Throws ToolError(ExitUsage) when the platform needs an EEPROM named and none
// is, saying how to name one. Touches nothing.
void RequireEeprom(const EepromChoice& choice);
// The EEPROM chosen. Throws ToolError for a bus or an address that cannot be
// one. Touches nothing yet.
std::unique_ptr<ProbeEeprom> OpenEeprom(const EepromChoice& choice);
// Several EEPROMs at once, each a target of its own: every bus and file named,
// the simulated bridge; on Windows the bridge library when none is named.
struct EepromTargets {
    std::vector<std::string> buses;
    std::vector<std::string> files;
    bool simulated = false;
};

struct NamedEeprom {
    std::string name;  // "bus:7", "eeprom:FILE", "simulated", "bridge"
    EepromChoice choice;
};

// Adds --bus and --eeprom (each repeatable) and --simulated, those the platform has.
void AddEepromTargetOptions(CLI::App& command, EepromTargets& targets);
// The targets in the order named. Throws ToolError(ExitUsage) when none is named
// where the platform needs one, or one is named twice. Touches nothing.
std::vector<NamedEeprom> TargetChoices(const EepromTargets& targets);
// The platform's targets when none is named; ToolError(ExitUsage) where it has none.
std::vector<NamedEeprom> DefaultTargets();

// The status in the writer's words, then what the transport met, if it says.
std::string EepromFailure(const ProbeEeprom& eeprom, int status);
