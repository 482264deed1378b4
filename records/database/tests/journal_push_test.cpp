// Journals pushed to a real server, and the faults a lab meets: the server away
// before and during a push, pushes repeated and at once, lines edited, removed
// or moved. Each case checks what the journal and the database hold afterwards.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <random>
#include <thread>

#include "journal_maker.h"
#include "journal_push.h"
#include "lab_server.h"
#include "schema.h"

namespace {

namespace fs = std::filesystem;

class PushTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        Connection admin(kAdminSource);
        InitSchema(admin);
    }

    void SetUp() override {
        folder_ =
            fs::temp_directory_path() / ("journal-push-" + std::to_string(std::random_device{}()));
        fs::create_directories(folder_);
    }
    void TearDown() override {
        ResumeServer();  // in case a test stopped it and failed before starting it again
        fs::remove_all(folder_);
    }

    // A journal of n status lines, written to name.
    std::vector<std::string> Journal(JournalMaker& maker, int n, const std::string& name,
                                     const std::string& host = "bench-a") {
        std::vector<std::string> lines;
        for (int i = 1; i <= n; ++i)
            lines.push_back(maker.StatusLine(i, host));
        WriteLines(folder_ / name, lines);
        return lines;
    }

    PushResult Push(const std::string& name, const char* source = kBenchSource,
                    std::size_t batch = 500) {
        Connection connection(source);
        return PushJournal(connection, folder_ / name, batch);
    }

    // The same for another thread: a failure to reach the database comes back as
    // the reason the push stopped.
    PushResult PushInThread(const std::string& name, std::size_t batch) {
        try {
            return Push(name, kBenchSource, batch);
        } catch (const DatabaseError& error) {
            PushResult result;
            result.stopped = error.what();
            return result;
        }
    }

    fs::path folder_;
};

TEST_F(PushTest, SendsEachLineOnceHoweverOftenItIsPushed) {
    JournalMaker maker;
    std::vector<std::string> lines = Journal(maker, 3, "bench.jsonl");
    PushResult first = Push("bench.jsonl");
    EXPECT_EQ(first.stopped, "");
    EXPECT_EQ(first.sent, 3u);
    PushResult again = Push("bench.jsonl");
    EXPECT_EQ(again.sent, 0u);
    EXPECT_EQ(again.held, 3u);
    EXPECT_EQ(CountRecords(maker.journal()), 3);

    lines.push_back(maker.StatusLine(4));
    WriteLines(folder_ / "bench.jsonl", lines);
    PushResult more = Push("bench.jsonl");
    EXPECT_EQ(more.sent, 1u);
    EXPECT_EQ(more.held, 3u);
    EXPECT_EQ(CountRecords(maker.journal()), 4);
    EXPECT_EQ(
        AskServer("SELECT last_id FROM probe_journals WHERE journal = '" + maker.journal() + "'"),
        IdOf(lines.back()));
}

TEST_F(PushTest, PassesOverOldLinesDamagedLinesAndATornEnd) {
    JournalMaker maker;
    const std::string old = R"({"time":"2025-01-01T00:00:00Z","command":"read","exit":0})";
    const std::string one = maker.StatusLine(1);
    const std::string two = maker.StatusLine(2);
    WriteLines(folder_ / "bench.jsonl", {old, one, "not json", two});
    {
        std::ofstream torn(folder_ / "bench.jsonl", std::ios::app | std::ios::binary);
        torn << R"({"id":"0123)";
    }
    const PushResult result = Push("bench.jsonl");
    EXPECT_EQ(result.stopped, "");
    EXPECT_EQ(result.sent, 2u);
    EXPECT_EQ(result.unchained, 1u);
    ASSERT_EQ(result.skipped.size(), 2u);
    EXPECT_EQ(result.skipped[0], "line 3: not one JSON object");
    EXPECT_NE(result.skipped[1].find("line 5: torn"), std::string::npos);
    EXPECT_EQ(CountRecords(maker.journal()), 2);
}

TEST_F(PushTest, ARecordWrittenWhileTheServerIsDownGoesWithTheNextPush) {
    JournalMaker maker;
    std::vector<std::string> lines = Journal(maker, 2, "bench.jsonl");
    ASSERT_EQ(Push("bench.jsonl").sent, 2u);
    lines.push_back(maker.StatusLine(3));
    WriteLines(folder_ / "bench.jsonl", lines);
    const std::string journalBefore = FileText(folder_ / "bench.jsonl");

    ASSERT_TRUE(HaltServer());
    EXPECT_THROW(Push("bench.jsonl"), DatabaseError);
    EXPECT_EQ(FileText(folder_ / "bench.jsonl"), journalBefore);
    ASSERT_TRUE(ResumeServer());
    EXPECT_EQ(CountRecords(maker.journal()), 2);

    const PushResult result = Push("bench.jsonl");
    EXPECT_EQ(result.sent, 1u);
    EXPECT_EQ(result.held, 2u);
    EXPECT_EQ(CountRecords(maker.journal()), 3);
}

