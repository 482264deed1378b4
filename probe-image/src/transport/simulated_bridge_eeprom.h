// The simulated bridge, reached through the bridge library's interface as the
// vendor's library is, and named "simulated" in messages and records so that no
// one takes it for a probe on a bench.
#pragma once

#include "i2c_bridge.h"

class SimulatedBridgeEeprom final : public ProbeEeprom {
  public:
    int ReadProbeType(char (&typeText)[2]) override { return bridge_.ReadProbeType(typeText); }
    int ReadImage(uint8_t* image) override { return bridge_.ReadImage(image); }
    int WritePage(unsigned offset, const uint8_t* page) override {
        return bridge_.WritePage(offset, page);
    }
    std::string Transport() const override { return "simulated"; }
    std::string Device() const override { return bridge_.Device(); }
    std::string FailureDetail() const override { return bridge_.FailureDetail(); }

  private:
    I2cBridge bridge_;
};
