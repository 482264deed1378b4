// A scripted bridge library in place of the linked one: it records every call in
// order, counts pauses without sleeping, and answers from a 256-byte memory.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "i2c_bridge.h"

namespace access_test {

struct BridgeCall {
    std::string function;  // "count", "open", "freq", "synch", "read", "write", "close", "sleep"
    std::intptr_t handle = 0;      // device handle passed, or the index for "open"
    int value = 0;                 // frequency code, synch flag, pause in ms
    I2cTransaction transaction{};  // as handed to read or write
};

struct FakeBridge {
    // Script.
    uint8_t deviceCount = 1;
    HANDLE openHandle = reinterpret_cast<HANDLE>(std::intptr_t{0x77});
    int freqResult = 0;
    int synchResult = 0;
    int readResult = 0;
    std::map<uint32_t, int> writeResults;  // by memory address; 0 when absent
    uint8_t memory[EepromSize] = {};

    // Record.
    std::vector<BridgeCall> calls;
    std::vector<std::string> Functions() const;
    int Count(const std::string& function) const;
    std::vector<BridgeCall> Writes() const;
};

// Installs a fake as the active bridge for the life of the object.
class ScopedFakeBridge {
  public:
    ScopedFakeBridge();
    ~ScopedFakeBridge();
    ScopedFakeBridge(const ScopedFakeBridge&) = delete;
    ScopedFakeBridge& operator=(const ScopedFakeBridge&) = delete;

    FakeBridge fake;

  private:
    BridgeApi saved_;
};

}  // namespace access_test
