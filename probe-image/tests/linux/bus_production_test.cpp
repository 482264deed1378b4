// program, the built program, on four I2C buses at once: the model of the
// kernel's I2C interface preloaded, serving /dev/i2c-7 to /dev/i2c-10, each
// with its EEPROM in a file of the scratch folder and faults of its own.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include <nlohmann/json.hpp>

#include "run_program.h"
#include "started_program.h"

namespace {

namespace fs = std::filesystem;

constexpr int kBuses[] = {7, 8, 9, 10};
const char* const kSuffixes[] = {"", "_2", "_3", "_4"};

class BusProductionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::path(::testing::TempDir()) / "probe-image-production";
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "sysfs/class/i2c-dev");
        setenv("LD_PRELOAD", FAKE_I2C_PRELOAD, 1);
        setenv("PROBE_IMAGE_SYSFS", Path("sysfs").c_str(), 1);
        for (int i = 0; i < 4; ++i) {
            setenv(Name("FAKE_I2C_DEVICE", i).c_str(),
                   ("/dev/i2c-" + std::to_string(kBuses[i])).c_str(), 1);
            setenv(Name("FAKE_I2C_EEPROM", i).c_str(), EepromPath(kBuses[i]).c_str(), 1);
            Faults(kBuses[i], "");
            SetEeprom(kBuses[i], std::string(256, '\xFF'));
        }
        ASSERT_EQ(Run({"new", "--type", "3", "-o", Path("t.bin"), "--set", "Serial=1",
                       "PositionCoefficients=0,1"}),
                  0)
            << Output();
    }
    void TearDown() override {
        unsetenv("LD_PRELOAD");
        unsetenv("PROBE_IMAGE_SYSFS");
        unsetenv("PROBE_IMAGE_PROGRAM_POLL_MS");
        for (int i = 0; i < 4; ++i)
            for (const char* name : {"FAKE_I2C_DEVICE", "FAKE_I2C_EEPROM", "FAKE_I2C_FAULTS"})
                unsetenv(Name(name, i).c_str());
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    static std::string Name(const char* variable, int index) {
        return std::string(variable) + kSuffixes[index];
    }
    static int IndexOf(int bus) {
        for (int i = 0; i < 4; ++i)
            if (kBuses[i] == bus)
                return i;
        return 0;
    }
    // Every page write is counted, beside the faults asked for.
    void Faults(int bus, const std::string& faults) {
        setenv(Name("FAKE_I2C_FAULTS", IndexOf(bus)).c_str(),
               ("count-writes,busy=2" + (faults.empty() ? "" : "," + faults)).c_str(), 1);
    }
    std::string Path(const std::string& name) const { return (folder_ / name).string(); }
    std::string EepromPath(int bus) const { return Path("eeprom-" + std::to_string(bus) + ".bin"); }
    // Written whole under its name at once, as a program might read it any time.
    void SetEeprom(int bus, const std::string& bytes) const {
        const std::string staged = EepromPath(bus) + ".new";
        std::ofstream(staged, std::ios::binary) << bytes;
        fs::rename(staged, EepromPath(bus));
    }
    static std::string Contents(const fs::path& path) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
    std::string Eeprom(int bus) const { return Contents(EepromPath(bus)); }
    std::string SerialOn(int bus) const { return Eeprom(bus).substr(5, 7); }
    // Page writes the bus's part took, over every run.
    std::size_t PageWrites(int bus) const {
        std::ifstream lines(EepromPath(bus) + ".writes");
        std::size_t count = 0;
        for (std::string line; std::getline(lines, line);)
            ++count;
        return count;
    }

    int Run(const std::vector<std::string>& arguments) {
        return RunProgram(ProgramBesideMe("probe-image"), arguments, folder_ / "output.txt");
    }
    // program of the lot L1 (100-109) on the buses.
    int Program(const std::vector<int>& buses, const std::vector<std::string>& more = {}) {
        std::vector<std::string> arguments = {"program",  Path("t.bin"),        "--lot",
                                              "L1",       "--serials",          "100-109",
                                              "--record", Path("records.jsonl")};
        for (const int bus : buses) {
            arguments.push_back("--bus");
            arguments.push_back(std::to_string(bus));
        }
        arguments.insert(arguments.end(), more.begin(), more.end());
        return Run(arguments);
    }
    std::string Output() const { return Contents(folder_ / "output.txt"); }
    bool Says(const std::string& text) const { return Output().find(text) != std::string::npos; }
    std::vector<nlohmann::json> Records() const {
        std::vector<nlohmann::json> records;
        std::ifstream lines(folder_ / "records.jsonl");
        for (std::string line; std::getline(lines, line);)
            records.push_back(nlohmann::json::parse(line));
        return records;
    }
    // The records of probes (not of refused runs) for the bus.
    std::vector<nlohmann::json> ProbeRecords(int bus) const {
        std::vector<nlohmann::json> found;
        for (const auto& record : Records())
            if (record.contains("production") &&
                record["production"]["target"] == "bus:" + std::to_string(bus))
                found.push_back(record);
        return found;
    }

    fs::path folder_;
};

