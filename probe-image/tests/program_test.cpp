// The built program itself, started as a process: it finds the probe libraries
// and the bridge library beside itself and ends with the documented status. Few
// runs, since each one is a process start (under Wine a costly one).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "environment.h"
#include "run_program.h"
#include "simulated_probe.h"

namespace {

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = std::filesystem::path(::testing::TempDir()) / "probe-image-program";
        std::filesystem::remove_all(folder_);
        std::filesystem::create_directories(folder_);
        SetEnvironmentValue("I2CBRDG_EEPROM", (folder_ / "eeprom.bin").string().c_str());
        SetEnvironmentValue("I2CBRDG_FAULT", "");
        SetEnvironmentValue("XDG_DATA_HOME", (folder_ / "data").string().c_str());
        SetEnvironmentValue("LOCALAPPDATA", (folder_ / "data").string().c_str());
    }
    void TearDown() override {
        SetEnvironmentValue("I2CBRDG_EEPROM", "");
        SetEnvironmentValue("XDG_DATA_HOME", "");
        SetEnvironmentValue("LOCALAPPDATA", "");
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }

    int Run(const std::vector<std::string>& arguments) {
        return RunProgram(ProgramBesideMe("probe-image"), arguments, folder_ / "output.txt");
    }
    // A probe command on the simulated bridge: the arguments and those that name it.
    int RunSimulated(const std::vector<std::string>& arguments) {
        return Run(WithSimulatedProbe(arguments));
    }
    std::string Output() const { return Contents(folder_ / "output.txt"); }
    static std::string Contents(const std::filesystem::path& path) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
    std::string Path(const char* name) const { return (folder_ / name).string(); }

    std::filesystem::path folder_;
};

TEST_F(ProgramTest, MakesShowsAndWritesAnImageWithTheDocumentedStatus) {
    EXPECT_EQ(RunSimulated({"status"}), 3);  // a fresh EEPROM file is blank: no library
    EXPECT_NE(Output().find("DLL Probe Error"), std::string::npos) << Output();

    ASSERT_EQ(Run({"new", "--type", "3", "-o", Path("a.bin"), "--set", "Serial=42",
                   "PositionCoefficients=0,1"}),
              0)
        << Output();
    ASSERT_EQ(RunSimulated({"write", Path("a.bin"), "--backup", Path("old.bin")}), 0) << Output();
    EXPECT_EQ(Contents(folder_ / "eeprom.bin"), Contents(folder_ / "a.bin"));
    EXPECT_EQ(Contents(folder_ / "old.bin"), std::string(256, '\xFF'));

    EXPECT_EQ(RunSimulated({"status"}), 0);
    EXPECT_NE(Output().find("System Available"), std::string::npos) << Output();
    EXPECT_EQ(Run({"show", Path("a.bin")}), 0);
    EXPECT_NE(Output().find("Serial                42"), std::string::npos) << Output();
    EXPECT_EQ(Run({"show", Path("missing.bin")}), 2);
    EXPECT_EQ(Run({"show", "--colour"}), 1);
}

// An EEPROM file is plain file I/O, reached alike on every platform; one of any
// other size is refused before a byte is written.
TEST_F(ProgramTest, WritesAndReadsAnEepromFile) {
    std::ofstream(folder_ / "part.bin", std::ios::binary) << std::string(256, '\xFF');
    std::ofstream(folder_ / "short.bin", std::ios::binary) << std::string(255, '\xFF');
    ASSERT_EQ(Run({"new", "--type", "3", "-o", Path("a.bin"), "--set", "Serial=42",
                   "PositionCoefficients=0,1"}),
              0)
        << Output();
    ASSERT_EQ(
        Run({"write", Path("a.bin"), "--eeprom", Path("part.bin"), "--backup", Path("old.bin")}), 0)
        << Output();
    EXPECT_EQ(Contents(folder_ / "part.bin"), Contents(folder_ / "a.bin"));
    EXPECT_EQ(Contents(folder_ / "old.bin"), std::string(256, '\xFF'));
    EXPECT_EQ(Run({"status", "--eeprom", Path("part.bin")}), 0) << Output();
    EXPECT_NE(Output().find("System Available"), std::string::npos) << Output();
    ASSERT_EQ(Run({"read", Path("back.bin"), "--eeprom", Path("part.bin")}), 0) << Output();
    EXPECT_EQ(Contents(folder_ / "back.bin"), Contents(folder_ / "a.bin"));

    EXPECT_EQ(Run({"write", Path("a.bin"), "--eeprom", Path("short.bin")}), 4) << Output();
    EXPECT_NE(Output().find("exactly 256"), std::string::npos) << Output();
    EXPECT_EQ(Contents(folder_ / "short.bin"), std::string(255, '\xFF'));
    EXPECT_FALSE(std::filesystem::exists(folder_ / "eeprom.bin"));  // the bridge untouched
}

TEST_F(ProgramTest, PlotsToStandardOutputAsBytes) {
    ASSERT_EQ(Run({"new", "--type", "6", "-o", Path("a.bin"), "--set", "PositionCoefficients=0,1"}),
              0)
        << Output();
    ASSERT_EQ(Run({"plot", Path("a.bin"), "-o", "-"}), 0) << Output();
    const std::string svg = Output();
    ASSERT_GT(svg.size(), 7u);
    EXPECT_EQ(svg.rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<svg ", 0), 0u) << svg;
    EXPECT_EQ(svg.substr(svg.size() - 7), "</svg>\n");
    EXPECT_EQ(svg.find('\r'), std::string::npos);  // no line-end translation on Windows
}

// Two programs logging to one record file at once: every run leaves one whole
// line, none torn or lost. The long operator names make each line longer than
// any buffer a stream would split it at.
TEST_F(ProgramTest, TwoProgramsAppendingAtOnceLeaveWholeLines) {
    constexpr int kRuns = 6;
    const std::string record = Path("records.jsonl");
    const auto runs = [&](char name) {
        const std::string operatorName(9000, name);
        // One output file per run: a child of the other thread may still hold an
        // inherited handle to an earlier one.
        for (int run = 0; run < kRuns; ++run)
            RunProgram(
                ProgramBesideMe("probe-image"),
                WithSimulatedProbe({"status", "--record", record, "--operator", operatorName}),
                folder_ / (std::string("output-") + name + std::to_string(run) + ".txt"));
    };
    std::thread first(runs, 'a');
    std::thread second(runs, 'b');
    first.join();
    second.join();

    std::istringstream lines(Contents(record));
    int count[2] = {};
    for (std::string line; std::getline(lines, line);) {
        const std::size_t at = line.find("\"operator\":\"");
        ASSERT_NE(at, std::string::npos) << line.substr(0, 200);
        const std::string name = line.substr(at + 12, 9000);
        ASSERT_TRUE(name == std::string(9000, 'a') || name == std::string(9000, 'b'));
        EXPECT_EQ(line.compare(at + 12 + 9000, 2, "\","), 0);
        EXPECT_EQ(line.back(), '}');
        ++count[name[0] - 'a'];
    }
    EXPECT_EQ(count[0], kRuns);
    EXPECT_EQ(count[1], kRuns);
}

}  // namespace
