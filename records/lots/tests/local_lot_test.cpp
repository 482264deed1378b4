// The ledger beside the journal: serials handed out lowest first and once, each
// result given once, the lot kept as first defined, overlapping lots refused,
// and a file that does not read refused unless its damage is an append cut
// short.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <thread>

#include "lot_file.h"
#include "serial_takers.h"

namespace {

namespace fs = std::filesystem;

const std::string kTemplate(64, 'a');

LotDefinition Lot(const std::string& name, long first, long last,
                  const std::string& digest = kTemplate) {
    LotDefinition lot;
    lot.name = name;
    lot.serials = {first, last};
    lot.templateSha256 = digest;
    return lot;
}

class LocalLotTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() / ("lots-" + std::to_string(std::random_device{}()));
        fs::remove_all(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string FileText(const std::string& name) const {
        std::ifstream stream(folder_ / (name + ".jsonl"), std::ios::binary);
        return {std::istreambuf_iterator<char>(stream), {}};
    }
    void WriteFile(const std::string& name, const std::string& text) const {
        fs::create_directories(folder_);
        std::ofstream(folder_ / (name + ".jsonl"), std::ios::binary) << text;
    }

    fs::path folder_;
};

TEST_F(LocalLotTest, HandsOutTheLowestFreeSerialOnceAndKeepsEachResult) {
    {
        const auto ledger = OpenLocalLot(folder_, Lot("L1", 100, 103));
        EXPECT_EQ(ledger->Lot().name, "L1");
        EXPECT_FALSE(ledger->Lot().created.empty());
        EXPECT_EQ(ledger->Where(), (folder_ / "L1.jsonl").string());
        EXPECT_EQ(ledger->Take("bench-a", "bus 7"), 100);
        EXPECT_EQ(ledger->Take("bench-a", "bus 8"), 101);
        ledger->MarkProgrammed(100);
        ledger->MarkSpoiled(101, "page 3 not acknowledged");
        EXPECT_EQ(ledger->Take("bench-a", "bus 7"), 102);
    }
    // Kept on disk: another program opening the lot by name carries on.
    const auto again = OpenLocalLot(folder_, "L1");
    EXPECT_EQ(again->StateOf(100), SerialState::Programmed);
    EXPECT_EQ(again->StateOf(101), SerialState::Spoiled);
    EXPECT_EQ(again->StateOf(102), SerialState::Taken);
    EXPECT_EQ(again->StateOf(103), SerialState::Free);
    EXPECT_THROW(again->StateOf(104), LotError);
    EXPECT_EQ(again->Take("bench-b", "chip.bin"), 103);
    EXPECT_EQ(again->Take("bench-b", "chip.bin"), std::nullopt);  // used up
    EXPECT_EQ(again->Take("bench-b", "chip.bin"), std::nullopt);

    const LotStanding standing = again->Standing();
    ASSERT_EQ(standing.used.size(), 4u);
    EXPECT_EQ(standing.programmed, 1);
    EXPECT_EQ(standing.spoiled, 1);
    EXPECT_EQ(standing.taken, 2);
    EXPECT_EQ(standing.left, 0);
    EXPECT_EQ(standing.used[0].bench, "bench-a");
    EXPECT_EQ(standing.used[0].target, "bus 7");
    EXPECT_EQ(standing.used[1].reason, "page 3 not acknowledged");
    EXPECT_EQ(standing.used[1].target, "bus 8");
    EXPECT_EQ(standing.used[3].bench, "bench-b");
}

TEST_F(LocalLotTest, RefusesWhatWouldHandOutASerialTwiceOrChangeALot) {
    const auto kept = OpenLocalLot(folder_, Lot("L1", 100, 199));
    const LotDefinition asKept = kept->Lot();
    const auto reopened = OpenLocalLot(folder_, Lot("L1", 100, 199));
    EXPECT_EQ(reopened->Lot().created, asKept.created) << "the definition is kept as first made";

    const struct {
        const char* name;
        LotDefinition lot;
        const char* says;
    } refused[] = {
        {"overlapping at its end", Lot("L2", 50, 100), "overlap"},
        {"overlapping at its start", Lot("L2", 199, 300), "overlap"},
        {"holding the other", Lot("L2", 0, 9999999), "overlap"},
        {"the same lot, another range", Lot("L1", 100, 150), "its serials are 100-199"},
        {"the same lot, another template", Lot("L1", 100, 199, std::string(64, 'b')), "template"},
        {"a name no lot may have", Lot("../L3", 300, 399), "name"},
        {"a range beyond seven digits", Lot("L3", 300, 10000000), "range"},
        {"a digest that is not one", Lot("L3", 300, 399, "ABC"), "SHA-256"},
    };
    for (const auto& c : refused) {
        try {
            OpenLocalLot(folder_, c.lot);
            ADD_FAILURE() << c.name << ": opened";
        } catch (const LotError& error) {
            EXPECT_NE(std::string(error.what()).find(c.says), std::string::npos)
                << c.name << ": " << error.what();
        }
    }
    EXPECT_FALSE(fs::exists(folder_ / "L2.jsonl")) << "a refused lot leaves no file";
    EXPECT_THROW(OpenLocalLot(folder_, "L9"), LotError);
    EXPECT_FALSE(fs::exists(folder_ / "L9.jsonl"));
    EXPECT_EQ(OpenLocalLot(folder_, Lot("L2", 200, 299))->Lot().serials.first, 200);

    const long taken = *kept->Take("bench", "bus 1");
    kept->MarkSpoiled(taken, "gone at page 2");
    const struct {
        const char* name;
        std::function<void()> call;
    } twice[] = {
        {"spoiled twice", [&] { kept->MarkSpoiled(taken, "again"); }},
        {"programmed after spoiled", [&] { kept->MarkProgrammed(taken); }},
        {"a result for a serial never taken", [&] { kept->MarkProgrammed(taken + 1); }},
        {"a result for a serial of another lot", [&] { kept->MarkProgrammed(250); }},
    };
    for (const auto& c : twice)
        EXPECT_THROW(c.call(), LotError) << c.name;
    EXPECT_EQ(kept->StateOf(taken), SerialState::Spoiled);
    EXPECT_EQ(kept->StateOf(taken + 1), SerialState::Free);
    EXPECT_EQ(kept->Take("bench", "bus 1"), taken + 1) << "a spoiled serial is never reused";
}

std::string DefinitionText() {
    return std::string("{\"lot\":\"L1\",\"serials\":\"10-19\",\"template_sha256\":\"") + kTemplate +
           "\",\"created\":\"2026-01-01T00:00:00Z\"}\n";
}

std::string Taken(long serial) {
    return "{\"serial\":" + std::to_string(serial) +
           ",\"state\":\"taken\",\"bench\":\"b\",\"target\":\"t\",\"time\":\"x\"}\n";
}

TEST_F(LocalLotTest, ADamagedLineStopsTheLedgerAndACutAppendDoesNot) {
    const std::string head = DefinitionText() + Taken(10);
    const std::string programmed = "{\"serial\":10,\"state\":\"programmed\",\"time\":\"x\"}\n";
    const struct {
        const char* name;
        std::string text;
        long next;  // 0: refused
    } files[] = {
        {"whole", head + programmed, 11},
        {"a torn last line", head + "{\"serial\":11,\"sta", 11},
        {"a torn line mended by the next append",
         head + "{\"serial\":11,\"sta\n" + Taken(11).insert(1, "\"after_torn\":true,"), 12},
        {"two torn lines, one after the other",
         head + "{\"ser\n{\"serial\":11\n" + Taken(11).insert(1, "\"after_torn\":true,"), 12},
        {"a line cut short in the middle", head + "{\"serial\":11,\"sta\n" + Taken(11), 0},
        {"a damaged line at the end", head + "{\"serial\":11,\"sta\n", 0},
        {"a line that is not an object", head + "[1,2]\n", 0},
        {"a serial taken twice", head + Taken(10), 0},
        {"a serial outside the lot", head + Taken(20), 0},
        {"a serial as text", head + "{\"serial\":\"11\",\"state\":\"taken\"}\n", 0},
        {"an unknown state", head + "{\"serial\":10,\"state\":\"lost\",\"time\":\"x\"}\n", 0},
        {"a result for a serial never taken",
         head + "{\"serial\":11,\"state\":\"programmed\",\"time\":\"x\"}\n", 0},
        {"a result given twice", head + programmed + programmed, 0},
        {"a spoiled serial without reason",
         head + "{\"serial\":10,\"state\":\"spoiled\",\"time\":\"x\"}\n", 0},
        {"a second definition", head + DefinitionText(), 0},
        {"a change before the definition", Taken(10) + DefinitionText(), 0},
        {"a definition without template",
         "{\"lot\":\"L1\",\"serials\":\"10-19\",\"created\":\"x\"}\n", 0},
        {"a definition running backwards",
         "{\"lot\":\"L1\",\"serials\":\"19-10\",\"template_sha256\":\"" + kTemplate +
             "\",\"created\":\"x\"}\n",
         0},
    };
    for (const auto& c : files) {
        WriteFile("L1", c.text);
        try {
            const auto ledger = OpenLocalLot(folder_, "L1");
            const std::optional<long> serial = ledger->Take("bench", "bus 1");
            EXPECT_EQ(serial, c.next) << c.name;
            // What was appended reads back, by another program too.
            EXPECT_EQ(OpenLocalLot(folder_, "L1")->StateOf(*serial), SerialState::Taken) << c.name;
        } catch (const LotError& error) {
            EXPECT_EQ(c.next, 0) << c.name << ": " << error.what();
            EXPECT_NE(std::string(error.what()).find("L1.jsonl line "), std::string::npos)
                << c.name << ": " << error.what();
        }
    }
}

TEST_F(LocalLotTest, DamageAppendedByAnotherStopsAnOpenLedgerForGood) {
    WriteFile("L1", DefinitionText());
    const auto ledger = OpenLocalLot(folder_, "L1");
    EXPECT_EQ(ledger->Take("bench", "bus 1"), 10);
    std::ofstream(folder_ / "L1.jsonl", std::ios::app) << Taken(11) << "{\"serial\":11}\n";
    std::string first;
    for (int call = 0; call < 2; ++call) {
        try {
            ledger->Take("bench", "bus 1");
            ADD_FAILURE() << "handed out from a damaged ledger";
        } catch (const LedgerFailure& error) {
            // The same damage each time, not the lines before it read twice.
            EXPECT_NE(std::string(error.what()).find("line 4 "), std::string::npos) << error.what();
            if (call == 1) {
                EXPECT_EQ(error.what(), first);
            }
            first = error.what();
        }
    }
}

TEST_F(LocalLotTest, ALotCutShortAtItsDefinitionIsDefinedAgain) {
    WriteFile("L1", "{\"lot\":\"L1\",\"ser");
    const auto ledger = OpenLocalLot(folder_, Lot("L1", 10, 19));
    EXPECT_EQ(ledger->Take("bench", "bus 1"), 10);
    EXPECT_EQ(OpenLocalLot(folder_, "L1")->Lot().serials.last, 19);
    EXPECT_NE(FileText("L1").find("\"after_torn\":true"), std::string::npos);
}

TEST_F(LocalLotTest, ThreadsAndTwoLedgersOfOneFileTakeEachSerialOnce) {
    const auto first = OpenLocalLot(folder_, Lot("L1", 5000, 5299));
    const auto second = OpenLocalLot(folder_, "L1");
    TakersOutcome all;
    std::thread other([&] { all = RunTakers(*second, 4, 30, "bench-b"); });
    const TakersOutcome mine = RunTakers(*first, 4, 30, "bench-a");
    other.join();
    all.taken.insert(all.taken.end(), mine.taken.begin(), mine.taken.end());
    EXPECT_EQ(TakenFault(all, first->Standing(), 240), "");
}

TEST_F(LocalLotTest, ALotUsedUpTellsEveryTakerSo) {
    const auto ledger = OpenLocalLot(folder_, Lot("L1", 0, 49));
    const TakersOutcome outcome = RunTakers(*ledger, 8, -1, "bench");
    EXPECT_EQ(outcome.usedUp, 8);
    EXPECT_EQ(TakenFault(outcome, ledger->Standing(), 50), "");
}

}  // namespace
