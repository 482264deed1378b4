// program run in the test process on EEPROM files: every refusal comes before
// anything is written or any serial taken, and says why; the run that follows
// gets the lot's first serial.
#include <gtest/gtest.h>

#include "tool_fixture.h"

namespace {

class ProgramCommandTest : public ToolTest {
  protected:
    void SetUp() override {
        ToolTest::SetUp();
        NewLinearType6("t.bin");
        ImageBytes damaged = ReadBytes("t.bin");
        damaged[252] ^= 0xFF;  // the checksum word of an image of position order 1
        WriteBytes("refused.bin", damaged);
        WriteBytes("a.eeprom", Blank());
        WriteBytes("b.eeprom", Blank());
        std::filesystem::create_directories(folder_ / "sub");
    }
    static ImageBytes Blank() {
        ImageBytes blank{};
        blank.fill(0xFF);
        return blank;
    }
    ToolRun Program(std::vector<std::string> arguments) {
        std::vector<std::string> line = {"program", "--record", Path("records.jsonl")};
        for (std::string& argument : arguments)
            line.push_back(argument.find(".bin") != std::string::npos ||
                                   argument.find(".eeprom") != std::string::npos
                               ? Path(argument)
                               : argument);
        return RunWith(line);
    }
};

struct Refusal {
    const char* what;
    std::vector<std::string> arguments;
    int exit;
    const char* says;
};

TEST_F(ProgramCommandTest, RefusalsWriteNothingAndTakeNoSerial) {
    const Refusal refusals[] = {
        {"a template the library refuses",
         {"refused.bin", "--lot", "L1", "--serials", "10-19", "--eeprom", "a.eeprom"},
         3,
         "the template"},
        {"a target that does not answer",
         {"t.bin", "--lot", "L1", "--serials", "10-19", "--eeprom", "a.eeprom", "--eeprom",
          "missing.eeprom"},
         4,
         "not every target answers (eeprom:"},
        {"a target named twice",
         {"t.bin", "--lot", "L1", "--serials", "10-19", "--eeprom", "a.eeprom", "--eeprom",
          "a.eeprom"},
         1,
         "is named twice"},
        {"a file named twice under two spellings",
         {"t.bin", "--lot", "L1", "--serials", "10-19", "--eeprom", "a.eeprom", "--eeprom",
          "sub/../a.eeprom"},
         1,
         "is named twice"},
        {"a range that cannot be one",
         {"t.bin", "--lot", "L1", "--serials", "19-10", "--eeprom", "a.eeprom"},
         1,
         "runs backwards"},
    };
    for (const Refusal& refusal : refusals) {
        const ToolRun run = Program(refusal.arguments);
        EXPECT_EQ(run.code, refusal.exit) << refusal.what << "\n" << run.err;
        EXPECT_NE(run.err.find(refusal.says), std::string::npos) << refusal.what << "\n" << run.err;
        EXPECT_EQ(ReadBytes("a.eeprom"), Blank()) << refusal.what;
    }
    const ToolRun run =
        Program({"t.bin", "--lot", "L1", "--serials", "10-19", "--eeprom", "a.eeprom"});
    ASSERT_EQ(run.code, 0) << run.err;
    EXPECT_NE(run.out.find("eeprom:" + Path("a.eeprom") + ": serial 10 programmed and verified"),
              std::string::npos)
        << run.out;
}

TEST_F(ProgramCommandTest, AUsedUpLotIsRefusedBeforeTheProbeIsRead) {
    ASSERT_EQ(Program({"t.bin", "--lot", "L2", "--serials", "5-5", "--eeprom", "a.eeprom"}).code,
              0);
    const ToolRun run = Program({"t.bin", "--lot", "L2", "--eeprom", "b.eeprom"});
    EXPECT_EQ(run.code, 3) << run.err;
    EXPECT_NE(run.err.find("the lot L2 (5-5) is used up"), std::string::npos) << run.err;
    EXPECT_EQ(ReadBytes("b.eeprom"), Blank());
}

TEST_F(ProgramCommandTest, AnotherTemplateForTheSameLotIsRefused) {
    ASSERT_EQ(Program({"t.bin", "--lot", "L3", "--serials", "1-9", "--eeprom", "a.eeprom"}).code,
              0);
    const ToolRun other = Run(
        {"edit", Path("t.bin"), "-o", Path("u.bin"), "--mode", "calibration", "--set", "Gain=53"});
    ASSERT_EQ(other.code, 0) << other.err;
    const ToolRun run = Program({"u.bin", "--lot", "L3", "--eeprom", "b.eeprom"});
    EXPECT_EQ(run.code, 3) << run.err;
    EXPECT_EQ(ReadBytes("b.eeprom"), Blank());
}

}  // namespace
