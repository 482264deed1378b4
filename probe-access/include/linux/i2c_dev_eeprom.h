// The probe EEPROM through the kernel's I2C interface (/dev/i2c-N). Plain I2C
// adapters get combined transfers with one STOP; SMBus-only adapters get I2C
// block transfers. Like the bridge, every operation opens the device file, sets
// up, transfers and closes it again, so nothing stays open between operations.
#pragma once

#include <cstdint>
#include <string>

#include "i2c_dev_system.h"
#include "i2c_errors.h"
#include "probe_eeprom.h"

inline constexpr uint8_t LowestDeviceAddress = 0x03;  // the 7-bit addresses a device may use
inline constexpr uint8_t HighestDeviceAddress = 0x77;
inline constexpr unsigned AckPollLimit = 25000;    // us a write cycle may take
inline constexpr unsigned AckPollInterval = 1000;  // us between two polls
inline constexpr unsigned SmbusBlockSize = 32;     // bytes per SMBus I2C block read
// Why the device file cannot be opened, and what to do about it.
std::string OpenFailureText(const std::string& device, int error, bool i2cDevLoaded);

class I2cDevEeprom final : public ProbeEeprom {
  public:
    // sysfs: where the kernel's sysfs is mounted, to tell a missing i2c-dev module.
    explicit I2cDevEeprom(std::string device, uint8_t address = EepromSlaveAddress,
                          I2cDevSystem& system = KernelI2cDevSystem(), std::string sysfs = "/sys");

    int ReadProbeType(char (&typeText)[2]) override;
    int ReadImage(uint8_t* image) override;
    // Then polls the part until it acknowledges again, for at most AckPollLimit.
    int WritePage(unsigned offset, const uint8_t* page) override;
    std::string Transport() const override { return "i2c-dev"; }
    std::string Device() const override;
    std::string FailureDetail() const override { return detail_; }

  private:
    enum class Mode { I2c, Smbus };

    int Begin();
    void End();
    int Read(unsigned offset, uint8_t* data, unsigned length);
    int Write(unsigned offset, const uint8_t* data, unsigned length);
    int AwaitAck(unsigned offset, std::string& detail, unsigned& polls);
    int Fail(int error, const std::string& what);

    std::string device_;
    uint8_t address_;
    I2cDevSystem& system_;
    std::string sysfs_;
    int file_ = -1;
    Mode mode_ = Mode::I2c;
    unsigned long functions_ = 0;
    std::string detail_;
};
