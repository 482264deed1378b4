// An EEPROM in memory for the tests of the production engine, with the faults a
// bench meets: no probe, a probe that goes after some pages of a write, a
// write-protected part, a part that takes no data, and a count of page writes.
#pragma once

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>

#include "probe_eeprom.h"

inline constexpr int kBusError = 1;

class FakeProbeEeprom final : public ProbeEeprom {
  public:
    FakeProbeEeprom() { memory.fill(0xFF); }

    int ReadProbeType(char (&typeText)[2]) override {
        if (!adapter)
            return BridgeNotPresent;
        if (!present)
            return ProbeNotConnected;
        typeText[0] = static_cast<char>(memory[ProbeTypeAddress]);
        typeText[1] = '\0';
        return BridgeSuccess;
    }
    int ReadImage(uint8_t* image) override {
        if (!present)
            return ProbeNotConnected;
        std::copy(memory.begin(), memory.end(), image);
        return BridgeSuccess;
    }
    int WritePage(unsigned offset, const uint8_t* page) override {
        if (!present)
            return ProbeNotConnected;
        if (vanishAfter >= 0 && pageWrites == unsigned(vanishAfter)) {
            present = false;
            return ProbeNotConnected;
        }
        if (writeProtected)
            return kBusError;
        ++pageWrites;
        if (!ignoresWrites)
            std::memcpy(memory.data() + offset, page, EepromPageSize);
        return BridgeSuccess;
    }
    std::string Transport() const override { return "fake"; }
    std::string Device() const override { return "memory"; }

    std::array<uint8_t, EepromSize> memory{};
    std::atomic<bool> present{true};
    bool adapter = true;   // false: no adapter, as a missing bus or file
    int vanishAfter = -1;  // pages stored before the probe goes; -1: never
    bool writeProtected = false;
    bool ignoresWrites = false;
    unsigned pageWrites = 0;
};
