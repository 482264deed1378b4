// The journal as the tool keeps it: chained appends, an append after a torn
// line, records verify on changed, removed and moved lines and on a journal
// begun before the chain, listing that streams the same bytes, and a bench
// without a journal yet.
#include <algorithm>
#include <fstream>
#include <sstream>

#include "tool_fixture.h"

namespace {

class JournalTest : public ToolTest {
  protected:
    void SetUp() override {
        ToolTest::SetUp();
        NewLinearType6("a.bin");
        SetEeprom(ReadBytes("a.bin"));
    }
    std::string Journal() const {
        std::ifstream file(RecordPath(), std::ios::binary);
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
    void SetJournal(const std::string& text) const {
        std::filesystem::create_directories(std::filesystem::path(RecordPath()).parent_path());
        std::ofstream(RecordPath(), std::ios::binary | std::ios::trunc) << text;
    }
    // The journal's path as the program prints it, in the platform's separators.
    std::string ShownRecordPath() const {
        return std::filesystem::path(RecordPath()).make_preferred().string();
    }
    std::vector<std::string> Lines() const {
        std::vector<std::string> lines;
        std::istringstream in(Journal());
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }
    static std::string Joined(const std::vector<std::string>& lines) {
        std::string text;
        for (const std::string& line : lines)
            text += line + "\n";
        return text;
    }
    void Polls(int count) {
        for (int i = 0; i < count; ++i)
            ASSERT_EQ(RunSimulated({"status"}).code, 0);
    }
};

TEST_F(JournalTest, EachRecordFollowsTheOneBeforeIt) {
    Polls(3);
    const auto records = Records();
    ASSERT_EQ(records.size(), 3u);
    EXPECT_TRUE(records[0]["prev"].is_null());
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i]["id"].get<std::string>().size(), 64u);
        EXPECT_EQ(records[i]["journal"], records[0]["journal"]);
        if (i > 0) {
            EXPECT_EQ(records[i]["prev"], records[i - 1]["id"]);
        }
    }
    EXPECT_EQ(Lines()[1].rfind("{\"id\":\"", 0), 0u);  // the chain fields come first

    const ToolRun verify = Run({"records", "verify"});
    EXPECT_EQ(verify.code, 0) << verify.err;
    EXPECT_NE(verify.out.find("the chain holds: 3 lines from line 1 to line 3, journal " +
                              records[0]["journal"].get<std::string>()),
              std::string::npos)
        << verify.out;
    EXPECT_EQ(Run({"records", "verify", RecordPath()}).code, 0);
}

TEST_F(JournalTest, VerifyNamesTheLineChangedRemovedOrMoved) {
    Polls(4);
    const std::vector<std::string> sound = Lines();
    ASSERT_EQ(sound.size(), 4u);
    std::vector<std::string> changed = sound;
    changed[1].replace(changed[1].find("\"exit\":0"), 8, "\"exit\":1");
    std::vector<std::string> removed = sound;
    removed.erase(removed.begin() + 1);
    std::vector<std::string> moved = sound;
    std::swap(moved[1], moved[2]);
    const struct {
        const char* name;
        std::vector<std::string> lines;
        std::string says;
    } cases[] = {
        {"changed", changed, "line 2: changed: its id is not the SHA-256 of its text"},
        {"removed", removed, "line 2: the line it follows in the chain (id "},
        {"moved", moved, "line 2: put out of order: the line it follows in the chain is line 3"},
    };
    for (const auto& test : cases) {
        SetJournal(Joined(test.lines));
        const ToolRun verify = Run({"records", "verify"});
        EXPECT_EQ(verify.code, 6) << test.name;
        EXPECT_NE(verify.err.find(ShownRecordPath() + " " + test.says), std::string::npos)
            << test.name << ": " << verify.err;
        // Listing still shows what the lines hold.
        EXPECT_EQ(Run({"records"}).code, 0);
    }
    SetJournal(Joined(sound));
    EXPECT_EQ(Run({"records", "verify"}).code, 0);
}

