// The i2c-dev transport against the model of the kernel's I2C interface: whole
// images written and read back, and every fault the model can inject.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>

#include "fake_i2c_bus.h"
#include "i2c_dev_eeprom.h"

namespace {

using access_test::FakeI2cBus;
using access_test::FakeI2cSettings;

std::vector<uint8_t> TestImage() {
    std::vector<uint8_t> image(EepromSize);
    for (unsigned i = 0; i < EepromSize; ++i)
        image[i] = static_cast<uint8_t>(i * 7 + 3);
    return image;
}

// A sysfs with or without the i2c-dev class folder.
std::string Sysfs(bool i2cDevLoaded) {
    const std::filesystem::path root =
        std::filesystem::path(::testing::TempDir()) / (i2cDevLoaded ? "sysfs-i2c" : "sysfs-none");
    std::filesystem::create_directories(root);
    if (i2cDevLoaded)
        std::filesystem::create_directories(root / "class/i2c-dev");
    return root.string();
}

struct Case {
    const char* name;
    std::function<void(FakeI2cSettings&)> setUp;
    int writeStatus;
    int readStatus;
    bool stored;         // the EEPROM holds the image afterwards
    const char* detail;  // in the detail of the write's failure
};

const Case kCases[] = {
    {"plain I2C, busy for 3 polls after each page", [](FakeI2cSettings& s) { s.busyPolls = 3; }, 0,
     0, true, ""},
    {"SMBus-only adapter: block transfers",
     [](FakeI2cSettings& s) {
         s.functions = access_test::SmbusBlockFunctions;
         s.busyPolls = 2;
     },
     0, 0, true, ""},
    {"write cycle longer than the polling bound", [](FakeI2cSettings& s) { s.busyPolls = 1000; },
     ProbeNotConnected, ProbeNotConnected, false,
     "did not acknowledge within 25 ms after the page at 0"},
    {"write-protected: data not acknowledged", [](FakeI2cSettings& s) { s.writeProtect = true; },
     ProbeNotConnected, 0, false, "write-protected?"},
    {"no part at the address", [](FakeI2cSettings& s) { s.present = false; }, ProbeNotConnected,
     ProbeNotConnected, false, "ENXIO"},
    {"no part, adapter reports EIO",
     [](FakeI2cSettings& s) {
         s.present = false;
         s.noAck = EIO;
     },
     ProbeNotConnected, ProbeNotConnected, false, "EIO"},
    {"bus timeout at address 48",
     [](FakeI2cSettings& s) {
         s.failAt = 48;
         s.failError = ETIMEDOUT;
     },
     I2cBusFailure, I2cBusFailure, false, "writing the page at 48"},
    {"no acknowledge in the data at address 200",
     [](FakeI2cSettings& s) {
         s.failAt = 200;
         s.failError = EREMOTEIO;
     },
     ProbeNotConnected, ProbeNotConnected, false, "EREMOTEIO"},
    {"the part goes after 5 pages", [](FakeI2cSettings& s) { s.vanishAfter = 5; },
     ProbeNotConnected, ProbeNotConnected, false, "ENXIO"},
    {"the adapter stops answering after 5 pages",
     [](FakeI2cSettings& s) { s.adapterStopsAfter = 5; }, I2cBusFailure, I2cBusFailure, false,
     "ETIMEDOUT"},
    {"adapter with neither plain I2C nor SMBus block reads",
     [](FakeI2cSettings& s) { s.functions = 0; }, I2cBusFailure, I2cBusFailure, false,
     "neither plain I2C (I2C_FUNC_I2C) nor SMBus I2C block reads"},
    {"SMBus adapter that cannot write blocks",
     [](FakeI2cSettings& s) { s.functions = I2C_FUNC_SMBUS_READ_I2C_BLOCK; }, I2cBusFailure, 0,
     false, "I2C_FUNC_SMBUS_WRITE_I2C_BLOCK"},
    {"a kernel driver holds the address", [](FakeI2cSettings& s) { s.driverBound = true; },
     I2cBusFailure, I2cBusFailure, false, "a kernel driver holds address 0x51 on /dev/i2c-7"},
    {"permission denied", [](FakeI2cSettings& s) { s.openError = EACCES; }, BridgeNotPresent,
     BridgeNotPresent, false, "permission denied on /dev/i2c-7: add yourself to the group"},
    {"no such bus", [](FakeI2cSettings& s) { s.device = "/dev/i2c-8"; }, BridgeNotPresent,
     BridgeNotPresent, false, "no such bus: /dev/i2c-7"},
};

class WholeImage : public ::testing::TestWithParam<Case> {};

TEST_P(WholeImage, WritesEveryPageReadsBackAndTellsTheFirstFailure) {
    const Case& c = GetParam();
    FakeI2cSettings settings;
    c.setUp(settings);
    FakeI2cBus bus(settings);
    const std::vector<uint8_t> before(bus.memory, bus.memory + EepromSize);
    I2cDevEeprom eeprom("/dev/i2c-7", EepromSlaveAddress, bus, Sysfs(true));
    const std::vector<uint8_t> image = TestImage();

    std::vector<unsigned> tried;
    std::string firstDetail;
    const int written = WriteImagePages(eeprom, image.data(), [&](unsigned offset, int status) {
        tried.push_back(offset);
        if (status != 0 && firstDetail.empty())
            firstDetail = eeprom.FailureDetail();
    });
    EXPECT_EQ(written, c.writeStatus);
    EXPECT_EQ(tried.size(), EepromPageCount);  // every page is tried
    if (written != 0 || *c.detail) {
        EXPECT_NE(firstDetail.find(c.detail), std::string::npos) << firstDetail;
    }

    std::vector<uint8_t> read(EepromSize, 0xEE);
    EXPECT_EQ(eeprom.ReadImage(read.data()), c.readStatus) << eeprom.FailureDetail();
    if (c.readStatus == 0) {
        EXPECT_EQ(read, std::vector<uint8_t>(bus.memory, bus.memory + EepromSize));
    } else {
        EXPECT_EQ(read, std::vector<uint8_t>(EepromSize, 0xEE));  // untouched
    }
    const std::vector<uint8_t> after(bus.memory, bus.memory + EepromSize);
    if (c.stored) {
        EXPECT_EQ(after, image);
    }
    if (settings.writeProtect || !settings.present) {
        EXPECT_EQ(after, before);
    }
    if (settings.failAt >= 0) {  // the failed page kept its content, the others were written
        const unsigned page = static_cast<unsigned>(settings.failAt) / 16 * 16;
        EXPECT_TRUE(
            std::equal(before.begin() + page, before.begin() + page + 16, after.begin() + page));
        EXPECT_TRUE(std::equal(image.begin() + page + 16, image.end(), after.begin() + page + 16));
    }
    if (settings.vanishAfter >= 0 || settings.adapterStopsAfter >= 0) {  // pages 1-5 only
        EXPECT_EQ(bus.writes.size(), 5u);
        EXPECT_TRUE(std::equal(image.begin(), image.begin() + 80, after.begin()));
        EXPECT_TRUE(std::equal(before.begin() + 80, before.end(), after.begin() + 80));
    }
    for (const access_test::DataWrite& write : bus.writes) {
        EXPECT_EQ(write.address % EepromPageSize, 0u);
        EXPECT_EQ(write.length, EepromPageSize);
    }
    EXPECT_EQ(bus.wrapped, 0u);
    EXPECT_TRUE(bus.openFiles.empty());  // nothing stays open
}

INSTANTIATE_TEST_SUITE_P(Faults, WholeImage, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& param) {
                             std::string name;
                             for (const char* p = param.param.name; *p; ++p)
                                 if (std::isalnum(static_cast<unsigned char>(*p)))
                                     name += *p;
                             return name;
                         });

