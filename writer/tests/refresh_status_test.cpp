#include "refresh_status.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "quillet_fakes.h"

namespace {

class RefreshStatusTest : public ::testing::Test {
  protected:
    void SetUp() override {
        bridge.eeprom.fill(0x5A);
        bridge.eeprom[ProbeTypeAddress] = '6';
    }

    void Poll() { RefreshStatus(bridge, probe.Binding(), view); }

    FakeEeprom bridge;
    FakeProbeLibrary probe;
    FakeView view;
};

TEST_F(RefreshStatusTest, SoundImageGivesSystemAvailableAndReleasesTheLibrary) {
    Poll();
    EXPECT_EQ(view.events, std::vector<std::string>{"status:System Available"});
    EXPECT_EQ(probe.lastFileName, "Palvo6.dll");
    EXPECT_EQ(probe.loads, 1);
    EXPECT_EQ(probe.unloads, 1);
    EXPECT_EQ(probe.held, 0);
    EXPECT_TRUE(std::equal(bridge.eeprom.begin(), bridge.eeprom.end(), probe.initImage.begin(),
                           probe.initImage.end()));
}

TEST_F(RefreshStatusTest, ParameterRecordIsZeroedWithItsSize) {
    Poll();
    ASSERT_TRUE(probe.givenParameters.has_value());
    const ProbeParameters& record = *probe.givenParameters;
    EXPECT_EQ(record.Size, PROBE_PARAMETERS_SIZE);
    const auto* bytes = reinterpret_cast<const uint8_t*>(&record);
    EXPECT_TRUE(std::all_of(bytes + sizeof record.Size, bytes + sizeof record,
                            [](uint8_t b) { return b == 0; }));
}

TEST_F(RefreshStatusTest, EveryPollLoadsAndReleasesOnce) {
    for (int i = 0; i < 3; ++i) {
        Poll();
    }
    EXPECT_EQ(probe.loads, 3);
    EXPECT_EQ(probe.unloads, 3);
    EXPECT_EQ(view.events.size(), 3u);
}

struct BridgeFailure {
    int status;
    const char* text;
};

class RefreshStatusBridgeTest : public RefreshStatusTest,
                                public ::testing::WithParamInterface<BridgeFailure> {};

TEST_P(RefreshStatusBridgeTest, TypeReadFailureNamesTheCauseAndLoadsNothing) {
    bridge.typeReadResult = GetParam().status;
    Poll();
    EXPECT_EQ(view.events, std::vector<std::string>{std::string("status:") + GetParam().text});
    EXPECT_EQ(probe.loads, 0);
    EXPECT_EQ(probe.unloads, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, RefreshStatusBridgeTest,
    ::testing::Values(BridgeFailure{BridgeNotPresent, "I2C bridge not present"},
                      BridgeFailure{ProbeNotConnected, "Probe not connected"},
                      BridgeFailure{1, "I2C bus Error"}, BridgeFailure{7, "I2C bus Error"},
                      BridgeFailure{-1, "I2C bus Error"}));

TEST_F(RefreshStatusTest, NoBridgeAttached) {
    bridge.deviceCount = 0;
    Poll();
    EXPECT_EQ(view.events, std::vector<std::string>{"status:I2C bridge not present"});
}

TEST_F(RefreshStatusTest, MissingLibraryGivesDllProbeErrorWithNothingToRelease) {
    probe.loadable = false;
    bridge.eeprom[ProbeTypeAddress] = '4';
    Poll();
    EXPECT_EQ(view.events, std::vector<std::string>{"status:DLL Probe Error"});
    EXPECT_EQ(probe.lastFileName, "Palvo4.dll");
    EXPECT_EQ(probe.unloads, 0);
}

TEST_F(RefreshStatusTest, TypeByteThatIsNoDigitNeverReachesTheLoader) {
    for (uint8_t type : {uint8_t{0xFF}, uint8_t{0}, uint8_t{'/'}, uint8_t{'.'}, uint8_t{'\\'}}) {
        view.events.clear();
        bridge.eeprom[ProbeTypeAddress] = type;
        Poll();
        EXPECT_EQ(view.events, std::vector<std::string>{"status:DLL Probe Error"}) << int{type};
    }
    EXPECT_EQ(probe.loads, 0);
}

TEST_F(RefreshStatusTest, RefusedImageGivesLowerCaseCrcErrorAndReleases) {
    for (uint16_t result : {1, 2, 3, 4, 5, 0xFFFF}) {
        view.events.clear();
        probe.givenParameters.reset();
        probe.initResult = result;
        Poll();
        EXPECT_EQ(view.events, std::vector<std::string>{"status:CRC error"}) << result;
        EXPECT_FALSE(probe.givenParameters.has_value());
    }
    EXPECT_EQ(probe.held, 0);
}

TEST_F(RefreshStatusTest, RefusedParametersGiveCapitalCrcErrorAndRelease) {
    probe.parametersResult = 3;
    Poll();
    EXPECT_EQ(view.events, std::vector<std::string>{"status:CRC Error"});
    EXPECT_EQ(probe.unloads, 1);
}

TEST_F(RefreshStatusTest, FailedImageReadHandsTheLibraryZeros) {
    bridge.imageReadResult = ProbeNotConnected;
    probe.initResult = ProbeStatusWrongType;
    Poll();
    ASSERT_EQ(probe.initImage.size(), size_t{PROBE_IMAGE_SIZE});
    EXPECT_TRUE(std::all_of(probe.initImage.begin(), probe.initImage.end(),
                            [](uint8_t b) { return b == 0; }));
    EXPECT_EQ(view.events, std::vector<std::string>{"status:CRC error"});
    EXPECT_EQ(probe.unloads, 1);
}

TEST_F(RefreshStatusTest, PollLeavesNoDeviceOpenAndWritesNothing) {
    Poll();
    EXPECT_TRUE(bridge.writtenPages.empty());
    EXPECT_EQ(bridge.sleeps, 0u);
}

}  // namespace
