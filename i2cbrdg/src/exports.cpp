// The bridge library's functions over the one simulated bridge of the process. The
// environment is read at every call, so a test can change faults between calls:
//   I2CBRDG_EEPROM  file that holds the EEPROM (else an in-memory part with a
//                   sample probe image)
//   I2CBRDG_FAULT   comma-separated faults, see fault_settings.h
#include <cstdlib>

#include "i2cbrdg.h"
#include "simulated_bridge.h"

namespace {

using i2cbrdg::BridgeSettings;

constexpr const char* kEepromVariable = "I2CBRDG_EEPROM";
constexpr const char* kFaultVariable = "I2CBRDG_FAULT";

i2cbrdg::SimulatedBridge& Bridge() {
    static i2cbrdg::SimulatedBridge bridge;
    return bridge;
}

BridgeSettings CurrentSettings() {
    BridgeSettings settings;
    if (const char* faults = std::getenv(kFaultVariable))
        settings.faults = i2cbrdg::ParseFaultSettings(faults);
    if (const char* file = std::getenv(kEepromVariable); file != nullptr && *file != '\0')
        settings.eepromFile = file;
    return settings;
}

}  // namespace

extern "C" {

U2C_API uint8_t U2C_CALL U2C_GetDeviceCount(void) {
    return Bridge().DeviceCount(CurrentSettings());
}

U2C_API HANDLE U2C_CALL U2C_OpenDevice(uint8_t index) {
    return Bridge().Open(index, CurrentSettings());
}

U2C_API int U2C_CALL U2C_SetI2cFreq(HANDLE device, uint8_t frequencyCode) {
    return Bridge().SetFrequency(device, frequencyCode, CurrentSettings());
}

U2C_API int U2C_CALL U2C_SetClockSynch(HANDLE device, int enable) {
    return Bridge().SetClockSynch(device, enable);
}

U2C_API int U2C_CALL U2C_Read(HANDLE device, I2cTransaction* transaction) {
    if (transaction == nullptr)
        return i2cbrdg::kResultBadParameter;
    return Bridge().Read(device, *transaction, CurrentSettings());
}

U2C_API int U2C_CALL U2C_Write(HANDLE device, I2cTransaction* transaction) {
    if (transaction == nullptr)
        return i2cbrdg::kResultBadParameter;
    return Bridge().Write(device, *transaction, CurrentSettings());
}

U2C_API int U2C_CALL U2C_CloseDevice(HANDLE device) {
    return Bridge().Close(device);
}

}  // extern "C"