TEST_F(BusProductionTest, FourTargetsAtOnceTakeConsecutiveSerials) {
    ASSERT_EQ(Program({7, 8, 9, 10}), 0) << Output();
    std::set<std::string> serials;
    for (const int bus : kBuses) {
        serials.insert(SerialOn(bus));
        EXPECT_EQ(PageWrites(bus), 16u) << bus;
        const auto records = ProbeRecords(bus);
        ASSERT_EQ(records.size(), 1u) << bus;
        EXPECT_EQ(records[0]["production"]["outcome"], "programmed");
        EXPECT_EQ(records[0]["verification"], "passed");
        EXPECT_EQ("0000" + records[0]["serial"].get<std::string>(), SerialOn(bus));
    }
    EXPECT_EQ(serials, (std::set<std::string>{"0000100", "0000101", "0000102", "0000103"}));
    EXPECT_TRUE(Says("4/4 probes done, 0 failed")) << Output();
    EXPECT_TRUE(Says("lot L1: 4 programmed, 0 skipped, 0 failed; 6 serials left")) << Output();
}

struct BusFault {
    const char* faults;
    int exit;
    const char* says;
    bool spoils;  // a serial was taken and spoiled; else nothing was allocated
};

TEST_F(BusProductionTest, AFaultSpoilsItsSerialAndTheNextProbeGetsTheNext) {
    const BusFault cases[] = {
        {"vanish-after=5", 4, "write failed: page 5/16 at 64: Probe not connected", true},
        {"write-protect", 4, "write-protected?", true},
        {"adapter-stops-after=3", 4, "I2C bus Error", true},
        {"ignores-writes", 5, "verify failed", true},
        {"absent", 4, "not every target answers (bus:7: Probe not connected", false},
    };
    int next = 100;
    for (const BusFault& fault : cases) {
        const std::string blank(256, '\xFF');
        SetEeprom(7, blank);
        SetEeprom(8, blank);
        Faults(7, fault.faults);
        const std::size_t writtenBefore = PageWrites(7);
        EXPECT_EQ(Program({7}), fault.exit) << fault.faults << "\n" << Output();
        EXPECT_TRUE(Says(fault.says)) << fault.faults << "\n" << Output();
        if (fault.spoils) {
            const auto record = ProbeRecords(7).back();
            EXPECT_EQ(record["production"]["outcome"], "failed") << fault.faults;
            EXPECT_EQ(record["production"]["spoiled"], std::to_string(next)) << fault.faults;
            EXPECT_EQ(record["exit"], fault.exit) << fault.faults;
            EXPECT_TRUE(Says("(serial " + std::to_string(next) + " spoiled)")) << Output();
            ++next;
        } else {
            EXPECT_EQ(PageWrites(7), writtenBefore) << fault.faults;
            EXPECT_EQ(Eeprom(7), blank) << fault.faults;
            EXPECT_TRUE(Says("nothing was written and no serial taken")) << Output();
        }
        ASSERT_EQ(Program({8}), 0) << fault.faults << "\n" << Output();
        EXPECT_EQ(SerialOn(8), "0000" + std::to_string(next)) << fault.faults;
        ++next;
    }
}

