// Which EEPROM the probe commands reach: the bridge, or on Linux an I2C bus
// through i2c-dev or an EEPROM file. The choice is made here and nowhere else.
#pragma once

#include <memory>
#include <string>

#include "probe_eeprom.h"

namespace CLI {
class App;
}

struct EepromChoice {
    std::string bus;      // "N" or "/dev/i2c-N"; empty: no bus
    std::string file;     // an EEPROM file; empty: none
    std::string address;  // the slave address on the bus; empty: the probe's, 0x51
};

// Adds --bus, --eeprom and --address to a command, where the platform has them.
void AddEepromOptions(CLI::App& command, EepromChoice& choice);
// The EEPROM chosen; the bridge when nothing is. Throws ToolError for a bus or an
// address that cannot be one. Touches nothing yet.
std::unique_ptr<ProbeEeprom> OpenEeprom(const EepromChoice& choice);
// The status in the writer's words, then what the transport met, if it says.
std::string EepromFailure(const ProbeEeprom& eeprom, int status);
