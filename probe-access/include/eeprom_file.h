// The probe EEPROM as a file of exactly 256 bytes, on every platform: on Linux
// the eeprom file that the kernel's at24 driver gives a bound part
// (/sys/bus/i2c/devices/N-0051/eeprom), or any other file of that size. The
// driver does the paging and waits out the write cycles itself.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "probe_eeprom.h"

class EepromFile final : public ProbeEeprom {
  public:
    explicit EepromFile(std::string path);

    int ReadProbeType(char (&typeText)[2]) override;  // from one whole-file read
    int ReadImage(uint8_t* image) override;           // one whole-file read
    int WritePage(unsigned offset, const uint8_t* page) override;
    std::string Transport() const override { return "file"; }
    std::string Device() const override { return path_; }
    std::string FailureDetail() const override { return detail_; }

  private:
    int Open(const char* mode, std::FILE*& file);
    int ReadAll(uint8_t* bytes);

    std::string path_;
    std::string detail_;
};