TEST_F(JournalTest, AnAppendAfterATornLineLosesNoRecord) {
    Polls(1);
    SetJournal(Journal() + "{\"time\":\"2026-12-08T10:00:00Z\",\"command\":\"wri");
    Polls(1);
    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], "{\"time\":\"2026-12-08T10:00:00Z\",\"command\":\"wri");

    const ToolRun table = Run({"records"});
    ASSERT_EQ(table.code, 0);
    EXPECT_NE(table.err.find("line 2: not JSON; skipped"), std::string::npos) << table.err;
    EXPECT_EQ(std::count(table.out.begin(), table.out.end(), '\n'), 3) << table.out;
    const ToolRun verify = Run({"records", "verify"});
    EXPECT_EQ(verify.code, 0) << verify.err;
    EXPECT_NE(verify.err.find("line 2: not JSON; outside the chain"), std::string::npos);
    EXPECT_NE(verify.out.find("the chain holds: 2 lines from line 1 to line 3"), std::string::npos)
        << verify.out;

    // A torn last line is named so.
    SetJournal(Journal() + "{\"ti");
    const ToolRun torn = Run({"records"});
    EXPECT_NE(torn.err.find("line 4: not JSON (torn: no line break at its end); skipped"),
              std::string::npos)
        << torn.err;
}

TEST_F(JournalTest, VerifySaysWhereTheChainStartsAfterOlderLines) {
    const std::string older =
        "{\"time\":\"2026-01-01T00:00:00Z\",\"command\":\"status\",\"serial\":\"1234567\","
        "\"exit\":0,\"message\":\"old\"}\n";
    SetJournal(older + older);
    const ToolRun unchained = Run({"records", "verify"});
    EXPECT_EQ(unchained.code, 0);
    EXPECT_NE(unchained.out.find("no chained lines: 2 records without an id"), std::string::npos)
        << unchained.out;

    Polls(2);
    EXPECT_TRUE(Records()[2]["prev"].is_null());
    const ToolRun verify = Run({"records", "verify"});
    EXPECT_EQ(verify.code, 0) << verify.err;
    EXPECT_NE(verify.out.find("the chain starts at line 3; before it 2 records without an id"),
              std::string::npos)
        << verify.out;
    EXPECT_NE(verify.out.find("the chain holds: 2 lines from line 3 to line 4"), std::string::npos);

    // The older records still list, first.
    const ToolRun table = Run({"records", "--serial", "1234567"});
    EXPECT_EQ(std::count(table.out.begin(), table.out.end(), '\n'), 5) << table.out;
    EXPECT_NE(table.out.find("old"), std::string::npos);
}

TEST_F(JournalTest, JsonListingIsTheWholeListAsOneDumpWouldGiveIt) {
    Polls(2);
    // A record older than the others, appended last: it lists first.
    SetJournal(Journal() +
               "{\"time\":\"2020-01-01T00:00:00Z\",\"command\":\"read\",\"arguments\":[],"
               "\"asFound\":{},\"exit\":2,\"message\":\"\\u00e9\"}\n");
    Polls(1);
    nlohmann::ordered_json whole = nlohmann::ordered_json::array();
    for (const std::string& line : Lines())
        whole.push_back(nlohmann::ordered_json::parse(line));
    std::stable_sort(whole.begin(), whole.end(), [](const auto& a, const auto& b) {
        return a["time"].template get<std::string>() < b["time"].template get<std::string>();
    });
    const ToolRun json = Run({"records", "--json"});
    ASSERT_EQ(json.code, 0) << json.err;
    EXPECT_EQ(json.out, whole.dump(2, ' ', false) + "\n");
    EXPECT_EQ(Run({"records", "--json", "--serial", "999"}).out, "[]\n");
}

TEST_F(JournalTest, ABenchWithoutAJournalHasNoRecordsYet) {
    const ToolRun table = Run({"records"});
    EXPECT_EQ(table.code, 0);
    EXPECT_EQ(table.out, "no records yet: " + ShownRecordPath() + " does not exist\n");
    const ToolRun json = Run({"records", "--json"});
    EXPECT_EQ(json.code, 0);
    EXPECT_EQ(json.out, "[]\n");
    EXPECT_NE(json.err.find("no records yet"), std::string::npos);
    const ToolRun verify = Run({"records", "verify"});
    EXPECT_EQ(verify.code, 0);
    EXPECT_EQ(verify.out, "no records yet: " + ShownRecordPath() + " does not exist\n");
    // A journal that is a folder cannot be read.
    std::filesystem::create_directories(Path("folder"));
    const ToolRun folder = Run({"records", "--record", Path("folder")});
    EXPECT_EQ(folder.code, 2);
    EXPECT_NE(folder.err.find("cannot read the record file"), std::string::npos) << folder.err;
}

}  // namespace
