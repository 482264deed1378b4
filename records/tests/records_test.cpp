// Record lines written and read back, the record file's appends, and the names
// of as-found backups.
#include <gtest/gtest.h>

#include <ctime>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

#include "backup_name.h"
#include "bench_record.h"
#include "journal_chain.h"
#include "record_file.h"
#include "record_reading.h"

namespace {

BenchRecord Sample(const std::string& time, const std::string& serial, int exit) {
    BenchRecord record;
    record.time = time;
    record.command = "write";
    record.arguments = {"a.bin", "--only-changed"};
    record.serial = serial;
    record.asFound = ImageFacts{"ab12", "accepted", "M006", serial, "2512"};
    record.pagesWritten = std::vector<unsigned>{0, 16};
    record.pagesFailed = {48};
    record.exit = exit;
    record.message = "write failed";
    return record;
}

std::filesystem::path Scratch(const std::string& name) {
    const auto folder = std::filesystem::path(::testing::TempDir()) / ("records-" + name);
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

std::string Contents(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(RecordReading, ListsWholeLinesAndReportsDamagedOnesByNumber) {
    const std::string text = RecordLine(Sample("2026-12-08T10:00:00Z", "42", 4)) + "\n" +
                             "\n" +                                           // 2: blank
                             "{\"time\":\"2026-12-08T11:00:00Z\",\"comm\n" +  // 3: torn
                             "[1,2]\n" +                                      // 4
                             "{\"time\":\"yesterday\",\"command\":\"read\",\"exit\":0}\n" +  // 5
                             RecordLine(Sample("2026-12-07T09:00:00Z", "7", 0));  // 6, no \n
    const RecordReading reading = ReadRecords(text);
    ASSERT_EQ(reading.records.size(), 2u);
    EXPECT_EQ(reading.records[0].line, 1u);
    EXPECT_EQ(reading.records[1].line, 6u);
    const auto& record = reading.records[0].record;
    EXPECT_EQ(record["serial"], "42");
    EXPECT_EQ(record["asFound"]["sha256"], "ab12");
    EXPECT_EQ(record["pagesWritten"], nlohmann::ordered_json({0, 16}));
    EXPECT_EQ(record["pagesFailed"], nlohmann::ordered_json({48}));
    EXPECT_EQ(record["exit"], 4);
    ASSERT_EQ(reading.damaged.size(), 3u);
    EXPECT_EQ(reading.damaged[0].line, 3u);
    EXPECT_EQ(reading.damaged[0].reason, "not JSON");
    EXPECT_EQ(reading.damaged[1].line, 4u);
    EXPECT_EQ(reading.damaged[2].reason, "no UTC time");
}

TEST(RecordReading, SelectsBySerialAndTimeOldestFirst) {
    const std::string text = RecordLine(Sample("2026-12-08T10:00:00Z", "42", 0)) + "\n" +
                             RecordLine(Sample("2026-12-07T10:00:00Z", "42", 1)) + "\n" +
                             RecordLine(Sample("2026-12-09T10:00:00Z", "43", 2)) + "\n";
    const RecordReading reading = ReadRecords(text);
    const auto bySerial = SelectRecords(reading, {"0000042", ""});
    ASSERT_EQ(bySerial.size(), 2u);
    EXPECT_EQ(bySerial[0].line, 2u);  // the older one first
    EXPECT_EQ(bySerial[1].line, 1u);
    const auto since = SelectRecords(reading, {"", "2026-12-08"});
    ASSERT_EQ(since.size(), 2u);
    EXPECT_EQ(since[0].line, 1u);
    EXPECT_EQ(since[1].line, 3u);
    EXPECT_TRUE(IsSinceText("2026-12-08"));
    EXPECT_TRUE(IsSinceText("2026-12-08T10:00:00Z"));
    EXPECT_FALSE(IsSinceText("8.12.2026"));
}

TEST(RecordLine, IsOneLineEvenForBytesThatAreNotText) {
    BenchRecord record = Sample("2026-12-08T10:00:00Z", "4\xff\n2", 0);
    record.operatorName = "o\"p";
    const std::string line = RecordLine(record);
    EXPECT_EQ(line.find('\n'), std::string::npos);
    const RecordReading reading = ReadRecords(line);
    ASSERT_EQ(reading.records.size(), 1u);
    EXPECT_EQ(reading.records[0].record["operator"], "o\"p");
}

TEST(RecordLine, NamesTheLotAndTheSpoiledSerialOnlyWhereThereIsOne) {
    BenchRecord record = Sample("2026-12-08T10:00:00Z", "1000007", 3);
    record.production = LotFacts{"L-7", "failed", "bus 7", "1000007"};
    auto read = ReadRecords(RecordLine(record)).records.at(0).record;
    EXPECT_EQ(read["production"],
              nlohmann::ordered_json::parse(
                  R"({"lot":"L-7","outcome":"failed","target":"bus 7","spoiled":"1000007"})"));
    record.production = LotFacts{"L-7", "skipped", "bus 7", ""};
    read = ReadRecords(RecordLine(record)).records.at(0).record;
    EXPECT_FALSE(read["production"].contains("spoiled"));
    record.production.reset();
    EXPECT_FALSE(ReadRecords(RecordLine(record)).records.at(0).record.contains("production"));
}

TEST(RecordFile, AppendsWholeLinesAndSaysWhyItCannotOpen) {
    const auto folder = Scratch("append");
    const auto path = folder / "data" / "records.jsonl";
    std::vector<std::string> written;
    {
        RecordFile first(path);  // its folder is made
        RecordFile second(path);
        ASSERT_TRUE(first.IsOpen()) << first.Failure();
        ASSERT_TRUE(second.IsOpen());
        EXPECT_TRUE(first.Append("{\"n\":1}"));
        written.push_back(first.LastLine());
        EXPECT_TRUE(second.Append("{\"n\":2}"));
        written.push_back(second.LastLine());
        EXPECT_TRUE(first.Append("{\"n\":3}"));
        written.push_back(first.LastLine());
    }
    RecordFile reopened(path);
    EXPECT_TRUE(reopened.Append("{}"));
    written.push_back(reopened.LastLine());
    std::string expected;
    for (const std::string& line : written)
        expected += line + "\n";
    EXPECT_EQ(Contents(path), expected);
    EXPECT_EQ(nlohmann::ordered_json::parse(written[3]).size(), 3u);  // the chain fields alone

    // Each line follows the one before it in one journal; the first follows none.
    for (std::size_t i = 0; i < written.size(); ++i) {
        const auto fields = ReadChainFields(written[i]);
        ASSERT_TRUE(fields) << written[i];
        EXPECT_TRUE(IdHolds(written[i]));
        EXPECT_EQ(fields->prev, i == 0 ? "" : ReadChainFields(written[i - 1])->id);
        EXPECT_EQ(fields->journal, ReadChainFields(written[0])->journal);
    }
    EXPECT_EQ(nlohmann::ordered_json::parse(written[2])["n"], 3);

    RecordFile folderAsFile(folder / "data");
    EXPECT_FALSE(folderAsFile.IsOpen());
    EXPECT_FALSE(folderAsFile.Failure().empty());
    EXPECT_FALSE(folderAsFile.Append("{}"));
    EXPECT_FALSE(reopened.Append("not an object"));
    EXPECT_FALSE(reopened.Append("{\"a\":1}\n{\"b\":2}"));
    EXPECT_EQ(Contents(path), expected);
}

TEST(AsFoundBackupPath, CarriesTheSerialAndTheUtcTimeAndNeverReplacesAFile) {
    const auto folder = Scratch("backup");
    std::tm time{};
    time.tm_year = 126;
    time.tm_mon = 11;
    time.tm_mday = 8;
    time.tm_hour = 9;
    time.tm_min = 5;
    time.tm_sec = 7;
    const auto first = AsFoundBackupPath(folder, "12/4 5", time);
    EXPECT_EQ(first, folder / "12_4_5-20261208T090507Z-as-found.bin");
    std::ofstream(first) << "taken";
    EXPECT_EQ(AsFoundBackupPath(folder, "12/4 5", time),
              folder / "12_4_5-20261208T090507Z-as-found-2.bin");
    EXPECT_EQ(AsFoundBackupPath(folder, "", time).filename(),
              "unknown-20261208T090507Z-as-found.bin");
}

TEST(SaveBackup, ProgramsSavingAtOnceEachTakeANameOfTheirOwn) {
    const auto folder = Scratch("save");
    std::tm time{};
    time.tm_year = 126;
    time.tm_mday = 1;  // a valid date: Windows' strftime writes nothing for day 0
    const std::string stem = AsFoundBackupStem(folder, "42", time);
    constexpr int kThreads = 4, kEach = 15;
    std::vector<std::vector<std::filesystem::path>> saved(kThreads);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < kEach; ++i) {
                std::string failure;
                const std::string bytes(256, static_cast<char>('a' + t));
                saved[t].push_back(SaveBackup(stem, bytes, failure));
                EXPECT_FALSE(saved[t].back().empty()) << failure;
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    std::set<std::filesystem::path> names;
    for (int t = 0; t < kThreads; ++t)
        for (const auto& path : saved[t]) {
            names.insert(path);
            EXPECT_EQ(Contents(path), std::string(256, static_cast<char>('a' + t))) << path;
        }
    EXPECT_EQ(names.size(), std::size_t{kThreads * kEach});
    EXPECT_EQ(names.count(folder / "42-20260101T000000Z-as-found.bin"), 1u);
    EXPECT_EQ(names.count(folder / "42-20260101T000000Z-as-found-60.bin"), 1u);
    EXPECT_EQ(FreeBackupName(stem), folder / "42-20260101T000000Z-as-found-61.bin");

    std::string failure;
    EXPECT_TRUE(SaveBackup((folder / "missing" / "x").string(), "x", failure).empty());
    EXPECT_NE(failure.find("cannot write '"), std::string::npos) << failure;
}

}  // namespace