TEST_F(PushTest, AServerStoppedInTheMiddleOfAPushLosesAndDoublesNothing) {
    JournalMaker maker;
    const int total = 6000;
    Journal(maker, total, "bench.jsonl");
    const std::string journalBefore = FileText(folder_ / "bench.jsonl");

    PushResult interrupted;
    std::thread pusher([&] { interrupted = PushInThread("bench.jsonl", 100); });
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (CountRecords(maker.journal()) < 500 && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(HaltServer());
    pusher.join();
    ASSERT_TRUE(ResumeServer());

    const long long stored = CountRecords(maker.journal());
    EXPECT_GE(stored, 500);
    ASSERT_LT(stored, total) << "the push ended before the server stopped";
    EXPECT_NE(interrupted.stopped, "");
    EXPECT_FALSE(interrupted.refused);
    EXPECT_EQ(stored % 100, 0) << "only whole transactions are kept";
    EXPECT_EQ(FileText(folder_ / "bench.jsonl"), journalBefore);

    const PushResult rest = Push("bench.jsonl");
    EXPECT_EQ(rest.stopped, "");
    EXPECT_EQ(rest.held, static_cast<std::size_t>(stored));
    EXPECT_EQ(rest.sent, static_cast<std::size_t>(total - stored));
    EXPECT_EQ(CountRecords(maker.journal()), total);
}

TEST_F(PushTest, TwoBenchesPushingAtOnceBothArriveWhole) {
    JournalMaker a, b;
    Journal(a, 1500, "a.jsonl", "bench-a");
    Journal(b, 1500, "b.jsonl", "bench-b");
    PushResult ra, rb, rc;
    std::thread first([&] { ra = PushInThread("a.jsonl", 50); });
    std::thread second([&] { rb = PushInThread("b.jsonl", 50); });
    // The same journal from a second process at the same time: each line still once.
    std::thread third([&] { rc = PushInThread("a.jsonl", 50); });
    first.join();
    second.join();
    third.join();
    EXPECT_EQ(ra.stopped, "");
    EXPECT_EQ(rb.stopped, "");
    EXPECT_EQ(rc.stopped, "");
    EXPECT_EQ(rb.sent, 1500u);
    EXPECT_EQ(ra.sent + rc.sent, 1500u);
    EXPECT_EQ(CountRecords(a.journal()), 1500);
    EXPECT_EQ(CountRecords(b.journal()), 1500);
    EXPECT_EQ(AskServer("SELECT COUNT(*) FROM probe_records WHERE journal IN ('" + a.journal() +
                        "', '" + b.journal() + "')"),
              "3000");
}

// A journal broken before it is pushed: the lines before the break are stored,
// the push names the line, and nothing after it is taken.
TEST_F(PushTest, TheDatabaseRefusesABrokenChainFromTheBreakOn) {
    const struct {
        const char* name;
        std::function<void(std::vector<std::string>&)> breakIt;
        std::size_t firstRefused;  // line number from 1
    } cases[] = {
        {"edited",
         [](std::vector<std::string>& l) { l[3].replace(l[3].find("line 4"), 6, "line X"); }, 4},
        {"edited with its id made again",
         [](std::vector<std::string>& l) {
             l[3] = Rehashed(l[3].replace(l[3].find("line 4"), 6, "line X"));
         },
         5},
        {"removed", [](std::vector<std::string>& l) { l.erase(l.begin() + 3); }, 4},
        {"moved", [](std::vector<std::string>& l) { std::swap(l[2], l[4]); }, 3},
        {"first removed", [](std::vector<std::string>& l) { l.erase(l.begin()); }, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        JournalMaker maker;
        std::vector<std::string> lines;
        for (int i = 1; i <= 8; ++i)
            lines.push_back(maker.StatusLine(i));
        c.breakIt(lines);
        WriteLines(folder_ / "bench.jsonl", lines);
        const std::string journalBefore = FileText(folder_ / "bench.jsonl");

        const PushResult result = Push("bench.jsonl", kBenchSource, 3);
        EXPECT_TRUE(result.refused);
        EXPECT_NE(result.stopped.find("line " + std::to_string(c.firstRefused) + " of "),
                  std::string::npos)
            << result.stopped;
        EXPECT_NE(result.stopped.find("refused"), std::string::npos) << result.stopped;
        EXPECT_EQ(result.sent, c.firstRefused - 1);
        EXPECT_EQ(CountRecords(maker.journal()), static_cast<long long>(c.firstRefused - 1));
        EXPECT_EQ(FileText(folder_ / "bench.jsonl"), journalBefore);
        // Pushed again, the same: the database takes no part of a broken chain.
        EXPECT_EQ(Push("bench.jsonl").sent, 0u);
        EXPECT_EQ(CountRecords(maker.journal()), static_cast<long long>(c.firstRefused - 1));
    }
}

TEST_F(PushTest, AJournalCutBehindWhatTheDatabaseHoldsIsToldNotSent) {
    JournalMaker maker;
    std::vector<std::string> lines = Journal(maker, 4, "bench.jsonl");
    ASSERT_EQ(Push("bench.jsonl").sent, 4u);
    lines.resize(2);
    WriteLines(folder_ / "bench.jsonl", lines);
    const PushResult result = Push("bench.jsonl");
    EXPECT_TRUE(result.refused);
    EXPECT_NE(result.stopped.find("was cut or replaced"), std::string::npos) << result.stopped;
    EXPECT_EQ(CountRecords(maker.journal()), 4);
}

TEST_F(PushTest, MeasuresThePushRateOfTenThousandLines) {
    JournalMaker maker;
    Journal(maker, 10000, "bench.jsonl");
    const auto start = std::chrono::steady_clock::now();
    const PushResult result = Push("bench.jsonl");
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(result.sent, 10000u);
    EXPECT_EQ(CountRecords(maker.journal()), 10000);
    const auto again = std::chrono::steady_clock::now();
    EXPECT_EQ(Push("bench.jsonl").held, 10000u);
    const double repeat =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - again).count();
    std::printf("push of 10000 journal lines: %.2f s, %.0f records/s; pushed again: %.2f s\n",
                seconds, 10000 / seconds, repeat);
}

}  // namespace
