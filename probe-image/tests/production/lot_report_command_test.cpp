// lot report on the command line: the figures of a lot's journal records and
// of its ledger beside the record file, as text and JSON, and its refusals.
#include <cstdlib>

#include <nlohmann/json.hpp>

#include "bench_record.h"
#include "environment.h"
#include "lot_ledger.h"
#include "record_file.h"
#include "tool_fixture.h"

namespace {

class LotReportTest : public ToolTest {
  protected:
    std::string Journal() const { return Path("bench/records.jsonl"); }

    void Append(RecordFile& journal, const std::string& serial, const std::string& outcome,
                const std::string& target) {
        BenchRecord record;
        record.time = "2026-12-09T10:00:0" + std::to_string(appended_++) + "Z";
        record.host = "bench-a";
        record.command = "program";
        record.serial = serial;
        record.production = LotFacts{"L1", outcome, target, outcome == "failed" ? serial : ""};
        record.exit = outcome == "failed" ? 4 : 0;
        ASSERT_TRUE(journal.Append(RecordLine(record))) << journal.Failure();
    }

  private:
    int appended_ = 0;
};

TEST_F(LotReportTest, AddsTheJournalsProbesToTheLedgersSerials) {
    NewLinearType6("template.bin");
    ASSERT_EQ(Run({"lot", "create", "L1", "--serials", "1000001-1000010", "--template",
                   Path("template.bin"), "--record", Journal()})
                  .code,
              0);
    {
        const auto ledger = OpenLocalLot(Path("bench/lots"), std::string("L1"));
        const long programmed = *ledger->Take("bench-a", "bus 7");
        const long spoiled = *ledger->Take("bench-a", "bus 8");
        ASSERT_TRUE(ledger->Take("bench-a", "bus 7"));  // left without a result
        ledger->MarkProgrammed(programmed);
        ledger->MarkSpoiled(spoiled, "the probe went at page 9");
        RecordFile journal(Journal());
        Append(journal, SerialText(programmed), "programmed", "bus 7");
        Append(journal, SerialText(spoiled), "failed", "bus 8");
        Append(journal, "1000001", "skipped", "bus 7");
    }

    const ToolRun text = Run({"lot", "report", "L1", "--record", Journal()});
    ASSERT_EQ(text.code, 0) << text.err;
    for (const char* line : {"lot L1: serials 1000001-1000010 (10), template ",
                             "probes: 1 programmed, 1 skipped, 1 failed; first-pass yield 50.0 %\n",
                             "serials: 1 programmed, 1 spoiled, 1 taken without a result, 7 left\n",
                             "1000002  bench-a  bus 8   ", "the probe went at page 9\n",
                             "bench-a  (all)   1           1        1       50.0 %\n",
                             "         bus 8   0           0        1       0.0 %\n"})
        EXPECT_NE(text.out.find(line), std::string::npos) << line << "\n" << text.out;

    const ToolRun json = Run({"lot", "report", "L1", "--record", Journal(), "--json"});
    ASSERT_EQ(json.code, 0) << json.err;
    const auto report = nlohmann::json::parse(json.out);
    EXPECT_EQ(report["probes"]["skipped"], 1);
    EXPECT_EQ(report["serialsUsed"]["left"], 7);
    EXPECT_EQ(report["used"].size(), 3u);
    EXPECT_EQ(report["used"][1]["state"], "spoiled");
    EXPECT_EQ(report["benches"][0]["targets"].size(), 2u);
}

TEST_F(LotReportTest, ReadsTheJournalNamedAlsoWhereADatabaseIsSet) {
    if (std::getenv("PROBE_IMAGE_DATABASE") != nullptr)
        GTEST_SKIP() << "PROBE_IMAGE_DATABASE is set";
    NewLinearType6("template.bin");
    ASSERT_EQ(Run({"lot", "create", "L1", "--serials", "1-9", "--template", Path("template.bin"),
                   "--record", Journal()})
                  .code,
              0);
    SetEnvironmentValue("PROBE_IMAGE_DATABASE", "DSN=nowhere");
    const ToolRun local = Run({"lot", "report", "L1", "--record", Journal()});
    SetEnvironmentValue("PROBE_IMAGE_DATABASE", "");
    EXPECT_EQ(local.code, 0) << local.err;
    EXPECT_NE(local.out.find("serials: 0 programmed, 0 spoiled, 0 taken without a result, 9 left"),
              std::string::npos)
        << local.out;
}

TEST_F(LotReportTest, RefusesALotNotKeptAndTwoSources) {
    const struct {
        std::vector<std::string> arguments;
        int status;
        const char* says;
    } refused[] = {
        {{"lot", "report", "L9", "--record", Journal()}, 3, "no lot L9"},
        {{"lot", "report", "L1", "--record", Journal(), "--database", "DSN=nowhere"},
         1,
         "two sources"},
        {{"lot", "report", "../L1", "--record", Journal()}, 1, "name"},
    };
    for (const auto& c : refused) {
        const ToolRun run = RunWith(c.arguments);
        EXPECT_EQ(run.code, c.status) << c.says << ": " << run.err;
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_TRUE(run.out.empty()) << run.out;
    }
}

}  // namespace
