// What the server holds to whoever asks: records are never changed or removed,
// a bench may only insert and read, an older schema is brought up to date, a
// counter hands out each number once, and no password reaches a message.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <future>
#include <random>
#include <set>

#include "chained_line.h"
#include "journal_maker.h"
#include "journal_push.h"
#include "lab_queries.h"
#include "lab_server.h"
#include "next_number.h"
#include "schema.h"

namespace {

namespace fs = std::filesystem;

class RulesTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        Connection admin(kAdminSource);
        InitSchema(admin);
    }
};

// One line sent as a bench sends it, straight through the insert.
void Insert(Connection& connection, const std::string& line) {
    const LineReading reading = ReadChainedLine(line);
    const ChainedLine& f = reading.fields;
    connection
        .Prepare(
            "INSERT INTO probe_records (id, journal, prev, bench, time_utc, serial, command, "
            "line) VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
        .Execute({f.id, f.journal, f.prev, f.bench, f.time, f.serial, f.command, line});
}

TEST_F(RulesTest, NoOneChangesOrRemovesARecord) {
    JournalMaker maker;
    const std::string line = maker.StatusLine(1);
    {
        Connection bench(kBenchSource);
        Insert(bench, line);
    }
    const std::string id = IdOf(line);
    const struct {
        const char* source;
        std::string sql;
    } attempts[] = {
        {kBenchSource, "UPDATE probe_records SET serial = '1' WHERE id = '" + id + "'"},
        {kBenchSource, "DELETE FROM probe_records WHERE id = '" + id + "'"},
        {kBenchSource, "TRUNCATE probe_records"},
        {kBenchSource, "UPDATE probe_journals SET last_id = NULL"},
        {kBenchSource, "DROP TRIGGER probe_records_keep ON probe_records"},
        {kAdminSource, "UPDATE probe_records SET line = 'x' WHERE id = '" + id + "'"},
        {kAdminSource, "DELETE FROM probe_records WHERE id = '" + id + "'"},
        {kAdminSource, "TRUNCATE probe_records"},
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
    EXPECT_EQ(CountRecords(maker.journal()), 1);
    EXPECT_EQ(AskServer("SELECT line FROM probe_records WHERE id = '" + id + "'"), line);
}

TEST_F(RulesTest, ABenchInsertsOnlyLinesThatCarryTheirOwnIdAndFollowTheChain) {
    JournalMaker maker;
    const std::string first = maker.StatusLine(1);
    const std::string second = maker.StatusLine(2);
    Connection bench(kBenchSource);
    const std::string forged = Rehashed(std::string(first).replace(
        first.find("\"prev\":null"), 11, "\"prev\":\"" + std::string(64, 'e') + "\""));
    const struct {
        const char* name;
        std::string line;
        const char* says;
    } refused[] = {
        {"not the first", second, "is not the last record held"},
        {"an id that is not its hash",
         std::string(first).replace(first.find("line 1"), 6, "line X"), "SHA-256"},
        {"a prev the journal never held", forged, "is not the last record held"},
    };
    for (const auto& c : refused) {
        try {
            Insert(bench, c.line);
            ADD_FAILURE() << c.name << " was taken";
        } catch (const DatabaseError& error) {
            EXPECT_NE(std::string(error.what()).find(c.says), std::string::npos)
                << c.name << ": " << error.what();
            EXPECT_NE(std::string(error.what()).find(IdOf(c.line)), std::string::npos)
                << "the message names the line: " << error.what();
        }
    }
    EXPECT_EQ(CountRecords(maker.journal()), 0);
    Insert(bench, first);
    Insert(bench, first);  // a line sent twice is stored once
    Insert(bench, second);
    EXPECT_EQ(CountRecords(maker.journal()), 2);
}

TEST_F(RulesTest, TheColumnsComeFromTheLineNotFromTheSender) {
    JournalMaker maker;
    const std::string line = maker.StatusLine(1, "bench-true", "777");
    Connection bench(kBenchSource);
    bench
        .Prepare(
            "INSERT INTO probe_records (id, journal, prev, bench, time_utc, serial, command, "
            "line) VALUES (?, ?, ?, ?, ?, ?, ?, ?)")
        .Execute(
            {IdOf(line), maker.journal(), std::nullopt, "bench-false", "1999", "1", "write", line});
    EXPECT_EQ(AskServer("SELECT bench || ' ' || serial || ' ' || command FROM probe_records "
                        "WHERE id = '" +
                        IdOf(line) + "'"),
              "bench-true 777 status");
}

TEST_F(RulesTest, ASchemaOneVersionBehindIsRefusedUntilInitBringsItUp) {
    Connection empty(kEmptySource);
    MigrateSchemaTo(empty, kSchemaVersion - 1);
    EXPECT_EQ(SchemaVersion(empty), kSchemaVersion - 1);
    // What an older bench program stored stays through the migration.
    empty.Execute(
        "INSERT INTO probe_records (id, journal, prev, bench, time_utc, serial, command, line) "
        "VALUES ('" +
        std::string(64, 'a') + "', '" + std::string(32, 'b') +
        "', NULL, 'old', '2025-01-01T00:00:00Z', '5', 'read', '{}')");

    const fs::path journal = fs::temp_directory_path() / "schema-behind.jsonl";
    JournalMaker maker;
    WriteLines(journal, {maker.StatusLine(1), maker.StatusLine(2)});
    try {
        PushJournal(empty, journal);
        ADD_FAILURE() << "pushed into an older schema";
    } catch (const DatabaseError& error) {
        EXPECT_NE(std::string(error.what()).find("db init"), std::string::npos) << error.what();
    }
    EXPECT_THROW(TakeNextNumber(empty, "certificate"), DatabaseError);

    const SchemaChange change = InitSchema(empty);
    EXPECT_EQ(change.from, kSchemaVersion - 1);
    EXPECT_EQ(change.to, kSchemaVersion);
    EXPECT_EQ(SchemaVersion(empty), kSchemaVersion);
    EXPECT_EQ(InitSchema(empty).from, kSchemaVersion);  // once more: nothing to do
    EXPECT_EQ(PushJournal(empty, journal).sent, 2u);
    const DatabaseSummary summary = SummariseDatabase(empty);
    EXPECT_EQ(summary.records, 3);
    EXPECT_EQ(summary.benches, 2);
    EXPECT_EQ(summary.journals, 2);
    EXPECT_EQ(TakeNextNumber(empty, "certificate"), 1);
    fs::remove(journal);
}

TEST_F(RulesTest, TwoProcessesTakingNumbersAtOnceGetEachNumberOnce) {
    const char* taker = std::getenv("TAKE_NUMBERS_PROGRAM");
    ASSERT_NE(taker, nullptr);
    const std::string counter = "lot-" + std::to_string(std::random_device{}());
    const int each = 150;
    const auto take = [&] {
        const std::string command = std::string("'") + taker + "' " + kBenchSource + " " + counter +
                                    " " + std::to_string(each);
        std::vector<long long> numbers;
        FILE* pipe = popen(command.c_str(), "r");
        long long number = 0;
        while (pipe != nullptr && std::fscanf(pipe, "%lld", &number) == 1)
            numbers.push_back(number);
        EXPECT_EQ(pipe == nullptr ? -1 : pclose(pipe), 0);
        return numbers;
    };
    auto first = std::async(std::launch::async, take);
    auto second = std::async(std::launch::async, take);
    std::vector<long long> all = first.get();
    const std::vector<long long> others = second.get();
    all.insert(all.end(), others.begin(), others.end());
    ASSERT_EQ(all.size(), 2u * each);
    const std::set<long long> distinct(all.begin(), all.end());
    EXPECT_EQ(distinct.size(), all.size()) << "a number was handed out twice";
    EXPECT_EQ(*distinct.begin(), 1);
    EXPECT_EQ(*distinct.rbegin(), 2 * each);
}

TEST_F(RulesTest, NoPasswordReachesAMessage) {
    const std::string given = std::string("DSN=") + kBenchWithoutPassword + ";PWD=wrong-secret";
    try {
        Connection connection(given);
        ADD_FAILURE() << "connected with a wrong password";
    } catch (const DatabaseError& error) {
        const std::string message = error.what();
        EXPECT_EQ(message.find("wrong-secret"), std::string::npos) << message;
        EXPECT_NE(message.find(kBenchWithoutPassword), std::string::npos) << message;
        EXPECT_FALSE(error.IsRefusal());
    }
    // With the right one it connects, and the bench may read.
    Connection connection(std::string("DSN=") + kBenchWithoutPassword + ";PWD=bench-two-secret");
    EXPECT_EQ(SchemaVersion(connection), kSchemaVersion);
}

}  // namespace