TEST(I2cDevEeprom, ReadsTheImageInOneCombinedTransferOrInBlocksOf32) {
    FakeI2cBus plain;
    std::memcpy(plain.memory, TestImage().data(), EepromSize);
    uint8_t image[EepromSize];
    ASSERT_EQ(I2cDevEeprom("/dev/i2c-7", EepromSlaveAddress, plain).ReadImage(image), 0);
    EXPECT_EQ(plain.transfers, 1u);
    EXPECT_EQ(std::vector<uint8_t>(image, image + EepromSize), TestImage());

    FakeI2cSettings smbus;
    smbus.functions = access_test::SmbusBlockFunctions;
    FakeI2cBus blocks(smbus);
    std::memcpy(blocks.memory, TestImage().data(), EepromSize);
    ASSERT_EQ(I2cDevEeprom("/dev/i2c-7", EepromSlaveAddress, blocks).ReadImage(image), 0);
    EXPECT_EQ(blocks.transfers, EepromSize / SmbusBlockSize);
    EXPECT_EQ(std::vector<uint8_t>(image, image + EepromSize), TestImage());
}

TEST(I2cDevEeprom, PollsAboutEveryMillisecondUntilTheWriteCycleEnds) {
    FakeI2cSettings settings;
    settings.writeCycleUs = 5000;
    settings.bitUs = 10;  // 100 kHz
    FakeI2cBus bus(settings);
    I2cDevEeprom eeprom("/dev/i2c-7", EepromSlaveAddress, bus);
    const uint8_t page[EepromPageSize] = {1, 2, 3};
    ASSERT_EQ(eeprom.WritePage(32, page), 0);
    EXPECT_GE(bus.now, 5000u);
    EXPECT_LT(bus.now, 5000u + 2 * AckPollInterval + 1000);
    EXPECT_EQ(bus.sleeps, bus.refused);

    // The busy bound: a part still busy after 25 ms fails the page.
    bus.settings.writeCycleUs = 30000;
    const uint64_t start = bus.now;
    EXPECT_EQ(eeprom.WritePage(48, page), ProbeNotConnected);
    EXPECT_GE(bus.now - start, AckPollLimit);
    EXPECT_LT(bus.now - start, AckPollLimit + 3 * AckPollInterval);
}

