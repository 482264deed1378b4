// The writer's access to the probe EEPROM through the bridge library: every
// transfer is a full cycle of open, set-up, transfer and close.
#pragma once

#include <cstdint>

#include "i2cbrdg.h"
#include "probe_eeprom.h"

// The bridge library's functions and the pause, behind a seam for tests.
struct BridgeApi {
    uint8_t(U2C_CALL* getDeviceCount)();
    HANDLE(U2C_CALL* openDevice)(uint8_t index);
    int(U2C_CALL* setI2cFreq)(HANDLE device, uint8_t frequencyCode);
    int(U2C_CALL* setClockSynch)(HANDLE device, int enable);
    int(U2C_CALL* read)(HANDLE device, I2cTransaction* transaction);
    int(U2C_CALL* write)(HANDLE device, I2cTransaction* transaction);
    int(U2C_CALL* closeDevice)(HANDLE device);
    void (*sleep)(unsigned milliseconds);
};

BridgeApi LinkedBridgeApi();   // the linked i2cbrdg library and the platform's sleep
BridgeApi& ActiveBridgeApi();  // what I2cBridge calls; tests replace it

inline constexpr uint8_t EepromAddressLength = 1;  // one memory-address byte
inline constexpr unsigned PageWriteDelay = 100;    // ms after every page
inline constexpr uint8_t BridgeIndex = 0;
inline constexpr uint8_t I2cFrequencyCode = 1;
inline constexpr int ClockSynchronisation = 1;

class I2cBridge final : public ProbeEeprom {
  public:
    I2cBridge() = default;

    int Open();
    void Close();
    int Read(I2cTransaction& transaction);
    int Write(I2cTransaction& transaction);
    int ReadProbeType(char (&typeText)[2]) override;
    int ReadImage(uint8_t* image) override;
    int WritePage(unsigned offset, const uint8_t* page) override;  // then 100 ms
    int WriteImage(const uint8_t* image);  // 16 pages of 16 bytes, 100 ms after each
    std::string Transport() const override { return "bridge"; }
    std::string Device() const override { return std::to_string(BridgeIndex); }

    int32_t status = 0;
    HANDLE device = nullptr;
};
