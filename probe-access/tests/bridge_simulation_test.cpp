// I2cBridge against the linked simulated bridge library, with the page pause
// shortened to just over the part's 5 ms write cycle.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "environment.h"
#include "i2c_bridge.h"
#include "platform_sleep.h"

namespace {

using Image = std::array<uint8_t, EepromSize>;

constexpr unsigned kWriteCycleMargin = 7;  // ms, longer than the part's write cycle

std::function<void()> pauseHook;
int pauses = 0;

void ShortPause(unsigned) {
    ++pauses;
    PlatformSleep(kWriteCycleMargin);
    if (pauseHook)
        pauseHook();
}

Image Pattern(uint8_t seed) {
    Image image;
    for (unsigned i = 0; i < EepromSize; ++i)
        image[i] = static_cast<uint8_t>(seed + i * 3);
    return image;
}

class BridgeSimulationTest : public ::testing::Test {
  protected:
    void SetUp() override {
        saved_ = ActiveBridgeApi();
        ActiveBridgeApi() = LinkedBridgeApi();
        ActiveBridgeApi().sleep = ShortPause;
        pauses = 0;
        pauseHook = nullptr;
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        file_ = std::filesystem::path(::testing::TempDir()) / ("eeprom-" + name + ".bin");
        std::filesystem::remove(file_);
        SetEnvironmentValue("I2CBRDG_EEPROM", file_.string().c_str());
        SetEnvironmentValue("I2CBRDG_FAULT", "");
    }

    void TearDown() override {
        SetEnvironmentValue("I2CBRDG_EEPROM", "");
        SetEnvironmentValue("I2CBRDG_FAULT", "");
        ActiveBridgeApi() = saved_;
        pauseHook = nullptr;
        std::filesystem::remove(file_);
    }

    Image FileContent() const {
        Image content{};
        std::ifstream in(file_, std::ios::binary);
        in.read(reinterpret_cast<char*>(content.data()), content.size());
        EXPECT_EQ(in.gcount(), static_cast<std::streamsize>(content.size()));
        return content;
    }

    void WriteFile(const Image& content) const {
        std::ofstream out(file_, std::ios::binary);
        out.write(reinterpret_cast<const char*>(content.data()), content.size());
    }

    Image ReadBack() {
        Image image{};
        EXPECT_EQ(bridge.ReadImage(image.data()), 0);
        return image;
    }

    I2cTransaction Transaction(uint32_t address, uint16_t length) const {
        I2cTransaction transaction{};
        transaction.slaveAddress = EepromSlaveAddress;
        transaction.addressLength = EepromAddressLength;
        transaction.memoryAddress = address;
        transaction.length = length;
        return transaction;
    }

    I2cBridge bridge;
    std::filesystem::path file_;

