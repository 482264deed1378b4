// Lots in the lab database: two benches taking from one lot at once get each
// serial once with none skipped, a lot is made once and never overlaps another,
// each serial's result is given once, and nothing of a lot is rewritten or
// removed by anyone.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <future>
#include <random>

#include "journal_maker.h"
#include "journal_push.h"
#include "lab_server.h"
#include "lot_serials.h"
#include "schema.h"
#include "serial_takers.h"

namespace {

namespace fs = std::filesystem;

const std::string kTemplate(64, 'e');

// Each lot of a test run gets a block of 100000 serials of its own.
LotDefinition NextLot(long size, const std::string& digest = kTemplate) {
    static std::atomic<long> next{1};
    static const long run = static_cast<long>(std::random_device{}() % 1000000);
    const long block = next++;
    LotDefinition lot;
    lot.name = "T" + std::to_string(run) + "-" + std::to_string(block);
    lot.serials.first = block * 100000 % 9000000 + run % 100 * 1000;
    lot.serials.last = lot.serials.first + size - 1;
    lot.templateSha256 = digest;
    return lot;
}

class LotSerialsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        Connection admin(kAdminSource);
        InitSchema(admin);
    }
};

TEST_F(LotSerialsTest, TwoBenchesTakeEachSerialOfOneLotOnce) {
    const char* taker = std::getenv("TAKE_LOT_SERIALS");
    ASSERT_NE(taker, nullptr);
    const struct {
        const char* name;
        long size;
        long each;   // per worker; < 0: until used up
        long count;  // serials taken in all
        int usedUp;
    } cases[] = {
        {"a lot taken in part", 1000, 25, 2 * 8 * 25, 0},
        {"a lot used up", 150, -1, 150, 16},
    };
    for (const auto& c : cases) {
        const LotDefinition lot = NextLot(c.size);
        {
            Connection bench(kBenchSource);
            ASSERT_TRUE(CreateDatabaseLot(bench, lot));
        }
        const std::string command = std::string("'") + taker + "' " + kBenchSource + " " +
                                    lot.name + " 8 " + std::to_string(c.each);
        int status = 0;
        const TakersOutcome outcome = TakeInTwoPrograms(command, status);
        EXPECT_EQ(status, 0) << c.name;
        EXPECT_EQ(outcome.usedUp, c.usedUp) << c.name;
        const auto ledger = OpenDatabaseLot(std::make_unique<Connection>(kBenchSource), lot.name);
        EXPECT_EQ(TakenFault(outcome, ledger->Standing(), c.count), "") << c.name;
    }
}

TEST_F(LotSerialsTest, ALotIsMadeOnceAndOverlapsNoOther) {
    const LotDefinition lot = NextLot(100);
    Connection bench(kBenchSource);
    EXPECT_TRUE(CreateDatabaseLot(bench, lot));
    EXPECT_FALSE(CreateDatabaseLot(bench, lot)) << "made again as defined: nothing to do";

    LotDefinition overlapping = NextLot(100);
    overlapping.serials = {lot.serials.last, lot.serials.last + 50};
    LotDefinition holding = NextLot(100);
    holding.serials = {lot.serials.first - 1, lot.serials.last + 1};
    LotDefinition otherRange = lot;
    otherRange.serials.last -= 1;
    LotDefinition otherTemplate = lot;
    otherTemplate.templateSha256 = std::string(64, 'f');
    const struct {
        const char* name;
        LotDefinition lot;
        const char* says;
    } refused[] = {
        {"sharing its last serial", overlapping, "overlap"},
        {"holding it", holding, "overlap"},
        {"its name, another range", otherRange, "its serials are"},
        {"its name, another template", otherTemplate, "template"},
    };
    for (const auto& c : refused) {
        try {
            CreateDatabaseLot(bench, c.lot);
            ADD_FAILURE() << c.name << ": made";
        } catch (const LotError& error) {
            EXPECT_EQ(dynamic_cast<const LedgerFailure*>(&error), nullptr) << c.name;
            EXPECT_NE(std::string(error.what()).find(c.says), std::string::npos)
                << c.name << ": " << error.what();
        }
    }
    EXPECT_THROW(OpenDatabaseLot(std::make_unique<Connection>(kBenchSource), "NO-SUCH-LOT"),
                 LotError);
}

TEST_F(LotSerialsTest, OfTwoOverlappingLotsMadeAtOnceOneIsMade) {
    Connection one(kBenchSource), other(kBenchSource);
    for (int round = 0; round < 10; ++round) {
        LotDefinition first = NextLot(100);
        LotDefinition second = NextLot(100);
        second.serials = {first.serials.first + 50, first.serials.last + 50};
        // Both connected before, and let go together.
        std::promise<void> go;
        const std::shared_future<void> started = go.get_future().share();
        const auto make = [started](Connection* bench, const LotDefinition& lot) {
            started.wait();
            try {
                return CreateDatabaseLot(*bench, lot);
            } catch (const LotError&) {
                return false;
            }
        };
        auto made = std::async(std::launch::async, make, &one, first);
        auto refused = std::async(std::launch::async, make, &other, second);
        go.set_value();
        EXPECT_EQ(made.get() + refused.get(), 1) << "round " << round;
    }
}

