// Images the libraries refuse, explained in words; records the encoder refuses;
// and the exit status of every class of failure that needs no bridge.
#include <fstream>

#include "project_version.h"
#include "tool_fixture.h"

namespace {

constexpr std::size_t kPositionOrderText = 82;
constexpr std::size_t kChecksum = 252;

class RefusalTest : public ToolTest {
  protected:
    // A type-6 image with P = 1, a damaged copy of it written under the name.
    ImageBytes Damaged(const std::string& name, std::size_t offset, const std::string& text) {
        NewLinearType6("sound.bin");
        ImageBytes image = ReadBytes("sound.bin");
        Poke(image, offset, text);
        WriteBytes(name, image);
        return image;
    }

    std::string ShowReason(const std::string& name) {
        const ToolRun run = Run({"show", Path(name)});
        EXPECT_EQ(run.code, 3) << run.out << run.err;
        return run.out;
    }
};

TEST_F(RefusalTest, EveryRefusalOfTheLibraryIsExplained) {
    Damaged("checksum.bin", kChecksum, "\x34\x12");
    const std::string checksum = ShowReason("checksum.bin");
    EXPECT_NE(checksum.find("checksum mismatch: stored 0x1234 at offset 252, computed 0x"),
              std::string::npos)
        << checksum;

    Damaged("order.bin", kPositionOrderText, "16");
    EXPECT_NE(ShowReason("order.bin").find("position order 16 is above 15"), std::string::npos);

    Damaged("negative.bin", kPositionOrderText, "-1");  // stored in 8 bits: 255
    EXPECT_NE(ShowReason("negative.bin").find("position order 255"), std::string::npos);

    // P = 1: the second order field stands at 84 + 8 + 66.
    Damaged("force.bin", 158, "20");
    EXPECT_NE(ShowReason("force.bin").find("force order 20 is above 15"), std::string::npos);

    Damaged("sum.bin", kPositionOrderText, "15");
    ImageBytes sum = ReadBytes("sum.bin");
    Poke(sum, 84 + 64 + 66, "09");  // P = 15 places the force order here
    WriteBytes("sum.bin", sum);
    EXPECT_NE(ShowReason("sum.bin").find("position order 15 and force order 9 are too large "
                                         "together"),
              std::string::npos);

    Damaged("type.bin", 0, "M106");
    EXPECT_NE(ShowReason("type.bin")
                  .find("wrong type: the type field reads \"M106\" but Palvo6 "
                        "takes only type 6"),
              std::string::npos);

    Damaged("nolib.bin", 0, "M007");
    EXPECT_NE(ShowReason("nolib.bin").find("no library for this type: Palvo7.dll"),
              std::string::npos);

    Damaged("letter.bin", 0, "M00x");
    EXPECT_NE(ShowReason("letter.bin").find("the type character 'x' is not a digit"),
              std::string::npos);

    const ToolRun json = Run({"show", Path("checksum.bin"), "--json"});
    EXPECT_EQ(json.code, 3);
    const nlohmann::json shown = nlohmann::json::parse(json.out);
    EXPECT_FALSE(shown["accepted"].get<bool>());
    EXPECT_EQ(shown["status"], 2);
    EXPECT_FALSE(shown.contains("record"));
}

TEST_F(RefusalTest, TypeTwoChecksumIsLookedForAfterThePositionBlock) {
    ASSERT_EQ(
        Run({"new", "--type", "2", "-o", Path("a.bin"), "--set", "PositionCoefficients=1,2,3,4"})
            .code,
        0);
    ImageBytes image = ReadBytes("a.bin");
    image[100] ^= 0xFF;  // P = 3: the checksum word is at 100
    WriteBytes("a.bin", image);
    const ToolRun run = Run({"show", Path("a.bin")});
    EXPECT_EQ(run.code, 3);
    EXPECT_NE(run.out.find("at offset 100, computed"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("over bytes 0 to 99"), std::string::npos);
}

TEST_F(RefusalTest, TheEncoderRefusesAndNothingIsWritten) {
    const std::string file = NewLinearType6("a.bin");
    const ToolRun serial =
        Run({"edit", file, "-o", Path("b.bin"), "--mode", "calibration", "--set", "Serial=5"});
    EXPECT_EQ(serial.code, 3);
    EXPECT_NE(serial.err.find("Serial differs"), std::string::npos) << serial.err;

    const ToolRun orders = Run({"edit", file, "-o", Path("b.bin"), "--mode", "calibration", "--set",
                                "PositionCoefficients=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16",
                                "ForceCoefficients=1,2,3,4,5,6,7,8,9,10"});
    EXPECT_EQ(orders.code, 3);
    EXPECT_NE(orders.err.find("do not fit the image"), std::string::npos) << orders.err;

    // Coefficients given in manufacture mode move F and R but not the order field:
    // the result is not the image asked for, and --strict keeps it from being written.
    const ToolRun moved = Run({"edit", file, "-o", Path("b.bin"), "--mode", "manufacture", "--set",
                               "PositionCoefficients=1,2,3", "--strict"});
    EXPECT_EQ(moved.code, 3) << moved.err;
    EXPECT_FALSE(Exists("b.bin"));
}

TEST_F(ToolTest, UsageAndFileFailuresHaveTheirOwnStatus) {
    EXPECT_EQ(Run({}).code, 1);
    EXPECT_EQ(Run({"frobnicate"}).code, 1);
    EXPECT_EQ(Run({"show"}).code, 1);
    EXPECT_EQ(Run({"new", "--type", "4", "-o", Path("a.bin")}).code, 1);
    EXPECT_EQ(
        Run({"edit", Path("a.bin"), "-o", Path("b.bin"), "--mode", "repair", "--set", "Gain=1"})
            .code,
        1);
    const ToolRun field = Run({"new", "--type", "6", "-o", Path("a.bin"), "--set", "Colour=red"});
    EXPECT_EQ(field.code, 1);
    EXPECT_NE(field.err.find("Colour=red: no such field"), std::string::npos);
    EXPECT_EQ(Run({"new", "--type", "6", "-o", Path("a.bin"), "--set", "Gain=256"}).code, 1);
    EXPECT_EQ(Run({"new", "--type", "6", "-o", Path("a.bin"), "--set", "Type=3"}).code, 1);
    EXPECT_EQ(Run({"new", "--type", "6", "-o", Path("a.bin"), "--set",
                   "PositionCoefficients=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17"})
                  .code,
              1);
    EXPECT_FALSE(Exists("a.bin"));

    const ToolRun help = Run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("5  verify"), std::string::npos) << help.out;
    const ToolRun version = Run({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, std::string("probe-image ") + kProjectVersion + "\n");

    EXPECT_EQ(Run({"show", Path("missing.bin")}).code, 2);
    {
        std::ofstream shortFile(Path("short.bin"), std::ios::binary);
        shortFile << std::string(255, 'M');
    }
    const ToolRun tooShort = Run({"show", Path("short.bin")});
    EXPECT_EQ(tooShort.code, 2);
    EXPECT_NE(tooShort.err.find("holds 255 bytes"), std::string::npos);
    const ToolRun unwritable = Run({"new", "--type", "6", "-o", Path("no-such-folder/a.bin")});
    EXPECT_EQ(unwritable.code, 2) << unwritable.err;
}

}  // namespace
