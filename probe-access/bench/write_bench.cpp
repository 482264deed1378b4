// A whole image written on the model of the kernel's I2C interface with a 5 ms
// write cycle per page and a 100 kHz bus: acknowledge polling against the
// bridge's fixed 100 ms pause after each page, and the read of the image. The
// times are the model's clock, so they are the same on every run and machine.
#include <linux/i2c-dev.h>

#include <cstdio>
#include <cstring>

#include "fake_i2c_bus.h"
#include "i2c_bridge.h"
#include "i2c_dev_eeprom.h"

namespace {

using access_test::FakeI2cBus;
using access_test::FakeI2cSettings;

constexpr unsigned kWriteCycleUs = 5000;
constexpr unsigned kBitUs = 10;  // 100 kHz

FakeI2cSettings BenchSettings(unsigned long functions) {
    FakeI2cSettings settings;
    settings.writeCycleUs = kWriteCycleUs;
    settings.bitUs = kBitUs;
    settings.functions = functions;
    return settings;
}

// The bridge library on the same model: each transfer is one I2C_RDWR, each pause
// moves the model's clock.
FakeI2cBus* bridged = nullptr;
int bridgedFile = -1;

int Transfer(HANDLE, I2cTransaction* transaction, bool reading) {
    uint8_t bytes[1 + EepromSize];
    bytes[0] = static_cast<uint8_t>(transaction->memoryAddress);
    std::memcpy(bytes + 1, transaction->data, reading ? 0 : transaction->length);
    i2c_msg messages[2] = {
        {transaction->slaveAddress, 0, static_cast<__u16>(reading ? 1 : 1 + transaction->length),
         bytes},
        {transaction->slaveAddress, I2C_M_RD, transaction->length, transaction->data},
    };
    i2c_rdwr_ioctl_data transfer{messages, reading ? 2u : 1u};
    return bridged->Ioctl(bridgedFile, I2C_RDWR, &transfer) < 0 ? ProbeNotConnected : 0;
}

BridgeApi BridgeOnModel() {
    BridgeApi api{};
    api.getDeviceCount = []() -> uint8_t { return 1; };
    api.openDevice = [](uint8_t) -> HANDLE { return reinterpret_cast<HANDLE>(intptr_t{1}); };
    api.setI2cFreq = [](HANDLE, uint8_t) { return 0; };
    api.setClockSynch = [](HANDLE, int) { return 0; };
    api.read = [](HANDLE device, I2cTransaction* t) { return Transfer(device, t, true); };
    api.write = [](HANDLE device, I2cTransaction* t) { return Transfer(device, t, false); };
    api.closeDevice = [](HANDLE) { return 0; };
    api.sleep = [](unsigned milliseconds) { bridged->SleepMicroseconds(milliseconds * 1000); };
    return api;
}

double Ms(uint64_t microseconds) {
    return static_cast<double>(microseconds) / 1000.0;
}

}  // namespace

int main() {
    uint8_t image[EepromSize];
    for (unsigned i = 0; i < EepromSize; ++i)
        image[i] = static_cast<uint8_t>(i);
    std::printf("whole %u-byte image, %u pages, write cycle %.1f ms, bus 100 kHz (model time)\n",
                EepromSize, EepromPageCount, kWriteCycleUs / 1000.0);

    double polled = 0;
    for (const auto& [name, functions] :
         {std::pair{"plain I2C", access_test::PlainI2cFunctions},
          std::pair{"SMBus blocks", access_test::SmbusBlockFunctions}}) {
        FakeI2cBus bus(BenchSettings(functions));
        I2cDevEeprom eeprom("/dev/i2c-7", EepromSlaveAddress, bus);
        const int written = WriteImagePages(eeprom, image);
        const uint64_t writeUs = bus.now;
        uint8_t back[EepromSize];
        const int read = eeprom.ReadImage(back);
        const bool same = read == 0 && std::memcmp(back, image, EepromSize) == 0;
        std::printf("i2c-dev, %-12s  write %8.2f ms (%u polls refused)  read %6.2f ms  %s\n", name,
                    Ms(writeUs), bus.refused, Ms(bus.now - writeUs),
                    written == 0 && same ? "verified" : "FAILED");
        if (written != 0 || !same)
            return 1;
        if (polled == 0)
            polled = Ms(writeUs);
    }

    FakeI2cBus bus(BenchSettings(access_test::PlainI2cFunctions));
    bridged = &bus;
    bridgedFile = bus.Open("/dev/i2c-7");
    ActiveBridgeApi() = BridgeOnModel();
    I2cBridge bridge;
    const int written = bridge.WriteImage(image);
    const double fixed = Ms(bus.now);
    std::printf(
        "bridge, fixed 100 ms pauses  write %8.2f ms  %s\n", fixed,
        written == 0 && std::memcmp(bus.memory, image, EepromSize) == 0 ? "written" : "FAILED");
    std::printf("acknowledge polling is %.1f times faster\n", fixed / polled);
    return written == 0 ? 0 : 1;
}
