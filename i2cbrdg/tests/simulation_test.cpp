// The parts of the simulated bridge that the writer's tests do not reach: the
// fault list, the factory image and the EEPROM file.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "eeprom_file.h"
#include "eeprom_memory.h"
#include "fault_settings.h"
#include "image_crc.h"
#include "image_layout.h"

namespace {

using i2cbrdg::FaultSettings;
using i2cbrdg::ParseFaultSettings;

TEST(FaultSettings, ReadsEveryFaultOfACommaSeparatedList) {
    FaultSettings all = ParseFaultSettings(
        "no-bridge,open-fails, setup-fails ,no-probe,bus-error,write-protect,page-fails=240");
    EXPECT_TRUE(all.noBridge);
    EXPECT_TRUE(all.openFails);
    EXPECT_TRUE(all.setupFails);
    EXPECT_TRUE(all.noProbe);
    EXPECT_TRUE(all.busError);
    EXPECT_TRUE(all.writeProtect);
    EXPECT_EQ(all.failingPage, 240u);

    FaultSettings none = ParseFaultSettings("");
    EXPECT_FALSE(none.noBridge || none.openFails || none.setupFails || none.noProbe ||
                 none.busError || none.writeProtect || none.failingPage);
}

TEST(FaultSettings, IgnoresUnknownWordsAndBadOffsets) {
    for (const char* text : {"page-fails=", "page-fails=4x", "page-fails=-16", "no_probe", ",,"}) {
        FaultSettings settings = ParseFaultSettings(text);
        EXPECT_FALSE(settings.failingPage) << text;
        EXPECT_FALSE(settings.noProbe) << text;
    }
    EXPECT_TRUE(ParseFaultSettings("typo,no-probe").noProbe);
}

// The factory image byte for byte, as hosts and stored images have known it.
constexpr char kSampleImageHex[] =
    "4D30303653313030303030314F53494D"
    "554C41544443414C3235313244464142"
    "323530364E3030303030303147303532"
    "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"
    "4652332E350000004330303030303030"
    "504F3031000000000000803F6B20322E"
    "303000007830302E353000004620332E"
    "353000005220352E373000002D2D2D2D"
    "2D2D2D2D2D2D2D2D2D2D2D2D2D2D2D2D"
    "2D2D2D2D2D2D2D2D2D2D2D2D504F3030"
    "00000000FFFFFFFFFFFFFFFFFFFFFFFF"
    "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"
    "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"
    "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"
    "FFFFFFFFFFFFFFFFFFFFFFFFFFFFFFFF"
    "FFFFFFFFFFFFFFFFFFFFFFFF1BDC0000";

TEST(SampleImage, HoldsTheFactoryBytesUnderTheImageChecksum) {
    const i2cbrdg::Eeprom sample = i2cbrdg::SampleProbeImage();
    std::string hex;
    for (std::uint8_t byte : sample) {
        char two[3];
        std::snprintf(two, sizeof two, "%02X", byte);
        hex += two;
    }
    EXPECT_EQ(hex, kSampleImageHex);
    EXPECT_EQ(probe::LoadLittleEndian32(sample.data() + probe::kChecksumOffset),
              probe::ProbeImageCrc(sample.data(), probe::kChecksumOffset));
}

class EepromFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        path = std::filesystem::path(::testing::TempDir()) / ("i2cbrdg-" + name + ".bin");
        std::filesystem::remove(path);
    }
    void TearDown() override { std::filesystem::remove(path); }

    std::filesystem::path path;
};

TEST_F(EepromFileTest, ShortFileReadsAsPaddedWithBlankBytes) {
    std::ofstream(path, std::ios::binary) << "M006";
    i2cbrdg::Eeprom eeprom{};
    ASSERT_TRUE(i2cbrdg::LoadEepromFile(path, eeprom));
    EXPECT_EQ(eeprom[3], '6');
    EXPECT_EQ(eeprom[4], 0xFF);
    EXPECT_EQ(eeprom[255], 0xFF);
}

TEST_F(EepromFileTest, SaveReplacesTheFileAndLeavesNoTemporaryBehind) {
    i2cbrdg::Eeprom written = i2cbrdg::SampleProbeImage();
    ASSERT_TRUE(i2cbrdg::SaveEepromFile(path, written));
    written[7] ^= 0x5A;
    ASSERT_TRUE(i2cbrdg::SaveEepromFile(path, written));
    i2cbrdg::Eeprom read{};
    ASSERT_TRUE(i2cbrdg::LoadEepromFile(path, read));
    EXPECT_EQ(read, written);
    EXPECT_EQ(std::filesystem::file_size(path), i2cbrdg::kEepromSize);
    std::filesystem::path temporary = path;
    temporary += ".tmp";
    EXPECT_FALSE(std::filesystem::exists(temporary));
}

TEST_F(EepromFileTest, FileInAMissingFolderCannotBeLoaded) {
    i2cbrdg::Eeprom eeprom{};
    EXPECT_FALSE(i2cbrdg::LoadEepromFile(path / "no-such-folder" / "eeprom.bin", eeprom));
}

}  // namespace
