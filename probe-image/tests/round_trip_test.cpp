// Images made by "new", read back by "show --json", changed by "edit" and shown
// again: what was set is what every host decodes.
#include "tool_fixture.h"

namespace {

using nlohmann::json;

const std::vector<std::string> kFullType6 = {"Serial=1234567",
                                             "OText=ABC",
                                             "CalibrationDate=2611",
                                             "FabricationDate=2601",
                                             "NNumber=42",
                                             "UsageCount=7",
                                             "Gain=60",
                                             "FrValue=3.5",
                                             "ForceK=0.25",
                                             "ForceX0=1.5",
                                             "FValue=2.5",
                                             "RValue=5.7",
                                             "ForceX1=10",
                                             "ForceX2=1",
                                             "ForceF1=50",
                                             "ForceF2=-2",
                                             "PositionCoefficients=0.5,1,0.001",
                                             "ForceCoefficients=1,2,3"};

std::vector<std::string> NewCommand(const std::string& type, const std::string& output,
                                    const std::vector<std::string>& sets) {
    std::vector<std::string> arguments = {"new", "--type", type, "-o", output, "--set"};
    arguments.insert(arguments.end(), sets.begin(), sets.end());
    return arguments;
}

TEST_F(ToolTest, NewShowEditShowKeepsEveryField) {
    const ToolRun made = RunWith(NewCommand("6", Path("a.bin"), kFullType6));
    ASSERT_EQ(made.code, 0) << made.err;
    EXPECT_EQ(made.err, "");

    json shown = ShowJson(Path("a.bin"));
    ASSERT_TRUE(shown["accepted"].get<bool>()) << shown.dump();
    EXPECT_EQ(shown["library"], "Palvo6.dll");
    json record = shown["record"];
    EXPECT_EQ(record["Type"], 6);
    EXPECT_EQ(record["Serial"], 1234567);
    EXPECT_EQ(record["OText"], "ABC    ");
    EXPECT_EQ(record["CalibrationDate"], "2611");
    EXPECT_EQ(record["FabricationDate"], "2601");
    EXPECT_EQ(record["NNumber"], 42);
    EXPECT_EQ(record["UsageCount"], 7);
    EXPECT_EQ(record["Gain"], 60);
    EXPECT_EQ(record["FrValue"], 3.5);
    EXPECT_EQ(record["ForceK"], 0.25);
    EXPECT_EQ(record["FValue"], 2.5);
    EXPECT_EQ(record["RValue"], 5.7);
    EXPECT_EQ(record["ForceF2"], -2);
    EXPECT_EQ(record["PositionOrder"], 2);
    EXPECT_EQ(record["PositionCoefficients"], json::parse("[0.5, 1, 0.001]"));
    EXPECT_EQ(record["ForceCoefficients"], json::parse("[1, 2, 3]"));
    EXPECT_EQ(record["PresetWordsB"], json::parse("[1, 21, 0, 1, 22]"));  // F below 3
    EXPECT_EQ(shown["forceLaw"]["law"], "piecewise");
    EXPECT_EQ(shown["forceLaw"]["ForceX1"], 10);
    EXPECT_EQ(shown["calibration"]["CalibrationMonths"], 6);
    EXPECT_EQ(record["PositionTable"]["min"], -7.4849997);  // 0.03 x P(-500), float coefficients

    const ToolRun edited = Run({"edit", Path("a.bin"), "-o", Path("b.bin"), "--mode", "usage",
                                "--set", "UsageCount=20001", "NNumber=43"});
    ASSERT_EQ(edited.code, 0) << edited.err;
    json again = ShowJson(Path("b.bin"));
    EXPECT_EQ(again["record"]["UsageCount"], 20001);
    EXPECT_EQ(again["record"]["NNumber"], 43);
    EXPECT_FALSE(again["calibration"]["calibrated"].get<bool>());  // above the usage limit
    again["record"]["UsageCount"] = 7;
    again["record"]["NNumber"] = 42;
    again["record"].erase("PositionTable");
    record.erase("PositionTable");
    for (const char* handle : {"PositionCoefficients", "ForceCoefficients"})
        EXPECT_EQ(again["record"][handle], record[handle]);
    EXPECT_EQ(again["record"], record);
}

TEST_F(ToolTest, NewImagesOfEveryTypeAndLargestOrdersAreAccepted) {
    std::vector<std::string> sixteen = {"PositionCoefficients=1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1e-30",
                                        "ForceCoefficients=0,0,0,0,0,0,0,0,4", "FValue=3",
                                        "RValue=7.25", "Serial=9"};
    for (const char* type : {"2", "3", "6"}) {
        const std::string file = Path(std::string("t") + type + ".bin");
        const ToolRun made = RunWith(NewCommand(type, file, sixteen));
        ASSERT_EQ(made.code, 0) << made.err;
        const json shown = ShowJson(file);
        ASSERT_TRUE(shown["accepted"].get<bool>()) << shown.dump();
        EXPECT_EQ(shown["record"]["Type"], std::stoi(type));
        EXPECT_EQ(shown["record"]["PositionOrder"], 15);
        EXPECT_EQ(shown["record"]["Serial"], 9);
        if (std::string(type) == "2") {
            // No force fields in a type-2 image: the encoder's values do not come back.
            EXPECT_NE(made.err.find("ForceCoefficients="), std::string::npos) << made.err;
            EXPECT_EQ(shown["forceLaw"]["law"], "ratio");
        } else {
            EXPECT_EQ(made.err, "");
            EXPECT_EQ(shown["record"]["ForceOrder"], 8);
            EXPECT_EQ(shown["record"]["RValue"], 7.25);
            EXPECT_EQ(shown["forceLaw"]["law"], "linear");  // thresholds default to x0
        }
    }
}

TEST_F(ToolTest, ValuesTheTextFormatCannotHoldAreNamed) {
    const ToolRun made = Run({"new", "--type", "3", "-o", Path("a.bin"), "--set", "ForceK=0.123",
                              "Serial=12345678", "OText=ABCDEFGHIJ", "FrValue=3.46"});
    ASSERT_EQ(made.code, 0) << made.err;
    EXPECT_NE(made.err.find("ForceK=0.123 comes back as 0.12"), std::string::npos) << made.err;
    EXPECT_NE(made.err.find("Serial=12345678 comes back as 1234567"), std::string::npos);
    EXPECT_NE(made.err.find("OText=ABCDEFGHIJ comes back as \"ABCDEFG\""), std::string::npos);
    EXPECT_NE(made.err.find("FrValue=3.46 comes back as 3.5"), std::string::npos);

    // A field the mode does not write is named too; --strict makes it a refusal.
    const ToolRun gain = Run({"edit", Path("a.bin"), "-o", Path("b.bin"), "--mode", "usage",
                              "--set", "Gain=70", "--strict"});
    EXPECT_EQ(gain.code, 3);
    EXPECT_NE(gain.err.find("Gain=70 comes back as 0"), std::string::npos) << gain.err;
    EXPECT_FALSE(Exists("b.bin"));
}

TEST_F(ToolTest, CalibrationEditRewritesPolynomialsAndKeepsIdentity) {
    const std::string file = NewLinearType6("a.bin");
    const ToolRun edited = Run({"edit", file, "-o", Path("b.bin"), "--mode", "calibration", "--set",
                                "PositionCoefficients=1,2,3,4,5,6,7,8,9,10,11,12,13,14,15",
                                "ForceCoefficients=1,2,3,4,5,6,7,8,9,10", "ForceX1=9", "Gain=72"});
    ASSERT_EQ(edited.code, 0) << edited.err;
    const json shown = ShowJson(Path("b.bin"));
    EXPECT_EQ(shown["record"]["PositionOrder"], 14);
    EXPECT_EQ(shown["record"]["ForceOrder"], 9);
    EXPECT_EQ(shown["record"]["Gain"], 72);
    EXPECT_EQ(shown["record"]["Serial"], 1234567);
    EXPECT_EQ(shown["record"]["FValue"], 3.5);  // placed after the longer position block
    EXPECT_EQ(shown["forceLaw"]["law"], "piecewise");
}

TEST_F(ToolTest, ManufactureModeMendsARefusedImage) {
    const std::string file = NewLinearType6("a.bin");
    ImageBytes image = ReadBytes("a.bin");
    image[252] ^= 0x01;  // checksum
    WriteBytes("bad.bin", image);

    const ToolRun usage = Run(
        {"edit", Path("bad.bin"), "-o", Path("b.bin"), "--mode", "usage", "--set", "UsageCount=1"});
    EXPECT_EQ(usage.code, 3);
    EXPECT_NE(usage.err.find("only manufacture mode"), std::string::npos) << usage.err;
    EXPECT_FALSE(Exists("b.bin"));

    const ToolRun mended =
        Run({"edit", Path("bad.bin"), "-o", Path("b.bin"), "--mode", "manufacture", "--set",
             "Serial=55", "OText=MENDED", "FValue=3.5", "RValue=5.7"});
    ASSERT_EQ(mended.code, 0) << mended.err;
    EXPECT_NE(mended.err.find("starting from an empty record"), std::string::npos);
    const json shown = ShowJson(Path("b.bin"));
    EXPECT_TRUE(shown["accepted"].get<bool>());
    EXPECT_EQ(shown["record"]["Serial"], 55);
    EXPECT_EQ(shown["record"]["ForceK"], 2);  // calibration fields kept from the image
}

}  // namespace
