// The Windows build reaches a probe through the bridge alone.
#include "eeprom_choice.h"

#include "i2c_bridge.h"

void AddEepromOptions(CLI::App&, EepromChoice&) {}

std::unique_ptr<ProbeEeprom> OpenEeprom(const EepromChoice&) {
    return std::make_unique<I2cBridge>();
}
