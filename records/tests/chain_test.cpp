// The journal's hash chain: the line format, the tail an append reads, appends
// after torn and unchained lines, and the walk that finds the first line
// changed, removed or moved.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <tuple>

#include "chain_check.h"
#include "journal_chain.h"
#include "journal_reader.h"
#include "journal_tail.h"
#include "record_file.h"
#include "sha256.h"

namespace {

std::filesystem::path Scratch(const std::string& name) {
    const auto folder = std::filesystem::path(::testing::TempDir()) / ("chain-" + name);
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

void Put(const std::filesystem::path& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string Record(int n) {
    return "{\"time\":\"2026-12-08T10:00:0" + std::to_string(n % 10) +
           "Z\",\"command\":\"status\",\"exit\":0,\"message\":\"" + std::to_string(n) + "\"}";
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

// Appends the records to a fresh journal and gives its lines.
std::vector<std::string> Journal(const std::filesystem::path& path, int count,
                                 const std::string& before = {}) {
    Put(path, before);
    RecordFile file(path);
    for (int n = 1; n <= count; ++n)
        EXPECT_TRUE(file.Append(Record(n))) << file.Failure();
    return Lines(Contents(path));
}

TEST(ChainLine, TheIdIsTheHashOfTheLineWithoutItsIdField) {
    const std::string journal(32, 'a');
    const std::string prev(64, 'b');
    const std::string line = ChainedLine(Record(1), prev, journal);
    const std::string expectedRest =
        "{\"prev\":\"" + prev + "\",\"journal\":\"" + journal + "\"," + Record(1).substr(1);
    EXPECT_EQ(line, "{\"id\":\"" + Sha256Hex(expectedRest) + "\"," + expectedRest.substr(1));
    EXPECT_EQ(line.substr(1, 72), "\"id\":\"" + Sha256Hex(expectedRest) + "\",");
    const auto fields = ReadChainFields(line);
    ASSERT_TRUE(fields);
    EXPECT_EQ(fields->prev, prev);
    EXPECT_EQ(fields->journal, journal);
    EXPECT_TRUE(IdHolds(line));

    const std::string first = ChainedLine(Record(1), "", journal);
    EXPECT_NE(first.find("\"prev\":null,\"journal\""), std::string::npos);
    EXPECT_EQ(ReadChainFields(first)->prev, "");
    EXPECT_TRUE(IdHolds(first));
    EXPECT_EQ(nlohmann::json::parse(first)["message"], "1");

    const std::string name = NewJournalName();
    EXPECT_EQ(name.size(), 32u);
    EXPECT_EQ(name.find_first_not_of("0123456789abcdef"), std::string::npos);
    EXPECT_NE(name, NewJournalName());
}

TEST(ChainLine, ReadsOnlyTheExactPrefix) {
    const std::string id(64, '1');
    const std::string journal(32, '2');
    const std::string sound =
        "{\"id\":\"" + id + "\",\"prev\":null,\"journal\":\"" + journal + "\"";
    const struct {
        std::string line;
        bool chained;
    } cases[] = {
        {sound + ",\"time\":1}", true},
        {sound + "}", true},
        {sound, false},                    // ends in the prefix
        {sound + " ,\"time\":1}", false},  // a blank after it
        {"{\"id\":\"" + std::string(63, '1') + "\",\"prev\":null}", false},
        {"{\"id\":\"" + std::string(64, 'A') + sound.substr(71), false},  // upper case
        {"{\"id\": \"" + id + sound.substr(71), false},
        {"{\"prev\":null,\"id\":\"" + id + "\"}", false},
        {"{\"id\":\"" + id + "\",\"prev\":\"" + std::string(64, 'f') + "\",\"journal\":\"" +
             journal + "\",\"x\":0}",
         true},
        {"{\"id\":\"" + id + "\",\"prev\":\"" + std::string(12, 'f') + "\",\"journal\":\"" +
             journal + "\",\"x\":0}",
         false},
        {"{\"id\":\"" + id + "\",\"prev\":null,\"journal\":\"" + std::string(31, '2') + "\"}",
         false},
        {"", false},
    };
    for (const auto& test : cases)
        EXPECT_EQ(ReadChainFields(test.line).has_value(), test.chained) << test.line;
    // A prefix that reads is still no chained line unless its id holds.
    EXPECT_FALSE(IdHolds(sound + ",\"time\":1}"));
}

TEST(JournalTail, FindsTheLastChainedLineWhoseIdHolds) {
    const std::string journal(32, 'c');
    const std::string a = ChainedLine(Record(1), "", journal);
    const std::string b = ChainedLine(Record(2), ReadChainFields(a)->id, journal);
    std::string changed = b;
    changed[changed.size() - 3] = 'X';
    const std::string longLine = "{\"x\":\"" + std::string(5u << 20, 'y') + "\"}";
    const struct {
        const char* name;
        std::string text;
        bool torn;
        std::string lastId;  // empty: none
    } cases[] = {
        {"empty", "", false, ""},
        {"unchained", Record(1) + "\n" + Record(2) + "\n", false, ""},
        {"one", a + "\n", false, ReadChainFields(a)->id},
        {"two", a + "\n" + b + "\n", false, ReadChainFields(b)->id},
        {"torn after", a + "\n" + b.substr(0, 100), true, ReadChainFields(a)->id},
        {"whole but torn", a + "\n" + b, true, ReadChainFields(b)->id},
        {"changed last", a + "\n" + changed + "\n", false, ReadChainFields(a)->id},
        {"unchained after", a + "\n" + Record(3) + "\n\n", false, ReadChainFields(a)->id},
        {"long line after", a + "\n" + longLine + "\n" + Record(3), true, ReadChainFields(a)->id},
        {"long line only", longLine, true, ""},
    };
    for (const auto& test : cases) {
        const ReadAt read = [&](std::uint64_t offset, char* data, std::size_t size,
                                std::string& failure) {
            if (offset + size > test.text.size()) {
                failure = "beyond the end";
                return false;
            }
            std::copy_n(test.text.data() + offset, size, data);
            return true;
        };
        JournalTail tail;
        std::string failure;
        ASSERT_TRUE(ReadJournalTail(test.text.size(), read, tail, failure)) << test.name << failure;
        EXPECT_EQ(tail.torn, test.torn) << test.name;
        EXPECT_EQ(tail.last ? tail.last->id : "", test.lastId) << test.name;
    }
}

TEST(RecordFile, NeverAppendsOntoATornLineAndChainsAfterUnchainedOnes) {
    const auto folder = Scratch("torn");
    const auto path = folder / "records.jsonl";
    // Records from before the chain, then one cut short.
    const std::string torn = "{\"time\":\"2026-12-08T11:00:00Z\",\"comm";
    const std::vector<std::string> lines = Journal(path, 2, Record(0) + "\n" + torn);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], Record(0));
    EXPECT_EQ(lines[1], torn);
    const auto first = ReadChainFields(lines[2]);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->prev, "");
    EXPECT_EQ(ReadChainFields(lines[3])->prev, first->id);

    // A chained line cut short after its prefix is passed over too.
    Put(path, Contents(path) + lines[3].substr(0, 150));
    {
        RecordFile file(path);
        ASSERT_TRUE(file.Append(Record(9)));
    }
    const std::vector<std::string> after = Lines(Contents(path));
    ASSERT_EQ(after.size(), 6u);
    EXPECT_EQ(after[4], lines[3].substr(0, 150));
    EXPECT_EQ(ReadChainFields(after[5])->prev, ReadChainFields(lines[3])->id);
    EXPECT_EQ(ReadChainFields(after[5])->journal, first->journal);
}

// The report of a journal given as text.
ChainReport Check(const std::filesystem::path& path, const std::string& text) {
    Put(path, text);
    ChainCheck check;
    std::string failure;
    EXPECT_EQ(ReadJournal(
                  path,
                  [&](const JournalLine& line) {
                      check.Take(line);
                      return true;
                  },
                  failure),
              JournalStatus::Read);
    return check.Report();
}

TEST(ChainCheck, NamesTheFirstLineChangedRemovedOrMoved) {
    const auto folder = Scratch("verify");
    const auto path = folder / "records.jsonl";
    const std::vector<std::string> sound = Journal(path, 5);
    ASSERT_EQ(sound.size(), 5u);
    const std::vector<std::string> other = Journal(folder / "other.jsonl", 2);

    std::vector<std::string> changed = sound;
    changed[2].replace(changed[2].find("\"exit\":0"), 8, "\"exit\":4");
    // Changed, with its id made anew: the next line no longer follows it.
    std::vector<std::string> rehashed = sound;
    rehashed[2] =
        ChainedLine(Record(7), ReadChainFields(sound[1])->id, ReadChainFields(sound[1])->journal);
    std::vector<std::string> removed = sound;
    removed.erase(removed.begin() + 2);
    std::vector<std::string> swapped = sound;
    std::swap(swapped[2], swapped[3]);
    std::vector<std::string> movedLast = sound;
    std::rotate(movedLast.begin() + 1, movedLast.begin() + 2, movedLast.end());
    std::vector<std::string> firstRemoved(sound.begin() + 1, sound.end());
    std::vector<std::string> copied = sound;
    copied.insert(copied.begin() + 3, sound[2]);
    std::vector<std::string> added = sound;
    added.insert(added.begin() + 2, Record(8));
    std::vector<std::string> foreign = sound;
    foreign.insert(foreign.begin() + 4, other[1]);
    std::vector<std::string> restarted = sound;
    restarted.insert(restarted.begin() + 4,
                     ChainedLine(Record(9), "", ReadChainFields(sound[0])->journal));
    // A torn line stands outside the chain; the append after it passed it over.
    std::vector<std::string> torn = {sound[0], sound[1], sound[2].substr(0, 200)};
    std::vector<std::string> legacy = {Record(1), Record(2)};
    legacy.insert(legacy.end(), sound.begin(), sound.end());

    const struct {
        const char* name;
        std::vector<std::string> lines;
        std::size_t brokenLine;  // 0: holds
        std::string problem;     // the start of it
        std::size_t firstLine, chained, unchained;
    } cases[] = {
        {"sound", sound, 0, "", 1, 5, 0},
        {"changed", changed, 3, "changed: its id is not", 1, 2, 0},
        {"rehashed", rehashed, 4, "the line it follows in the chain (id ", 1, 3, 0},
        {"removed", removed, 3, "the line it follows in the chain (id ", 1, 2, 0},
        {"swapped", swapped, 3, "put out of order: the line it follows in the chain is line 4", 1,
         2, 0},
        {"moved to the end", movedLast, 2,
         "put out of order: the line it follows in the chain is line 5", 1, 1, 0},
        {"start removed", firstRemoved, 1, "the line it follows in the chain (id ", 1, 0, 0},
        {"copied", copied, 4, "line 3 once more", 1, 3, 0},
        {"added by hand", added, 3, "a record without an id inside the chain", 1, 2, 0},
        {"from another journal", foreign, 5, "belongs to journal ", 1, 4, 0},
        {"another chain begun", restarted, 5, "starts a chain of its own where line 4", 1, 4, 0},
        {"torn", torn, 0, "", 1, 2, 0},
        {"legacy", legacy, 0, "", 3, 5, 2},
    };
    for (const auto& test : cases) {
        std::string text = Joined(test.lines);
        if (std::string(test.name) == "torn")
            text.pop_back();
        const ChainReport report = Check(path, text);
        EXPECT_EQ(report.brokenLine, test.brokenLine) << test.name << ": " << report.problem;
        EXPECT_EQ(report.problem.rfind(test.problem, 0), 0u) << test.name << ": " << report.problem;
        EXPECT_EQ(report.firstLine, test.firstLine) << test.name;
        EXPECT_EQ(report.chained, test.chained) << test.name;
        EXPECT_EQ(report.unchained, test.unchained) << test.name;
    }
    // Where nothing is found further on, the line was removed or changed.
    EXPECT_NE(Check(path, Joined(removed)).problem.find("a line after line 2 was removed"),
              std::string::npos);
    EXPECT_NE(Check(path, Joined(firstRemoved)).problem.find("the start of the chain was removed"),
              std::string::npos);
}

TEST(ReadJournal, StreamsLinesWithTheirNumbersOffsetsAndDamage) {
    const auto folder = Scratch("read");
    const auto path = folder / "records.jsonl";
    const std::string longLine(LineReader::kLongestLine + 10, 'x');
    const std::string text =
        Record(1) + "\n\n" + longLine + "\n[1]\n" + Record(2) + "\n" + Record(3).substr(0, 20);
    Put(path, text);
    struct Seen {
        std::size_t number;
        std::uint64_t offset;
        bool torn;
        std::string damage;
    };
    std::vector<Seen> seen;
    std::string failure;
    ASSERT_EQ(ReadJournal(
                  path,
                  [&](const JournalLine& line) {
                      seen.push_back({line.number, line.offset, line.torn, line.damage});
                      return true;
                  },
                  failure),
              JournalStatus::Read);
    const std::uint64_t second = Record(1).size() + 2;
    const std::uint64_t fourth = second + longLine.size() + 1;
    const std::vector<std::tuple<std::size_t, std::uint64_t, bool, std::string>> expected = {
        {1, 0, false, ""},
        {3, second, false, "longer than 4 MiB"},
        {4, fourth, false, "not a JSON object"},
        {5, fourth + 4, false, ""},
        {6, fourth + 5 + Record(2).size(), true, "not JSON (torn: no line break at its end)"},
    };
    ASSERT_EQ(seen.size(), expected.size());
    for (std::size_t i = 0; i < seen.size(); ++i)
        EXPECT_EQ(std::make_tuple(seen[i].number, seen[i].offset, seen[i].torn, seen[i].damage),
                  expected[i])
            << i;

    // Read again by offset, out of file order.
    JournalCursor cursor(path);
    JournalLine line;
    ASSERT_TRUE(cursor.LineAt(fourth + 4, line));
    EXPECT_EQ(line.record["message"], "2");
    ASSERT_TRUE(cursor.LineAt(0, line));
    EXPECT_EQ(line.record["message"], "1");
    EXPECT_FALSE(cursor.LineAt(text.size(), line));

    // Stopping early, and files that are not there or not files.
    int calls = 0;
    ReadJournal(
        path, [&](const JournalLine&) { return ++calls < 2; }, failure);
    EXPECT_EQ(calls, 2);
    EXPECT_EQ(ReadJournal(
                  folder / "none.jsonl", [](const JournalLine&) { return true; }, failure),
              JournalStatus::Missing);
    EXPECT_EQ(ReadJournal(
                  folder, [](const JournalLine&) { return true; }, failure),
              JournalStatus::Unreadable);
    EXPECT_FALSE(failure.empty());
}

}  // namespace