TEST_F(LotSerialsTest, EachResultIsGivenOnceAndKept) {
    const LotDefinition lot = NextLot(10);
    {
        Connection bench(kBenchSource);
        CreateDatabaseLot(bench, lot);
    }
    const auto ledger = OpenDatabaseLot(std::make_unique<Connection>(kBenchSource), lot.name);
    EXPECT_EQ(ledger->Where(), "the lab database");
    EXPECT_EQ(ledger->Lot().templateSha256, kTemplate);
    const long first = *ledger->Take("bench-a", "bus 7");
    const long second = *ledger->Take("bench-a", "bus 8");
    EXPECT_EQ(first, lot.serials.first);
    EXPECT_EQ(second, first + 1);
    ledger->MarkProgrammed(first);
    ledger->MarkSpoiled(second, "gone at page 4");
    const struct {
        const char* name;
        std::function<void()> call;
    } twice[] = {
        {"programmed twice", [&] { ledger->MarkProgrammed(first); }},
        {"spoiled after programmed", [&] { ledger->MarkSpoiled(first, "late"); }},
        {"a result for a serial never taken", [&] { ledger->MarkProgrammed(second + 1); }},
        {"a result for a serial of another lot", [&] { ledger->MarkProgrammed(first - 1); }},
    };
    for (const auto& c : twice)
        EXPECT_THROW(c.call(), LotError) << c.name;
    EXPECT_EQ(ledger->StateOf(first), SerialState::Programmed);
    EXPECT_EQ(ledger->StateOf(second), SerialState::Spoiled);
    EXPECT_EQ(ledger->StateOf(second + 1), SerialState::Free);
    const LotStanding standing = ledger->Standing();
    ASSERT_EQ(standing.used.size(), 2u);
    EXPECT_EQ(standing.used[1].reason, "gone at page 4");
    EXPECT_EQ(standing.used[1].target, "bus 8");
    EXPECT_EQ(standing.left, 8);

    // Neither a bench nor the owner rewrites or removes what a lot handed out.
    const std::string where = " WHERE lot = '" + lot.name + "'";
    const std::string name = "'" + lot.name + "'";
    const struct {
        const char* source;
        std::string sql;
    } attempts[] = {
        {kBenchSource, "UPDATE probe_lot_serials SET state = 'taken'" + where},
        {kBenchSource, "UPDATE probe_lot_serials SET bench = 'other'" + where},
        {kBenchSource, "DELETE FROM probe_lot_serials" + where},
        {kBenchSource, "TRUNCATE probe_lot_serials"},
        {kBenchSource, "UPDATE probe_lots SET next_serial = first_serial WHERE name = " + name},
        {kBenchSource, "UPDATE probe_lots SET last_serial = last_serial + 1 WHERE name = " + name},
        {kBenchSource, "DELETE FROM probe_lots WHERE name = " + name},
        {kBenchSource, "INSERT INTO probe_lot_serials VALUES (" + name + ", " +
                           std::to_string(second + 5) + ", 'taken', 'b', 't', NULL, 'x')"},
        {kAdminSource, "UPDATE probe_lot_serials SET state = 'spoiled'" + where},
        {kAdminSource, "DELETE FROM probe_lot_serials" + where},
        {kAdminSource, "DELETE FROM probe_lots WHERE name = " + name},
    };
    for (const auto& attempt : attempts) {
        Connection connection(attempt.source);
        try {
            connection.Execute(attempt.sql);
            ADD_FAILURE() << attempt.source << " may: " << attempt.sql;
        } catch (const DatabaseError& error) {
            EXPECT_TRUE(error.IsRefusal()) << error.state() << " " << error.what();
        }
    }
    EXPECT_EQ(ledger->Standing().programmed, 1);
    EXPECT_EQ(ledger->Take("bench-a", "bus 7"), second + 1);
}

TEST_F(LotSerialsTest, ThePushedRecordsOfALotAreListedInTheOrderTheyCame) {
    const LotDefinition lot = NextLot(10);
    JournalMaker maker;
    const auto probe = [&](const char* outcome) {
        return maker.Line({{"time", "2026-12-09T05:00:00Z"},
                           {"host", "bench-a"},
                           {"command", "program"},
                           {"serial", "0000042"},
                           {"production", {{"lot", lot.name}, {"outcome", outcome}}}});
    };
    const std::vector<std::string> lines = {probe("programmed"), maker.StatusLine(2),
                                            probe("failed"), probe("skipped")};
    const fs::path journal = fs::temp_directory_path() / ("lot-push-" + lot.name + ".jsonl");
    WriteLines(journal, lines);
    Connection bench(kBenchSource);
    EXPECT_EQ(PushJournal(bench, journal).sent, 4u);
    EXPECT_EQ(LotRecordLines(bench, lot.name),
              (std::vector<std::string>{lines[0], lines[2], lines[3]}));
    EXPECT_EQ(AskServer("SELECT COUNT(*) FROM probe_records WHERE lot IS NULL AND id = '" +
                        IdOf(lines[1]) + "'"),
              "1");
    EXPECT_TRUE(LotRecordLines(bench, "NO-SUCH-LOT").empty());
    fs::remove(journal);
}

}  // namespace
