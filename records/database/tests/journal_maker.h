// Chained journal lines for the tests, made as a bench makes them: each line's id
// is the SHA-256 of its text without the id, and its prev the id before it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

class JournalMaker {
  public:
    JournalMaker();  // a fresh random journal name

    // The next line of the chain with these record fields (an object).
    std::string Line(const nlohmann::ordered_json& fields);
    // A status record of a probe, its n-th line.
    std::string StatusLine(int n, const std::string& host = "bench-a",
                           const std::string& serial = "1234567");

    const std::string& journal() const { return journal_; }

  private:
    std::string journal_;
    std::string last_;  // empty: none yet
};

// The line's text with its id made again from the rest, as one who edits a
// line and covers it up would.
std::string Rehashed(const std::string& line);
// The id a line carries.
std::string IdOf(const std::string& line);

void WriteLines(const std::filesystem::path& path, const std::vector<std::string>& lines);
std::string FileText(const std::filesystem::path& path);
