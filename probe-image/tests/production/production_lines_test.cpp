// The lines a production run tells: the signal lines a fixture's controller
// parses (one word, then key=value pairs, values bare or quoted), the lines for
// the operator, the progress and the summary.
#include <gtest/gtest.h>

#include "production_lines.h"

namespace {

using Kind = ProductionEventKind;

struct LineCase {
    ProductionEvent event;
    const char* signal;
    const char* human;
};

TEST(ProductionLines, EachEventHasOneSignalLineAndOneHumanLine) {
    const LineCase cases[] = {
        {{Kind::Start, "bus:7", 1000042, 0, {}, 0},
         "start target=bus:7 serial=1000042",
         "bus:7: serial 1000042: writing"},
        {{Kind::Ok, "bus:7", 1000042, 0, {}, 1.234},
         "ok target=bus:7 serial=1000042 seconds=1.23",
         "bus:7: serial 1000042 programmed and verified (1.23 s)"},
        {{Kind::Skip, "eeprom:/tmp/a b.bin", 17, 0, {}, 0.5},
         "skip target=\"eeprom:/tmp/a b.bin\" serial=17 seconds=0.50",
         "eeprom:/tmp/a b.bin: holds serial 17 of the lot already; skipped (0.50 s)"},
        {{Kind::Fail, "bus:8", 43, 4, "write failed: page 6/16 at 80: \"gone\"", 2},
         "fail target=bus:8 serial=43 status=4 reason=\"write failed: page 6/16 at 80: "
         "\\\"gone\\\"\" seconds=2.00",
         "bus:8: failed (serial 43 spoiled): write failed: page 6/16 at 80: \"gone\" (2.00 s)"},
        {{Kind::Fail, "bus:8", std::nullopt, 4, "no probe", 0},
         "fail target=bus:8 serial=none status=4 reason=\"no probe\" seconds=0.00",
         "bus:8: failed: no probe (0.00 s)"},
        {{Kind::Waiting, "simulated", std::nullopt, 0, {}, 0},
         "waiting target=simulated",
         "simulated: waiting for a probe"},
        {{Kind::Removed, "bridge", std::nullopt, 0, {}, 0},
         "removed target=bridge",
         "bridge: probe taken out"},
    };
    for (const LineCase& line : cases) {
        EXPECT_EQ(SignalLine(line.event), line.signal);
        EXPECT_EQ(EventLine(line.event), line.human);
    }
}

TEST(ProductionLines, SignalValuesAreBareOnlyWhenTheyCannotBeMisread) {
    const std::pair<const char*, const char*> cases[] = {
        {"bus:7", "bus:7"},
        {"eeprom:/dev/at24-0051", "eeprom:/dev/at24-0051"},
        {"", "\"\""},
        {"a b", "\"a b\""},
        {"key=value", "\"key=value\""},
        {"back\\slash", "\"back\\\\slash\""},
        {"line\nbreak", "\"line break\""},
    };
    for (const auto& [value, shown] : cases)
        EXPECT_EQ(SignalValue(value), shown) << value;
}

TEST(ProductionLines, ProgressAndSummary) {
    EXPECT_EQ(ProgressLine({2, 0, 1}, 8), "3/8 probes done, 1 failed");
    EXPECT_EQ(ProgressLine({1, 0, 0}, 1), "1/1 probe done, 0 failed");
    EXPECT_EQ(ProgressLine({4, 1, 0}, 0), "5 probes done, 0 failed");
    const ProductionSummary summary{{3, 1, 2}, 94, 4};
    EXPECT_EQ(SummaryLine("L7", summary),
              "lot L7: 3 programmed, 1 skipped, 2 failed; 94 serials left");
    EXPECT_EQ(SummarySignal(summary), "done programmed=3 skipped=1 failed=2 left=94 status=4");
    EXPECT_EQ(SummaryLine("L7", {{1, 0, 0}, 1, 0}),
              "lot L7: 1 programmed, 0 skipped, 0 failed; 1 serial left");
}

}  // namespace