  private:
    BridgeApi saved_{};
};

TEST_F(BridgeSimulationTest, MissingFileIsCreatedBlank) {
    Image image = ReadBack();
    for (uint8_t byte : image)
        ASSERT_EQ(byte, 0xFF);
    EXPECT_EQ(std::filesystem::file_size(file_), EepromSize);
}

TEST_F(BridgeSimulationTest, WrittenImageReadsBackAndEveryPageReachesTheFileAtOnce) {
    Image old = Pattern(1);
    Image fresh = Pattern(100);
    WriteFile(old);
    unsigned pagesSeen = 0;
    pauseHook = [&] {
        // Another reader of the file sees each page as soon as its write returned.
        Image now = FileContent();
        ++pagesSeen;
        for (unsigned i = 0; i < EepromSize; ++i)
            ASSERT_EQ(now[i], i < pagesSeen * EepromPageSize ? fresh[i] : old[i]) << i;
    };
    EXPECT_EQ(bridge.WriteImage(fresh.data()), 0);
    EXPECT_EQ(pagesSeen, 16u);
    EXPECT_EQ(ReadBack(), fresh);
    EXPECT_EQ(bridge.device, nullptr);
}

TEST_F(BridgeSimulationTest, ReadsRollOverAt256AndWritesInsideTheirPage) {
    Image content = Pattern(0);
    WriteFile(content);
    I2cTransaction read = Transaction(250, 10);
    ASSERT_EQ(bridge.Read(read), 0);
    for (unsigned i = 0; i < 10; ++i)
        EXPECT_EQ(read.data[i], content[(250 + i) % 256]) << i;

    I2cTransaction whole = Transaction(3, 256);
    ASSERT_EQ(bridge.Read(whole), 0);
    EXPECT_EQ(whole.data[252], content[255]);
    EXPECT_EQ(whole.data[253], content[0]);

    I2cTransaction write = Transaction(0x1E, 4);
    std::memcpy(write.data, "\xA1\xA2\xA3\xA4", 4);
    ASSERT_EQ(bridge.Write(write), 0);
    PlatformSleep(kWriteCycleMargin);
    Image after = ReadBack();
    content[0x1E] = 0xA1;
    content[0x1F] = 0xA2;
    content[0x10] = 0xA3;  // rolled over to the start of the page, not into the next one
    content[0x11] = 0xA4;
    EXPECT_EQ(after, content);
}

TEST_F(BridgeSimulationTest, PartDoesNotAnswerDuringItsWriteCycle) {
    I2cTransaction write = Transaction(32, 16);
    ASSERT_EQ(bridge.Write(write), 0);
    char type[2] = "x";
    EXPECT_EQ(bridge.ReadProbeType(type), ProbeNotConnected);
    EXPECT_STREQ(type, "x");
    PlatformSleep(kWriteCycleMargin);
    EXPECT_EQ(bridge.ReadProbeType(type), 0);
    EXPECT_STREQ(type, "\xFF");
}

TEST_F(BridgeSimulationTest, OtherSlaveAddressDoesNotAnswer) {
    I2cTransaction read = Transaction(0, 1);
    read.slaveAddress = 0x50;
    EXPECT_EQ(bridge.Read(read), ProbeNotConnected);
}

TEST_F(BridgeSimulationTest, BridgeFaultsGiveTheirStatusAndLeaveNoDeviceOpen) {
    struct Case {
        const char* faults;
        int status;
    };
    const Case cases[] = {{"no-bridge", BridgeNotPresent},
                          {"open-fails", BridgeNotPresent},
                          {"setup-fails", 1},
                          {"no-probe", ProbeNotConnected},
                          {"bus-error", 1},
                          {"no-probe, setup-fails", 1}};
    Image image = Pattern(9);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.faults);
        SetEnvironmentValue("I2CBRDG_FAULT", c.faults);
        char type[2] = "x";
        Image buffer{};
        pauses = 0;
        EXPECT_EQ(bridge.ReadProbeType(type), c.status);
        EXPECT_EQ(bridge.ReadImage(buffer.data()), c.status);
        EXPECT_EQ(bridge.WriteImage(image.data()), c.status);
        EXPECT_EQ(pauses, 16);
        EXPECT_STREQ(type, "x");
        EXPECT_EQ(buffer, Image{});
        EXPECT_EQ(bridge.device, nullptr);
    }
    // The simulated bridge is opened exclusively: had any cycle left it open, this
    // would fail.
    SetEnvironmentValue("I2CBRDG_FAULT", "");
    Image after = ReadBack();
    for (uint8_t byte : after)
        ASSERT_EQ(byte, 0xFF);
}

TEST_F(BridgeSimulationTest, WriteProtectedPartAcknowledgesButKeepsItsContent) {
    Image old = Pattern(5);
    WriteFile(old);
    SetEnvironmentValue("I2CBRDG_FAULT", "write-protect");
    Image fresh = Pattern(50);
    EXPECT_EQ(bridge.WriteImage(fresh.data()), 0);
    EXPECT_EQ(ReadBack(), old);
}

TEST_F(BridgeSimulationTest, FailingPageKeepsItsOldContentWhileTheLaterPagesAreWritten) {
    Image old = Pattern(5);
    WriteFile(old);
    SetEnvironmentValue("I2CBRDG_FAULT", "page-fails=48");
    Image fresh = Pattern(50);
    EXPECT_EQ(bridge.WriteImage(fresh.data()), 1);
    EXPECT_EQ(bridge.status, 1);
    Image after = ReadBack();
    for (unsigned i = 0; i < EepromSize; ++i)
        ASSERT_EQ(after[i], (i >= 48 && i < 64) ? old[i] : fresh[i]) << i;
}

}  // namespace
