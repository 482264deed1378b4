// The parts of the database layer that need no server: passwords out of
// connection strings, text to and from ODBC, journal lines, the script splitter.
#include <gtest/gtest.h>

#include "chained_line.h"
#include "connection_text.h"
#include "journal_maker.h"
#include "odbc_text.h"
#include "schema.h"

namespace {

TEST(WithoutPasswords, TakesOutEveryPasswordAndKeepsTheRest) {
    const struct {
        const char* given;
        const char* shown;
    } cases[] = {
        {"DSN=lab;UID=bench;PWD=secret", "DSN=lab;UID=bench"},
        {"PWD=secret;DSN=lab", "DSN=lab"},
        {"DSN=lab;pwd=secret;UID=bench", "DSN=lab;UID=bench"},
        {"DSN=lab;Password=secret", "DSN=lab"},
        {"DSN=lab;PASSWORD = secret ;UID=x", "DSN=lab;UID=x"},
        {"DSN=lab;PWD={se;cret}};x};UID=bench", "DSN=lab;UID=bench"},
        {"DSN=lab;PWD={unclosed;UID=bench", "DSN=lab"},
        {"lab", "lab"},
        {"DSN=lab;OldPwd=x", "DSN=lab;OldPwd=x"},  // another key that ends alike
        {"password authentication failed for user \"bench\"",
         "password authentication failed for user \"bench\""},
        {"cannot connect: DSN=lab;PWD=secret: refused", "cannot connect: DSN=lab"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WithoutPasswords(c.given), c.shown) << c.given;
        EXPECT_EQ(std::string(WithoutPasswords(c.given)).find("secret"), std::string::npos)
            << c.given;
    }
}

TEST(ConnectionString, MakesABareNameADataSource) {
    EXPECT_EQ(ConnectionString("lab"), "DSN=lab");
    EXPECT_EQ(ConnectionString("DSN=lab;UID=x"), "DSN=lab;UID=x");
    EXPECT_EQ(ConnectionString("Driver={PostgreSQL Unicode};Server=h"),
              "Driver={PostgreSQL Unicode};Server=h");
}

TEST(OdbcText, CarriesEveryCodePointBothWays) {
    for (const std::string text : {"", "plain", "Müller", "温度", "probe \xF0\x9F\x94\xA7 1"}) {
        const OdbcText wide = ToOdbcText(text);
        EXPECT_EQ(FromOdbcText(wide.data(), wide.size()), text);
    }
    EXPECT_EQ(ToOdbcText("\xF0\x9F\x94\xA7").size(), 2u);  // a surrogate pair
}

TEST(OdbcText, ReplacesWhatIsNotUtf8) {
    const struct {
        const char* given;
        const char* back;
    } cases[] = {
        {"a\xFF"
         "b",
         "a\xEF\xBF\xBD"
         "b"},
        {"\xC3", "\xEF\xBF\xBD"},          // cut short
        {"\xC0\xAF", "\xEF\xBF\xBD"},      // overlong
        {"\xED\xA0\x80", "\xEF\xBF\xBD"},  // a surrogate written as UTF-8
    };
    for (const auto& c : cases) {
        const OdbcText wide = ToOdbcText(c.given);
        EXPECT_EQ(FromOdbcText(wide.data(), wide.size()), c.back) << c.given;
    }
    const SQLWCHAR lone[] = {0xD800, 'x'};
    EXPECT_EQ(FromOdbcText(lone, 2), "\xEF\xBF\xBDx");
}

TEST(ReadChainedLine, TakesTheChainKeysAndTheFieldsTheDatabaseSortsBy) {
    JournalMaker maker;
    const std::string first = maker.StatusLine(1, "bench-a", "42");
    const std::string second = maker.StatusLine(2);
    const LineReading one = ReadChainedLine(first);
    ASSERT_EQ(one.kind, LineKind::Chained) << one.reason;
    EXPECT_EQ(one.fields.id, IdOf(first));
    EXPECT_FALSE(one.fields.prev);
    EXPECT_EQ(one.fields.journal, maker.journal());
    EXPECT_EQ(one.fields.bench, "bench-a");
    EXPECT_EQ(one.fields.serial, "42");
    EXPECT_EQ(one.fields.command, "status");
    EXPECT_EQ(one.fields.time, "2026-05-01T00:00:01Z");
    const LineReading two = ReadChainedLine(second);
    ASSERT_EQ(two.kind, LineKind::Chained);
    EXPECT_EQ(two.fields.prev, IdOf(first));
}

TEST(ReadChainedLine, TellsOldLinesFromDamagedOnes) {
    const std::string hex64(64, 'a');
    const std::string hex32(32, 'b');
    const struct {
        std::string line;
        LineKind kind;
    } cases[] = {
        {R"({"time":"2026-01-01T00:00:00Z","command":"read","exit":0})", LineKind::Unchained},
        {R"({"time":"2026-01-01T00:00:00Z","comm)", LineKind::Damaged},
        {"[1,2]", LineKind::Damaged},
        {R"({"id":")" + hex64 + R"(","prev":null,"journal":")" + hex32 + R"("})",
         LineKind::Chained},
        {R"({"id":")" + hex64.substr(1) + R"(","prev":null,"journal":")" + hex32 + R"("})",
         LineKind::Damaged},
        {R"({"id":")" + std::string(64, 'A') + R"(","prev":null,"journal":")" + hex32 + R"("})",
         LineKind::Damaged},
        {R"({"id":")" + hex64 + R"(","prev":"x","journal":")" + hex32 + R"("})", LineKind::Damaged},
        {R"({"id":")" + hex64 + R"(","journal":")" + hex32 + R"("})", LineKind::Damaged},
        {R"({"id":")" + hex64 + R"(","prev":null,"journal":7})", LineKind::Damaged},
        {R"({"id":")" + hex64 + R"(","prev":null,"journal":")" + hex32 + R"(",)",
         LineKind::Damaged},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadChainedLine(c.line).kind, c.kind) << c.line;
}

TEST(ScriptStatements, KeepsFunctionBodiesWholeAndDropsComments) {
    const std::vector<std::string> statements = ScriptStatements(
        "-- a comment\n"
        "CREATE TABLE t (a INT);\n"
        "\n"
        "CREATE FUNCTION f() RETURNS trigger LANGUAGE plpgsql AS $$\n"
        "BEGIN\n"
        "    RAISE EXCEPTION 'no; never';\n"
        "    RETURN NULL;\n"
        "END\n"
        "$$;\n"
        "GRANT SELECT ON t TO r;  -- benches read\n");
    ASSERT_EQ(statements.size(), 3u);
    EXPECT_EQ(statements[0], "CREATE TABLE t (a INT)");
    EXPECT_NE(statements[1].find("RETURN NULL;"), std::string::npos);
    EXPECT_EQ(statements[1].substr(statements[1].size() - 2), "$$");
    EXPECT_EQ(statements[2], "GRANT SELECT ON t TO r");
}

TEST(ScriptStatements, SplitsThePostgresqlRulesIntoWholeStatements) {
    const std::vector<std::string> statements = ScriptStatements(kPostgresqlRules);
    ASSERT_GE(statements.size(), 10u);
    for (const std::string& statement : statements) {
        EXPECT_EQ(statement.find("--"), std::string::npos) << statement;
        std::size_t quotes = 0;
        for (std::size_t at = statement.find("$$"); at != std::string::npos;
             at = statement.find("$$", at + 2))
            ++quotes;
        EXPECT_EQ(quotes % 2, 0u) << statement;
    }
}

}  // namespace
