// I2cBridge against a scripted bridge library that records every call.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "fake_bridge.h"
#include "i2c_bridge.h"

namespace {

using access_test::BridgeCall;
using access_test::ScopedFakeBridge;
using Functions = std::vector<std::string>;

constexpr std::intptr_t kHandle = 0x77;

const Functions kOneCycle = {"count", "open", "freq", "synch", "read", "close"};

class I2cBridgeTest : public ::testing::Test {
  protected:
    ScopedFakeBridge bridge;
    I2cBridge target;
    access_test::FakeBridge& fake = bridge.fake;
};

TEST_F(I2cBridgeTest, ReadProbeTypeRunsOneFullCycleWithTheFixedValues) {
    fake.memory[3] = '6';
    char type[2] = "x";
    EXPECT_EQ(target.ReadProbeType(type), 0);
    EXPECT_STREQ(type, "6");
    EXPECT_EQ(fake.Functions(), kOneCycle);
    EXPECT_EQ(fake.calls[1].handle, 0);  // bridge index
    EXPECT_EQ(fake.calls[2].handle, kHandle);
    EXPECT_EQ(fake.calls[2].value, 1);  // frequency code
    EXPECT_EQ(fake.calls[3].value, 1);  // clock synchronisation on
    const I2cTransaction& sent = fake.calls[4].transaction;
    EXPECT_EQ(fake.calls[4].handle, kHandle);
    EXPECT_EQ(sent.slaveAddress, 0x51);
    EXPECT_EQ(sent.addressLength, 1);
    EXPECT_EQ(uint32_t{sent.memoryAddress}, 3u);
    EXPECT_EQ(uint16_t{sent.length}, 1);
    EXPECT_EQ(fake.calls[5].handle, kHandle);
    EXPECT_EQ(target.status, 0);
    EXPECT_EQ(target.device, nullptr);
}

TEST_F(I2cBridgeTest, ZeroByteAtTypeAddressGivesEmptyText) {
    char type[2] = "x";
    EXPECT_EQ(target.ReadProbeType(type), 0);
    EXPECT_STREQ(type, "");
}

TEST_F(I2cBridgeTest, NoBridgeGivesTwoForEveryOperationAndNeverOpens) {
    fake.deviceCount = 0;
    char type[2] = "x";
    uint8_t image[EepromSize];
    std::memset(image, 0xAB, sizeof image);
    EXPECT_EQ(target.ReadProbeType(type), BridgeNotPresent);
    EXPECT_EQ(target.ReadImage(image), BridgeNotPresent);
    EXPECT_EQ(target.WriteImage(image), BridgeNotPresent);
    EXPECT_EQ(target.status, BridgeNotPresent);
    EXPECT_EQ(target.device, nullptr);
    EXPECT_STREQ(type, "x");
    EXPECT_EQ(image[0], 0xAB);
    EXPECT_EQ(fake.Count("open"), 0);
    EXPECT_EQ(fake.Count("close"), 0);
    // The write still pauses 100 ms after each of its 16 pages.
    EXPECT_EQ(fake.Count("sleep"), 16);
    for (const BridgeCall& call : fake.calls) {
        if (call.function == "sleep") {
            EXPECT_EQ(call.value, 100);
        }
    }
}

TEST_F(I2cBridgeTest, FailedOpenGivesTwoAndLeavesNothingToClose) {
    fake.openHandle = U2C_INVALID_HANDLE;
    char type[2] = "x";
    EXPECT_EQ(target.ReadProbeType(type), BridgeNotPresent);
    EXPECT_EQ(fake.Functions(), (Functions{"count", "open"}));
    EXPECT_EQ(target.device, nullptr);
}

TEST_F(I2cBridgeTest, FailedSetUpClosesTheDeviceAtOnceAndPassesTheResultOn) {
    fake.freqResult = 7;
    uint8_t image[EepromSize] = {};
    EXPECT_EQ(target.ReadImage(image), 7);
    EXPECT_EQ(fake.Functions(), (Functions{"count", "open", "freq", "close"}));
    EXPECT_EQ(fake.calls.back().handle, kHandle);
    EXPECT_EQ(target.device, nullptr);

    fake.calls.clear();
    fake.freqResult = 0;
    fake.synchResult = 9;
    EXPECT_EQ(target.ReadImage(image), 9);
    EXPECT_EQ(target.status, 9);
    EXPECT_EQ(fake.Functions(), (Functions{"count", "open", "freq", "synch", "close"}));
    EXPECT_EQ(target.device, nullptr);
}

TEST_F(I2cBridgeTest, NoProbeGivesTheLibraryResultAndStillCloses) {
    fake.memory[3] = '6';
    fake.readResult = ProbeNotConnected;
    char type[2] = "x";
    EXPECT_EQ(target.ReadProbeType(type), ProbeNotConnected);
    EXPECT_STREQ(type, "x");
    EXPECT_EQ(fake.Functions(), kOneCycle);
    EXPECT_EQ(target.device, nullptr);
}

TEST_F(I2cBridgeTest, ReadImageReadsAllBytesInOneTransfer) {
    for (unsigned i = 0; i < EepromSize; ++i)
        fake.memory[i] = static_cast<uint8_t>(255 - i);
    uint8_t image[EepromSize] = {};
    EXPECT_EQ(target.ReadImage(image), 0);
    EXPECT_EQ(std::memcmp(image, fake.memory, EepromSize), 0);
    ASSERT_EQ(fake.Count("read"), 1);
    EXPECT_EQ(uint32_t{fake.calls[4].transaction.memoryAddress}, 0u);
    EXPECT_EQ(uint16_t{fake.calls[4].transaction.length}, 256);
}

TEST_F(I2cBridgeTest, FailedReadImageLeavesTheBufferAlone) {
    std::memset(fake.memory, 0x11, sizeof fake.memory);
    fake.readResult = 1;
    uint8_t image[EepromSize] = {};
    EXPECT_EQ(target.ReadImage(image), 1);
    for (uint8_t byte : image)
        ASSERT_EQ(byte, 0);
    EXPECT_EQ(target.device, nullptr);
}

TEST_F(I2cBridgeTest, WriteImageWritesSixteenPagesEachInItsOwnCycleAndPausesAfterEach) {
    uint8_t image[EepromSize];
    for (unsigned i = 0; i < EepromSize; ++i)
        image[i] = static_cast<uint8_t>(i * 7 + 1);
    EXPECT_EQ(target.WriteImage(image), 0);
    EXPECT_EQ(std::memcmp(fake.memory, image, EepromSize), 0);

    Functions page = {"count", "open", "freq", "synch", "write", "close", "sleep"};
    Functions expected;
    for (int i = 0; i < 16; ++i)
        expected.insert(expected.end(), page.begin(), page.end());
    EXPECT_EQ(fake.Functions(), expected);
    std::vector<BridgeCall> writes = fake.Writes();
    for (unsigned i = 0; i < writes.size(); ++i) {
        const I2cTransaction& sent = writes[i].transaction;
        EXPECT_EQ(sent.slaveAddress, 0x51);
        EXPECT_EQ(sent.addressLength, 1);
        EXPECT_EQ(uint32_t{sent.memoryAddress}, i * 16);
        EXPECT_EQ(uint16_t{sent.length}, 16);
        EXPECT_EQ(std::memcmp(sent.data, image + i * 16, 16), 0);
    }
    EXPECT_EQ(target.device, nullptr);
}

TEST_F(I2cBridgeTest, FailedPageDoesNotStopTheLaterPagesAndItsStatusIsReturned) {
    fake.writeResults[48] = 7;
    fake.writeResults[96] = ProbeNotConnected;
    std::memset(fake.memory, 0xEE, sizeof fake.memory);
    uint8_t image[EepromSize] = {};
    EXPECT_EQ(target.WriteImage(image), 7);  // the first failure, not the last
    EXPECT_EQ(target.status, 7);
    EXPECT_EQ(fake.Count("write"), 16);
    EXPECT_EQ(fake.Count("close"), 16);
    EXPECT_EQ(fake.Count("sleep"), 16);
    EXPECT_EQ(fake.memory[48], 0xEE);  // old content kept
    EXPECT_EQ(fake.memory[96], 0xEE);
    for (unsigned offset = 64; offset < EepromSize; offset += 16) {
        if (offset != 96) {
            EXPECT_EQ(fake.memory[offset], 0) << offset;
        }
    }
    EXPECT_EQ(target.device, nullptr);
}

TEST_F(I2cBridgeTest, OnlyTheLastPageFailingStillFailsTheWrite) {
    fake.writeResults[240] = 4;
    uint8_t image[EepromSize] = {};
    EXPECT_EQ(target.WriteImage(image), 4);
}

TEST_F(I2cBridgeTest, OpenWithADeviceAlreadyHeldDoesNothing) {
    target.device = reinterpret_cast<HANDLE>(std::intptr_t{0x55});
    EXPECT_EQ(target.Open(), 0);
    EXPECT_TRUE(fake.calls.empty());
}

}  // namespace
