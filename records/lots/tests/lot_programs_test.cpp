// Two programs with eight workers each taking serials from one lot beside the
// journal, made by both at once: each serial once, none skipped, every spoiled
// one marked, and a lot used up tells every taker so.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "serial_takers.h"

namespace {

namespace fs = std::filesystem;

TEST(LotPrograms, TwoProgramsTakeEachSerialOfOneLotOnce) {
    const char* taker = std::getenv("TAKE_LOCAL_SERIALS");
    ASSERT_NE(taker, nullptr);
    const fs::path folder =
        fs::temp_directory_path() / ("lot-programs-" + std::to_string(std::random_device{}()));
    const struct {
        const char* name;
        const char* range;
        long each;   // per worker; < 0: until used up
        long count;  // serials taken in all
        int usedUp;  // workers told the lot is used up
    } cases[] = {
        {"L-PART", "1000000-1000999", 40, 2 * 8 * 40, 0},
        {"L-ALL", "2000000-2000199", -1, 200, 16},
    };
    for (const auto& c : cases) {
        const std::string command = std::string("'") + taker + "' '" + folder.string() + "' " +
                                    c.name + " " + c.range + " 8 " + std::to_string(c.each);
        int status = 0;
        const TakersOutcome outcome = TakeInTwoPrograms(command, status);
        EXPECT_EQ(status, 0) << c.name;
        EXPECT_EQ(outcome.usedUp, c.usedUp) << c.name;
        EXPECT_EQ(TakenFault(outcome, OpenLocalLot(folder, c.name)->Standing(), c.count), "")
            << c.name;
    }
    fs::remove_all(folder);
}

}  // namespace
