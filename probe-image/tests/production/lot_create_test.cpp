// lot create: a lot made once for a template its library accepts, kept beside
// the record file without a database, and every refusal leaving nothing made.
#include <filesystem>

#include "tool_fixture.h"

namespace {

class LotCreateTest : public ToolTest {
  protected:
    ToolRun Create(const std::string& lot, const std::string& serials,
                   const std::string& image = "sound.bin") {
        return Run({"lot", "create", lot, "--serials", serials, "--template", Path(image),
                    "--record", Path("bench/records.jsonl")});
    }
    bool Kept(const std::string& lot) const { return Exists("bench/lots/" + lot + ".jsonl"); }
};

TEST_F(LotCreateTest, MakesALotOnceBesideTheRecordFile) {
    NewLinearType6("sound.bin");
    const ToolRun made = Create("L1", "1000001-1000100");
    ASSERT_EQ(made.code, 0) << made.out << made.err;
    EXPECT_NE(made.out.find("lot L1 made: serials 1000001-1000100, 100 serials"), std::string::npos)
        << made.out;
    const std::string kept =
        std::filesystem::path(Path("bench/lots/L1.jsonl")).make_preferred().string();
    EXPECT_NE(made.out.find("kept in " + kept), std::string::npos) << made.out;
    EXPECT_TRUE(Kept("L1"));
    const ToolRun again = Create("L1", "1000001-1000100");
    EXPECT_EQ(again.code, 0) << again.err;
    EXPECT_NE(again.out.find("kept already as defined"), std::string::npos) << again.out;
}

TEST_F(LotCreateTest, RefusesBeforeAnythingIsMade) {
    NewLinearType6("sound.bin");
    const ToolRun edited = Run({"edit", Path("sound.bin"), "-o", Path("other.bin"), "--mode",
                                "calibration", "--set", "CalibrationDate=2601"});
    ASSERT_EQ(edited.code, 0) << edited.err;
    ImageBytes broken = ReadBytes("sound.bin");
    broken[252] ^= 0xff;  // the checksum
    WriteBytes("broken.bin", broken);
    ASSERT_EQ(Create("L1", "1000001-1000100").code, 0);

    const struct {
        const char* name;
        std::vector<std::string> arguments;
        int status;
        const char* lot;   // that must not be kept afterwards
        const char* says;  // in the message
    } refused[] = {
        {"an overlapping range", {"L2", "1000100-1000200"}, 3, "L2", "overlap"},
        {"the lot's name with another range", {"L1", "1000001-1000099"}, 3, nullptr, "serials"},
        {"the lot's name with another template",
         {"L1", "1000001-1000100", "other.bin"},
         3,
         nullptr,
         "template"},
        {"a template its library refuses",
         {"L3", "2000000-2000099", "broken.bin"},
         3,
         "L3",
         "refused"},
        {"a template that is not there", {"L3", "2000000-2000099", "none.bin"}, 2, "L3", ""},
        {"a range that runs backwards", {"L3", "2000099-2000000"}, 1, "L3", "backwards"},
        {"a range beyond seven digits", {"L3", "2000000-20000000"}, 1, "L3", "seven digits"},
        {"a name no lot may have", {"../L3", "2000000-2000099"}, 1, nullptr, "name"},
    };
    for (const auto& c : refused) {
        const std::string image = c.arguments.size() > 2 ? c.arguments[2] : "sound.bin";
        const ToolRun run = Create(c.arguments[0], c.arguments[1], image);
        EXPECT_EQ(run.code, c.status) << c.name << ": " << run.out << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << c.name << ": " << run.err;
        if (c.lot != nullptr) {
            EXPECT_FALSE(Kept(c.lot)) << c.name;
        }
    }
    EXPECT_EQ(Run({"lot", "create", "L4", "--template", Path("sound.bin")}).code, 1)
        << "--serials is required";
    EXPECT_EQ(Run({"lot", "create", "L4", "--serials", "3000000-3000099", "--template",
                   Path("sound.bin"), "--database", "DSN=no-such-source-of-probe-lots"})
                  .code,
              2)
        << "a database out of reach";
}

}  // namespace
