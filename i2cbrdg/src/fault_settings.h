// Faults the simulated bridge is told to show, from a comma-separated list such
// as "no-probe" or "bus-error,page-fails=48".
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace i2cbrdg {

struct FaultSettings {
    bool noBridge = false;                     // no-bridge: no bridge is counted
    bool openFails = false;                    // open-fails: the open returns the invalid handle
    bool setupFails = false;                   // setup-fails: the frequency set-up fails
    bool noProbe = false;                      // no-probe: the EEPROM never answers
    bool busError = false;                     // bus-error: every transfer fails on the bus
    bool writeProtect = false;                 // write-protect: writes are acknowledged, not stored
    std::optional<std::uint32_t> failingPage;  // page-fails=N: the page write at N fails
    // unstable-reads=N: every Nth read gives one byte inverted, another each time
    std::optional<std::uint32_t> unstableReads;

    bool operator==(const FaultSettings&) const = default;
};

// Unknown words and malformed numbers are ignored.
FaultSettings ParseFaultSettings(std::string_view text);

}  // namespace i2cbrdg
