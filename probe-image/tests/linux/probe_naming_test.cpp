// Linux reaches a probe only where the command line names one: without --bus,
// --eeprom or --simulated the probe commands touch nothing; with --simulated they
// reach the simulated bridge and say so in their records.
#include "i2c_bridge.h"
#include "tool_fixture.h"

namespace {

int opens = 0;

HANDLE U2C_CALL CountingOpen(uint8_t index) {
    ++opens;
    return LinkedBridgeApi().openDevice(index);
}

class ProbeNamingTest : public ToolTest {
  protected:
    void SetUp() override {
        ToolTest::SetUp();
        opens = 0;
        ActiveBridgeApi().openDevice = CountingOpen;
    }
};

TEST_F(ProbeNamingTest, WithoutAnEepromNamedTheProbeCommandsTouchNothing) {
    const std::string file = NewLinearType6("a.bin");
    ImageBytes before{};
    before.fill(0x33);
    SetEeprom(before);
    const std::vector<std::vector<std::string>> commands = {
        {"status"},
        {"read", Path("copy.bin")},
        {"read", Path("copy.bin"), "--verify"},
        {"write", file},
        {"write", file, "--dry-run"},
        {"write", file, "--record", Path("own.jsonl")},
        {"status", "--no-record"},
    };
    for (const std::vector<std::string>& command : commands) {
        const ToolRun run = RunWith(command);
        EXPECT_EQ(run.code, 1) << command[0];
        EXPECT_EQ(run.out, "") << command[0];
        for (const char* option : {"--bus", "--eeprom", "--simulated"})
            EXPECT_NE(run.err.find(option), std::string::npos) << run.err;
    }
    EXPECT_EQ(opens, 0);
    EXPECT_EQ(Eeprom(), before);
    EXPECT_FALSE(Exists("copy.bin"));
    EXPECT_FALSE(Exists("own.jsonl"));
    EXPECT_FALSE(Exists("data/probe-image/records.jsonl"));
    EXPECT_FALSE(Exists("data/probe-image/as-found"));
}

TEST_F(ProbeNamingTest, SimulatedReachesTheSimulatedBridgeAndIsRecordedSo) {
    const std::string file = NewLinearType6("a.bin");
    ASSERT_EQ(Run({"write", file, "--simulated"}).code, 0);
    EXPECT_EQ(Eeprom(), ReadBytes("a.bin"));
    const ToolRun status = Run({"status", "--simulated"});
    EXPECT_EQ(status.out, "System Available\n");
    ASSERT_EQ(Run({"read", Path("copy.bin"), "--simulated"}).code, 0);
    EXPECT_EQ(ReadBytes("copy.bin"), ReadBytes("a.bin"));
    EXPECT_GT(opens, 0);

    const auto records = Records();
    ASSERT_EQ(records.size(), 3u);
    for (const auto& record : records) {
        EXPECT_EQ(record["transport"], "simulated") << record.dump();
        EXPECT_EQ(record["device"], "0") << record.dump();
    }
}

TEST_F(ProbeNamingTest, SimulatedNamesOneEepromAlone) {
    for (const std::vector<std::string>& command : std::vector<std::vector<std::string>>{
             {"status", "--simulated", "--bus", "7"},
             {"status", "--simulated", "--eeprom", Path("e.bin")},
             {"read", Path("copy.bin"), "--eeprom", Path("e.bin"), "--simulated"}}) {
        const ToolRun run = RunWith(command);
        EXPECT_EQ(run.code, 1) << command[1];
        EXPECT_NE(run.err.find("excludes"), std::string::npos) << run.err;
    }
    EXPECT_EQ(opens, 0);
    EXPECT_FALSE(Exists("data/probe-image/records.jsonl"));
}

}  // namespace
