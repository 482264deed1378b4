// The lot report: which records count for a lot, the yield's arithmetic, and
// the two renderings of one report.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "lot_report.h"

namespace {

nlohmann::ordered_json Record(const std::string& host, const std::string& target,
                              const std::string& outcome, const std::string& time,
                              const std::string& lot = "L1", const std::string& command = "program",
                              const std::string& spoiled = "1000002") {
    nlohmann::ordered_json record = {
        {"time", time},
        {"host", host},
        {"command", command},
        {"production", {{"lot", lot}, {"outcome", outcome}, {"target", target}}},
        {"exit", outcome == "failed" ? 4 : 0}};
    if (outcome == "failed" && !spoiled.empty())
        record["production"]["spoiled"] = spoiled;
    return record;
}

LotReport EmptyReport() {
    LotReport report;
    report.standing.lot = {"L1", {1000001, 1000010}, std::string(64, 'a'), "2026-12-01T08:00:00Z"};
    report.source = "the journal j.jsonl and the ledger lots/L1.jsonl";
    return report;
}

TEST(FirstPassYield, IsTheShareOfWritesThatPassedRoundedToATenthInIntegers) {
    const struct {
        ProbeCounts counts;
        const char* text;
    } cases[] = {
        {{0, 5, 0, 0}, "-"},             // only skips: nothing written
        {{0, 0, 2, 0}, "-"},             // failed before a serial was taken: not written
        {{1, 0, 0, 0}, "100.0 %"},       //
        {{2, 0, 2, 0}, "100.0 %"},       // the lot used up for two: not written
        {{0, 0, 3, 3}, "0.0 %"},         //
        {{2, 9, 1, 1}, "66.7 %"},        // skips do not count
        {{1, 0, 7, 7}, "12.5 %"},        // exactly 12.5
        {{1999, 0, 1, 1}, "100.0 %"},    // 99.95 rounds up
        {{1997, 0, 3, 3}, "99.9 %"},     // 99.85 rounds up
        {{21, 0, 1979, 1979}, "1.1 %"},  // 1.05 rounds up, where binary doubles would not
    };
    for (const auto& c : cases) {
        EXPECT_EQ(YieldText(c.counts), c.text)
            << c.counts.programmed << "/" << c.counts.skipped << "/" << c.counts.failed;
        EXPECT_EQ(FirstPassYield(c.counts).has_value(), std::string(c.text) != "-");
    }
    EXPECT_DOUBLE_EQ(*FirstPassYield({3, 1, 1, 1}), 0.75);
}

TEST(LotReport, CountsOnlyTheProgramRecordsOfItsLot) {
    LotReport report = EmptyReport();
    const nlohmann::ordered_json records[] = {
        Record("bench-a", "bus 7", "programmed", "2026-12-02T10:00:00Z"),
        Record("bench-a", "bus 7", "failed", "2026-12-02T10:01:00Z"),
        Record("bench-a", "bus 8", "skipped", "2026-12-02T09:00:00Z"),
        Record("bench-b", "bus 7", "programmed", "2026-12-03T10:00:00Z"),
        Record("bench-b", "bus 7", "programmed", "2026-12-01T10:00:00Z", "L2"),  // other lot
        Record("bench-b", "bus 7", "programmed", "2026-12-01T10:00:00Z", "L1", "write"),
        Record("bench-b", "bus 7", "", "2026-11-30T10:00:00Z"),  // refused before any probe
        Record("bench-b", "bus 9", "failed", "2026-12-03T11:00:00Z", "L1", "program", ""),
        {{"command", "program"}, {"time", "2026-11-01T00:00:00Z"}},  // no production facts
        {{"command", "program"}, {"production", "L1"}},              // not an object
    };
    for (const auto& record : records)
        CountLotRecord(report, record);
    EXPECT_EQ(report.probes.programmed, 2);
    EXPECT_EQ(report.probes.skipped, 1);
    EXPECT_EQ(report.probes.failed, 2);
    EXPECT_EQ(report.probes.spoiled, 1);  // the lot was used up for bus 9
    EXPECT_EQ(YieldText(report.probes), "66.7 %");
    EXPECT_EQ(report.benches.size(), 2u);
    EXPECT_EQ(report.benches["bench-a"].failed, 1);
    EXPECT_EQ((report.targets[{"bench-a", "bus 8"}].skipped), 1);
    EXPECT_EQ((report.targets[{"bench-b", "bus 7"}].programmed), 1);
    EXPECT_EQ(report.firstTime, "2026-12-02T09:00:00Z");
    EXPECT_EQ(report.lastTime, "2026-12-03T11:00:00Z");
}

TEST(LotReport, ShowsTheSameFiguresAsTextAndAsJson) {
    LotReport report = EmptyReport();
    report.standing.used = {
        {1000001, SerialState::Programmed, "bench-a", "bus 7", "", "2026-12-02T10:00:00Z"},
        {1000002, SerialState::Spoiled, "bench-a", "bus 7", "the probe went at page 9",
         "2026-12-02T10:01:00Z"},
        {1000003, SerialState::Taken, "bench-b", "bus 7", "", "2026-12-03T10:00:00Z"},
    };
    report.standing.programmed = 1;
    report.standing.spoiled = 1;
    report.standing.taken = 1;
    report.standing.left = 7;
    CountLotRecord(report, Record("bench-a", "bus 7", "programmed", "2026-12-02T10:00:00Z"));
    CountLotRecord(report, Record("bench-a", "bus 7", "failed", "2026-12-02T10:01:00Z"));

    std::ostringstream text;
    PrintLotReport(report, text);
    EXPECT_EQ(text.str(),
              "lot L1: serials 1000001-1000010 (10), template " + std::string(64, 'a') +
                  "\n"
                  "from the journal j.jsonl and the ledger lots/L1.jsonl\n"
                  "records from 2026-12-02T10:00:00Z to 2026-12-02T10:01:00Z\n"
                  "probes: 1 programmed, 0 skipped, 1 failed; first-pass yield 50.0 %\n"
                  "serials: 1 programmed, 1 spoiled, 1 taken without a result, 7 left\n"
                  "\n"
                  "serials spoiled or without a result:\n"
                  "SERIAL   BENCH    TARGET  TIME                  REASON\n"
                  "1000002  bench-a  bus 7   2026-12-02T10:01:00Z  the probe went at page 9\n"
                  "1000003  bench-b  bus 7   2026-12-03T10:00:00Z  taken, no result\n"
                  "\n"
                  "per bench and target:\n"
                  "BENCH    TARGET  PROGRAMMED  SKIPPED  FAILED  FIRST-PASS YIELD\n"
                  "bench-a  (all)   1           0        1       50.0 %\n"
                  "         bus 7   1           0        1       50.0 %\n");

    const nlohmann::ordered_json json = LotReportJson(report);
    EXPECT_EQ(json["probes"]["firstPassYield"], 0.5);
    EXPECT_EQ(json["serialsUsed"]["left"], 7);
    EXPECT_EQ(json["used"][1]["reason"], "the probe went at page 9");
    EXPECT_FALSE(json["used"][0].contains("reason"));
    EXPECT_EQ(json["benches"][0]["targets"][0]["target"], "bus 7");
    EXPECT_EQ(json["benches"][0]["failed"], 1);
}

TEST(LotReport, OfALotWithoutRecordsHasNoYield) {
    const LotReport report = EmptyReport();
    EXPECT_TRUE(LotReportJson(report)["probes"]["firstPassYield"].is_null());
    std::ostringstream text;
    PrintLotReport(report, text);
    EXPECT_NE(text.str().find("first-pass yield -\n"), std::string::npos) << text.str();
    EXPECT_EQ(text.str().find("per bench"), std::string::npos);
}

}  // namespace
