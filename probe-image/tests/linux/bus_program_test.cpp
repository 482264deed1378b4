// The built program on an I2C bus and on EEPROM files: probe-image started as a
// process with the model of the kernel's I2C interface preloaded, serving
// /dev/i2c-7 with a 256-byte EEPROM kept in a file of the scratch folder.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "run_program.h"

namespace {

namespace fs = std::filesystem;

class BusProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::path(::testing::TempDir()) / "probe-image-bus";
        fs::remove_all(folder_);
        fs::create_directories(folder_ / "sysfs/class/i2c-dev/i2c-7");
        fs::create_directories(folder_ / "sysfs/class/i2c-dev/i2c-250");
        std::ofstream(folder_ / "sysfs/class/i2c-dev/i2c-7/name") << "fake adapter\n";
        std::ofstream(folder_ / "sysfs/class/i2c-dev/i2c-250/name") << "unplugged adapter\n";
        setenv("LD_PRELOAD", FAKE_I2C_PRELOAD, 1);
        setenv("FAKE_I2C_DEVICE", "/dev/i2c-7", 1);
        setenv("FAKE_I2C_EEPROM", Path("eeprom.bin").c_str(), 1);
        setenv("PROBE_IMAGE_SYSFS", Path("sysfs").c_str(), 1);
        Faults("busy=3");
    }
    void TearDown() override {
        for (const char* name : {"LD_PRELOAD", "FAKE_I2C_DEVICE", "FAKE_I2C_EEPROM",
                                 "FAKE_I2C_FAULTS", "PROBE_IMAGE_SYSFS"})
            unsetenv(name);
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    void Faults(const char* faults) { setenv("FAKE_I2C_FAULTS", faults, 1); }
    int Run(const std::vector<std::string>& arguments) {
        return RunProgram(ProgramBesideMe("probe-image"), arguments, folder_ / "output.txt");
    }
    std::string Output() const { return Contents(folder_ / "output.txt"); }
    static std::string Contents(const fs::path& path) {
        std::ifstream file(path, std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
    std::string Path(const char* name) const { return (folder_ / name).string(); }
    void SetEeprom(const std::string& bytes) const {
        std::ofstream(folder_ / "eeprom.bin", std::ios::binary) << bytes;
    }
    std::string Eeprom() const { return Contents(folder_ / "eeprom.bin"); }
    void MakeImage() {
        ASSERT_EQ(Run({"new", "--type", "3", "-o", Path("a.bin"), "--set", "Serial=42",
                       "PositionCoefficients=0,1"}),
                  0)
            << Output();
    }
    bool Says(const std::string& text) const { return Output().find(text) != std::string::npos; }

    fs::path folder_;
};

TEST_F(BusProgramTest, WritesVerifiesBacksUpReadsAndPollsOverTheBus) {
    MakeImage();
    const std::string blank(256, '\xFF');
    SetEeprom(blank);
    EXPECT_EQ(Run({"status", "--bus", "7"}), 3) << Output();  // blank: no library
    ASSERT_EQ(Run({"write", Path("a.bin"), "--bus", "7", "--backup", Path("old.bin")}), 0)
        << Output();
    EXPECT_TRUE(Says("page 16/16 at 240: written")) << Output();
    EXPECT_TRUE(Says("written and verified"));
    EXPECT_EQ(Eeprom(), Contents(folder_ / "a.bin"));
    EXPECT_EQ(Contents(folder_ / "old.bin"), blank);

    EXPECT_EQ(Run({"status", "--bus", "/dev/i2c-7"}), 0) << Output();
    EXPECT_TRUE(Says("System Available"));
    EXPECT_EQ(Run({"read", Path("back.bin"), "--bus", "7", "--address", "0x51"}), 0) << Output();
    EXPECT_EQ(Contents(folder_ / "back.bin"), Contents(folder_ / "a.bin"));

    Faults("smbus-only,busy=2");  // block transfers alone
    SetEeprom(blank);
    ASSERT_EQ(Run({"write", Path("a.bin"), "--bus", "7", "--backup", Path("old.bin")}), 0)
        << Output();
    EXPECT_EQ(Eeprom(), Contents(folder_ / "a.bin"));
}

struct Fault {
    const char* faults;
    std::vector<std::string> arguments;  // after the command; FILE is the image
    int exitCode;
    const char* says;
    bool backedUp;  // the old content was saved before the first page
};

TEST_F(BusProgramTest, EveryFaultHasItsExitCodeAndMessageAndLosesNothing) {
    MakeImage();
    const std::string old(256, '\x5A');
    const Fault faults[] = {
        {"absent", {"write", "FILE", "--bus", "7"}, 4, "Probe not connected (status 5)", false},
        {"absent,eio", {"status", "--bus", "7"}, 4, "Probe not connected", false},
        {"write-protect", {"write", "FILE", "--bus", "7"}, 4, "write-protected?", true},
        {"ignores-writes", {"write", "FILE", "--bus", "7"}, 5, "verify failed", true},
        {"page-fails=48",
         {"write", "FILE", "--bus", "7"},
         4,
         "page 4/16 at 48: I2C bus Error",
         true},
        {"busy=1000", {"write", "FILE", "--bus", "7"}, 4, "did not acknowledge within 25 ms", true},
        {"no-functions",
         {"read", "OUT", "--bus", "7"},
         4,
         "neither plain I2C (I2C_FUNC_I2C)",
         false},
        {"denied", {"read", "OUT", "--bus", "7"}, 4, "permission denied on /dev/i2c-7", false},
        {"", {"read", "OUT", "--bus", "250"}, 4, "no such bus: /dev/i2c-250", false},
        {"", {"read", "OUT", "--bus", "7", "--address", "0x50"}, 4, "Probe not connected", false},
        {"", {"read", "OUT", "--bus", "7", "--address", "0x78"}, 1, "0x03 to 0x77", false},
        {"", {"read", "OUT", "--bus", "i2c7"}, 1, "--bus takes a bus number", false},
        {"", {"read", "OUT", "--address", "0x50"}, 1, "--bus", false},
        {"", {"read", "OUT", "--bus", "7", "--eeprom", "FILE"}, 1, "excludes", false},
    };
    for (const Fault& fault : faults) {
        Faults(fault.faults);
        SetEeprom(old);
        fs::remove(folder_ / "old.bin");
        std::vector<std::string> arguments;
        for (const std::string& word : fault.arguments)
            arguments.push_back(word == "FILE"  ? Path("a.bin")
                                : word == "OUT" ? Path("out.bin")
                                                : word);
        if (arguments[0] == "write") {
            arguments.push_back("--backup");
            arguments.push_back(Path("old.bin"));
        }
        const std::string what = std::string(fault.faults) + " " + fault.arguments[0];
        EXPECT_EQ(Run(arguments), fault.exitCode) << what << "\n" << Output();
        EXPECT_TRUE(Says(fault.says)) << what << "\n" << Output();
        EXPECT_EQ(fs::exists(folder_ / "old.bin"), fault.backedUp) << what;
        if (fault.backedUp) {
            EXPECT_EQ(Contents(folder_ / "old.bin"), old) << what;
        }
        const std::string injected = fault.faults;
        if (injected != "page-fails=48" && injected != "busy=1000") {  // these write some pages
            EXPECT_EQ(Eeprom(), old) << what;
        }
    }
}

TEST_F(BusProgramTest, EepromFilesOfExactly256Bytes) {
    MakeImage();
    std::ofstream(folder_ / "at24.bin", std::ios::binary) << std::string(256, '\0');
    ASSERT_EQ(
        Run({"write", Path("a.bin"), "--eeprom", Path("at24.bin"), "--backup", Path("old.bin")}), 0)
        << Output();
    EXPECT_EQ(Contents(folder_ / "at24.bin"), Contents(folder_ / "a.bin"));
    EXPECT_EQ(Run({"status", "--eeprom", Path("at24.bin")}), 0) << Output();

    std::ofstream(folder_ / "short.bin", std::ios::binary) << std::string(100, '\0');
    EXPECT_EQ(Run({"read", Path("out.bin"), "--eeprom", Path("short.bin")}), 4);
    EXPECT_TRUE(Says("holds 100 bytes; an EEPROM file holds exactly 256")) << Output();
}

TEST_F(BusProgramTest, BusesListsTheAdaptersFromSysfs) {
    ASSERT_EQ(Run({"buses"}), 0) << Output();
    EXPECT_EQ(Output(),
              "bus  device        opens  name\n"
              "7    /dev/i2c-7    yes    fake adapter\n"
              "250  /dev/i2c-250  no     unplugged adapter\n"
              "no device file /dev/i2c-250 although sysfs lists it\n");

    fs::remove_all(folder_ / "sysfs/class");
    EXPECT_EQ(Run({"buses"}), 4);
    EXPECT_TRUE(Says("the i2c-dev module is not loaded")) << Output();
}

}  // namespace
