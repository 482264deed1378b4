// read, status and write against the simulated bridge, whose EEPROM is a file of
// the test's scratch folder.
#include <fstream>

#include "tool_fixture.h"

namespace {

constexpr unsigned kPages = 16;
constexpr unsigned kPagePause = 100;

ImageBytes Filled(std::uint8_t value) {
    ImageBytes image;
    image.fill(value);
    return image;
}

TEST_F(ToolTest, WriteSavesTheOldContentWritesEveryPageAndVerifies) {
    const std::string file = NewLinearType6("a.bin");
    SetEeprom(Filled(0xA5));
    const ToolRun run = RunSimulated({"write", file, "--backup", Path("old.bin")});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(Eeprom(), ReadBytes("a.bin"));
    EXPECT_EQ(ReadBytes("old.bin"), Filled(0xA5));
    EXPECT_EQ(pauses_, std::vector<unsigned>(kPages, kPagePause));
    EXPECT_NE(run.out.find("page 16/16 at 240: written"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("written and verified"), std::string::npos);

    // Without --backup and records the old content goes beside the file under a
    // dated name.
    ASSERT_EQ(RunSimulated({"write", file, "--no-record"}).code, 0);
    int backups = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
        const std::string name = entry.path().filename().string();
        if (name.rfind("a.bin.backup-", 0) == 0) {
            ++backups;
            EXPECT_EQ(ReadBytes(name), ReadBytes("a.bin"));
        }
    }
    EXPECT_EQ(backups, 1);
}

TEST_F(ToolTest, AFailingPageIsABridgeFailureAndTheOthersAreStillWritten) {
    const std::string file = NewLinearType6("a.bin");
    SetEeprom(Filled(0));
    SetFaults("page-fails=48");
    const ToolRun run = RunSimulated({"write", file, "--backup", Path("old.bin")});
    EXPECT_EQ(run.code, 4) << run.err;
    EXPECT_NE(run.out.find("page 4/16 at 48: I2C bus Error"), std::string::npos) << run.out;
    EXPECT_EQ(pauses_.size(), kPages);
    const ImageBytes eeprom = Eeprom();
    const ImageBytes image = ReadBytes("a.bin");
    EXPECT_TRUE(std::equal(image.begin() + 64, image.end(), eeprom.begin() + 64));
    EXPECT_NE(run.err.find("old content is in"), std::string::npos);
}

TEST_F(ToolTest, WriteProtectIsCaughtByTheReadBack) {
    const std::string file = NewLinearType6("a.bin");
    SetEeprom(Filled(0xFF));
    SetFaults("write-protect");
    const ToolRun run = RunSimulated({"write", file, "--backup", Path("old.bin")});
    EXPECT_EQ(run.code, 5) << run.err;
    EXPECT_NE(run.err.find("verify failed"), std::string::npos) << run.err;
    EXPECT_EQ(Eeprom(), Filled(0xFF));

    // Without the read-back nothing notices.
    EXPECT_EQ(RunSimulated({"write", file, "--backup", Path("old.bin"), "--no-verify"}).code, 0);
}

TEST_F(ToolTest, DryRunAndRefusedImagesTouchNothing) {
    const std::string file = NewLinearType6("a.bin");
    SetEeprom(Filled(0x11));
    const ToolRun dry = RunSimulated({"write", file, "--dry-run", "--backup", Path("old.bin")});
    EXPECT_EQ(dry.code, 0) << dry.err;
    EXPECT_NE(dry.out.find("nothing written"), std::string::npos);
    EXPECT_EQ(Eeprom(), Filled(0x11));
    EXPECT_FALSE(Exists("old.bin"));
    EXPECT_TRUE(pauses_.empty());

    ImageBytes bad = ReadBytes("a.bin");
    bad[252] ^= 1;
    WriteBytes("bad.bin", bad);
    const ToolRun refused = RunSimulated({"write", Path("bad.bin"), "--backup", Path("old.bin")});
    EXPECT_EQ(refused.code, 3);
    EXPECT_NE(refused.err.find("--force"), std::string::npos);
    EXPECT_EQ(Eeprom(), Filled(0x11));
    EXPECT_FALSE(Exists("old.bin"));

    {
        std::ofstream shortFile(Path("short.bin"), std::ios::binary);
        shortFile << std::string(255, 'M');
    }
    EXPECT_EQ(RunSimulated({"write", Path("short.bin"), "--force"}).code, 2);
    EXPECT_EQ(Eeprom(), Filled(0x11));

    const ToolRun forced =
        RunSimulated({"write", Path("bad.bin"), "--backup", Path("old.bin"), "--force"});
    EXPECT_EQ(forced.code, 0) << forced.err;
    EXPECT_EQ(Eeprom(), bad);
}

TEST_F(ToolTest, StatusSpeaksTheWritersStatusLine) {
    const std::string file = NewLinearType6("a.bin");
    SetEeprom(ReadBytes("a.bin"));
    EXPECT_EQ(RunSimulated({"status"}).out, "System Available\n");

    ImageBytes bad = ReadBytes("a.bin");
    bad[252] ^= 1;
    SetEeprom(bad);
    const ToolRun crc = RunSimulated({"status"});
    EXPECT_EQ(crc.out, "CRC error\n");
    EXPECT_EQ(crc.code, 3);

    SetEeprom(Filled(0xFF));
    EXPECT_EQ(RunSimulated({"status"}).out, "DLL Probe Error\n");

    const std::pair<const char*, const char*> faults[] = {
        {"no-bridge", "I2C bridge not present\n"},
        {"no-probe", "Probe not connected\n"},
        {"bus-error", "I2C bus Error\n"},
    };
    for (const auto& [fault, text] : faults) {
        SetFaults(fault);
        const ToolRun run = RunSimulated({"status"});
        EXPECT_EQ(run.out, text);
        EXPECT_EQ(run.code, 4);
    }
}

TEST_F(ToolTest, ReadSavesTheEepromOrFailsAsABridgeFailure) {
    SetEeprom(Filled(0x3C));
    ASSERT_EQ(RunSimulated({"read", Path("copy.bin")}).code, 0);
    EXPECT_EQ(ReadBytes("copy.bin"), Filled(0x3C));

    SetFaults("no-probe");
    const ToolRun run = RunSimulated({"read", Path("other.bin")});
    EXPECT_EQ(run.code, 4);
    EXPECT_NE(run.err.find("Probe not connected (status 5)"), std::string::npos) << run.err;
    EXPECT_FALSE(Exists("other.bin"));
}

}  // namespace
