// The Windows build reaches a probe through the bridge library, or an EEPROM file
// when one is named. The simulated bridge is no option here: the bridge library
// is the one beside the program, and only where it stands is it known which.
#include <CLI/CLI.hpp>

#include "eeprom_choice.h"
#include "eeprom_file.h"
#include "i2c_bridge.h"

void AddEepromOptions(CLI::App& command, EepromChoice& choice) {
    command
        .add_option("--eeprom", choice.file,
                    "use this 256-byte EEPROM file instead of the bridge library")
        ->type_name("FILE");
}

void RequireEeprom(const EepromChoice&) {}

std::unique_ptr<ProbeEeprom> OpenEeprom(const EepromChoice& choice) {
    if (!choice.file.empty())
        return std::make_unique<EepromFile>(choice.file);
    return std::make_unique<I2cBridge>();
}

void AddEepromTargetOptions(CLI::App& command, EepromTargets& targets) {
    command
        .add_option("--eeprom", targets.files,
                    "program this 256-byte EEPROM file instead of the bridge; repeat for several")
        ->type_name("FILE");
}

std::vector<NamedEeprom> DefaultTargets() {
    return {{"bridge", EepromChoice{}}};
}
