// Reaching a lot for a command: made beside the record file where new, and each
// refusal with the exit status a script can tell apart.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <random>

#include "lot_source.h"
#include "tool_error.h"

namespace {

namespace fs = std::filesystem;

const std::string kTemplate(64, 'c');

class LotSourceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ =
            fs::temp_directory_path() / ("lot-source-" + std::to_string(std::random_device{}()));
        unsetenv_ = std::getenv("PROBE_IMAGE_DATABASE") == nullptr;
    }
    void TearDown() override { fs::remove_all(folder_); }

    LotSource Source(const std::string& lot, const std::string& serials,
                     const std::string& database = {}) const {
        return {lot, database, serials, folder_ / "records.jsonl"};
    }

    fs::path folder_;
    bool unsetenv_ = true;
};

TEST_F(LotSourceTest, MakesANewLotBesideTheRecordFileAndOpensItAgain) {
    if (!unsetenv_)
        GTEST_SKIP() << "PROBE_IMAGE_DATABASE is set";
    const auto made = OpenLotForProgramming(Source("L1", "100-199"), kTemplate);
    EXPECT_EQ(made->Where(), (folder_ / "lots" / "L1.jsonl").string());
    EXPECT_EQ(made->Take("bench", "bus 1"), 100);
    // Resumed without its range, and reported.
    EXPECT_EQ(OpenLotForProgramming(Source("L1", ""), kTemplate)->Take("bench", "bus 1"), 101);
    EXPECT_EQ(OpenLotForReport(Source("L1", ""))->Standing().taken, 2);
}

TEST_F(LotSourceTest, RefusesWithTheStatusOfEachFault) {
    if (!unsetenv_)
        GTEST_SKIP() << "PROBE_IMAGE_DATABASE is set";
    OpenLotForProgramming(Source("L1", "100-199"), kTemplate);
    fs::create_directories(folder_ / "lots");
    std::ofstream(folder_ / "lots" / "BROKEN.jsonl") << "{\"lot\":\n{}\n";
    const struct {
        const char* name;
        LotSource source;
        std::string digest;
        int status;
    } refused[] = {
        {"a name no lot may have", Source("a/b", "1-5"), kTemplate, ExitUsage},
        {"a range that is not one", Source("L2", "5-1"), kTemplate, ExitUsage},
        {"--serials with a database", Source("L2", "1-5", "DSN=lab"), kTemplate, ExitUsage},
        {"an overlapping range", Source("L2", "150-250"), kTemplate, ExitRefused},
        {"another range", Source("L1", "100-150"), kTemplate, ExitRefused},
        {"another template", Source("L1", "100-199"), std::string(64, 'd'), ExitRefused},
        {"another template, resumed", Source("L1", ""), std::string(64, 'd'), ExitRefused},
        {"no such lot", Source("L3", ""), kTemplate, ExitRefused},
        {"a ledger that does not read", Source("BROKEN", ""), kTemplate, ExitFile},
    };
    for (const auto& c : refused) {
        try {
            OpenLotForProgramming(c.source, c.digest);
            ADD_FAILURE() << c.name << ": opened";
        } catch (const ToolError& error) {
            EXPECT_EQ(error.code(), c.status) << c.name << ": " << error.what();
        }
    }
    EXPECT_FALSE(fs::exists(folder_ / "lots" / "L2.jsonl"));
    try {
        OpenLotForReport(Source("L3", ""));
        ADD_FAILURE() << "reported a lot never made";
    } catch (const ToolError& error) {
        EXPECT_EQ(error.code(), ExitRefused) << error.what();
        EXPECT_FALSE(fs::exists(folder_ / "lots" / "L3.jsonl"));
    }
}

}  // namespace
