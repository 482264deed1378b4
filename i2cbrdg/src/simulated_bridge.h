// One simulated bridge with a 256-byte serial EEPROM at slave 0x51 behind it. The
// part behaves like the real thing: one-byte addresses, reads that roll over at
// 256, writes that roll over inside their 16-byte page, and a write cycle of 5 ms
// during which it does not answer.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "eeprom_memory.h"
#include "fault_settings.h"
#include "i2cbrdg.h"

namespace i2cbrdg {

inline constexpr int kResultSuccess = 0;
inline constexpr int kResultBusError = 1;
inline constexpr int kResultBadHandle = 3;
inline constexpr int kResultBadParameter = 4;
inline constexpr int kResultNoAnswer = 5;

inline constexpr std::uint8_t kEepromSlaveAddress = 0x51;
inline constexpr std::uint8_t kEepromAddressLength = 1;
inline constexpr std::uint8_t kHighestFrequencyCode = 6;
inline constexpr std::chrono::milliseconds kWriteCycleTime{5};

// What the process environment asks of the simulation, read at every call.
struct BridgeSettings {
    FaultSettings faults;
    std::optional<std::string> eepromFile;  // the EEPROM lives in this file when set
};

class SimulatedBridge {
  public:
    using Clock = std::chrono::steady_clock;

    std::uint8_t DeviceCount(const BridgeSettings& settings) const;
    HANDLE Open(std::uint8_t index, const BridgeSettings& settings);
    int SetFrequency(HANDLE device, std::uint8_t frequencyCode, const BridgeSettings& settings);
    int SetClockSynch(HANDLE device, int enable);
    int Read(HANDLE device, I2cTransaction& transaction, const BridgeSettings& settings);
    int Write(HANDLE device, I2cTransaction& transaction, const BridgeSettings& settings);
    int Close(HANDLE device);

  private:
    bool IsOpen(HANDLE device) const;
    // Checks common to both directions; kResultSuccess when the part answers.
    int Admit(HANDLE device, const I2cTransaction& transaction,
              const BridgeSettings& settings) const;
    bool Load(const BridgeSettings& settings, Eeprom& eeprom) const;
    bool Store(const BridgeSettings& settings, const Eeprom& eeprom);

    // Counts reads for unstable-reads, from the call that first showed today's faults.
    void CountRead(const BridgeSettings& settings, I2cTransaction& transaction);

    bool open_ = false;
    FaultSettings countedFaults_;
    std::uint32_t reads_ = 0;
    Eeprom memory_ = SampleProbeImage();
    Clock::time_point busyUntil_{};
};

}  // namespace i2cbrdg