TEST(I2cDevEeprom, TypeCharacterAndAddressChoice) {
    FakeI2cBus bus;
    bus.memory[3] = '6';
    char type[2] = "x";
    EXPECT_EQ(I2cDevEeprom("/dev/i2c-7", EepromSlaveAddress, bus).ReadProbeType(type), 0);
    EXPECT_STREQ(type, "6");
    bus.memory[3] = 0;
    EXPECT_EQ(I2cDevEeprom("/dev/i2c-7", EepromSlaveAddress, bus).ReadProbeType(type), 0);
    EXPECT_STREQ(type, "");

    I2cDevEeprom other("/dev/i2c-7", 0x50, bus);  // nothing answers at 0x50
    EXPECT_EQ(other.ReadProbeType(type), ProbeNotConnected);
    EXPECT_EQ(other.Device(), "/dev/i2c-7 address 0x50");
    EXPECT_EQ(other.Transport(), "i2c-dev");
}

TEST(I2cDevEeprom, AMissingDeviceFileSaysWhetherI2cDevIsLoaded) {
    FakeI2cSettings settings;
    settings.device = "/dev/i2c-1";
    FakeI2cBus bus(settings);
    uint8_t image[EepromSize];
    I2cDevEeprom notLoaded("/dev/i2c-7", EepromSlaveAddress, bus, Sysfs(false));
    EXPECT_EQ(notLoaded.ReadImage(image), BridgeNotPresent);
    EXPECT_NE(notLoaded.FailureDetail().find("i2c-dev module is not loaded"), std::string::npos);
}

}  // namespace
