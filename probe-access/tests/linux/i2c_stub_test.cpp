// The i2c-dev transport on the kernel's own SMBus stub (i2c-stub loaded with a
// chip at 0x51), which takes SMBus transfers alone: the block path against the
// real kernel interface. Where the stub is not loaded the test is skipped
// (exit 77); loading it takes root: modprobe i2c-stub chip_addr=0x51.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "i2c_dev_eeprom.h"

int main() {
    std::string device;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator("/sys/class/i2c-dev", ignored)) {
        std::ifstream nameFile(entry.path() / "name");
        std::string name;
        std::getline(nameFile, name);
        if (name.find("SMBus stub") != std::string::npos)
            device = "/dev/" + entry.path().filename().string();
    }
    if (device.empty()) {
        std::printf(
            "skipped: i2c-stub is not loaded (as root: modprobe i2c-stub chip_addr=0x51)\n");
        return 77;
    }
    I2cDevEeprom eeprom(device);
    uint8_t image[EepromSize];
    for (unsigned i = 0; i < EepromSize; ++i)
        image[i] = static_cast<uint8_t>(i ^ 0x5A);
    uint8_t back[EepromSize] = {};
    const int written = WriteImagePages(eeprom, image);
    const int read = eeprom.ReadImage(back);
    const bool same = written == 0 && read == 0 && std::memcmp(back, image, EepromSize) == 0;
    std::printf("%s: write %d, read %d, %s %s\n", device.c_str(), written, read,
                same ? "read back the same" : "FAILED", eeprom.FailureDetail().c_str());
    return same ? 0 : 1;
}