TEST_F(BusProductionTest, ALotStoppedHalfwayFinishesWithoutWritingAnyProbeTwice) {
    // The first run ends early: two probes done, one lost at page 6, one not reached.
    Faults(9, "vanish-after=5");
    EXPECT_EQ(Program({7, 8, 9}), 4) << Output();
    Faults(9, "");
    ASSERT_EQ(Program({7, 8, 9, 10}), 0) << Output();
    EXPECT_TRUE(Says("lot L1: 2 programmed, 2 skipped, 0 failed; 5 serials left")) << Output();
    EXPECT_EQ(PageWrites(7), 16u);
    EXPECT_EQ(PageWrites(8), 16u);
    EXPECT_EQ(PageWrites(9), 5u + 16u);
    EXPECT_EQ(PageWrites(10), 16u);
    std::set<std::string> serials;
    for (const int bus : kBuses)
        serials.insert(SerialOn(bus));
    EXPECT_EQ(serials.size(), 4u);
    EXPECT_EQ(
        serials.count("0000" + ProbeRecords(9)[0]["production"]["spoiled"].get<std::string>()), 0u);
    EXPECT_EQ(ProbeRecords(7).back()["production"]["outcome"], "skipped");
    // A third run finds everything done.
    ASSERT_EQ(Program({7, 8, 9, 10}), 0) << Output();
    EXPECT_TRUE(Says("lot L1: 0 programmed, 4 skipped, 0 failed; 5 serials left")) << Output();
    EXPECT_EQ(PageWrites(10), 16u);
}

TEST_F(BusProductionTest, SignalLinesGoToStandardOutputOnePerEvent) {
    Faults(8, "vanish-after=2");
    EXPECT_EQ(Program({7, 8}, {"--signals"}), 4) << Output();
    const std::string serial7 = std::to_string(std::stoi(SerialOn(7)));
    EXPECT_TRUE(Says("start target=bus:7 serial=" + serial7 + "\n")) << Output();
    EXPECT_TRUE(Says("ok target=bus:7 serial=" + serial7 + " seconds=")) << Output();
    const std::string serial8 = serial7 == "100" ? "101" : "100";
    EXPECT_TRUE(Says("start target=bus:8 serial=" + serial8 + "\n")) << Output();
    EXPECT_TRUE(Says("fail target=bus:8 serial=" + serial8 +
                     " status=4 reason=\"write failed: page 2/16 at 16: Probe not connected"))
        << Output();
    EXPECT_TRUE(Says("done programmed=1 skipped=0 failed=1 left=8 status=4\n")) << Output();
    // The lines for people are there too.
    EXPECT_TRUE(Says("bus:7: serial " + serial7 + " programmed and verified")) << Output();

    ASSERT_EQ(Program({7}, {"--signals"}), 0) << Output();
    EXPECT_TRUE(Says("skip target=bus:7 serial=" + serial7 + " seconds=")) << Output();
}

TEST_F(BusProductionTest, AContinuousFixtureProgramsEachProbePutInUntilCtrlC) {
    const std::string present = Path("probe-in");
    Faults(7, "present-while=" + present);
    setenv("PROBE_IMAGE_PROGRAM_POLL_MS", "20", 1);
    StartedProgram program(
        ProgramBesideMe("probe-image"),
        {"program", Path("t.bin"), "--lot", "L1", "--serials", "100-109", "--record",
         Path("records.jsonl"), "--bus", "7", "--continuous", "--signals"},
        folder_ / "output.txt");
    ASSERT_TRUE(program.Started());
    const auto await = [&](const std::string& text) {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!Says(text) && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        return Says(text);
    };
    ASSERT_TRUE(await("waiting target=bus:7")) << Output();
    std::ofstream(present) << "in";
    ASSERT_TRUE(await("ok target=bus:7 serial=100 ")) << Output();
    EXPECT_EQ(SerialOn(7), "0000100");
    fs::remove(present);
    ASSERT_TRUE(await("removed target=bus:7")) << Output();
    SetEeprom(7, std::string(256, '\xFF'));  // another probe
    std::ofstream(present) << "in";
    ASSERT_TRUE(await("ok target=bus:7 serial=101 ")) << Output();
    EXPECT_EQ(SerialOn(7), "0000101");
    program.Interrupt();
    EXPECT_EQ(program.Wait(20), 0) << Output();
    EXPECT_TRUE(Says("done programmed=2 skipped=0 failed=0 left=8 status=0")) << Output();
    EXPECT_EQ(PageWrites(7), 32u);
}

}  // namespace
