#include "eeprom_choice.h"

#include "bridge_texts.h"

std::string EepromFailure(const ProbeEeprom& eeprom, int status) {
    const std::string detail = eeprom.FailureDetail();
    return BridgeFailure(status) + (detail.empty() ? "" : ": " + detail);
}
