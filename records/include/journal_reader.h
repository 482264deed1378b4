// The journal read line by line: memory holds one line at a time, however long
// the journal, so that listing, verifying and sending stream it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "journal_chain.h"
#include "line_reader.h"

struct JournalLine {
    std::size_t number = 0;            // from 1
    std::uint64_t offset = 0;          // of its first byte in the file
    std::string_view text;             // without its line break
    bool torn = false;                 // the file's last line, without a line break
    std::optional<ChainFields> chain;  // where the line begins with them
    nlohmann::ordered_json record;     // where damage is empty
    std::string damage;                // why the line holds no record
};

enum class JournalStatus { Read, Missing, Unreadable };

// Calls each for every line that is not blank, in file order, until it returns
// false. Missing: no file of that name (nothing called); Unreadable: failure
// says why (lines before the failure were passed on).
JournalStatus ReadJournal(const std::filesystem::path& path,
                          const std::function<bool(const JournalLine&)>& each,
                          std::string& failure);

// The same for a journal held in memory.
void ReadJournalText(std::string_view text, const std::function<bool(const JournalLine&)>& each);

// Lines read again where an earlier reading found them, by their offset.
class JournalCursor {
  public:
    explicit JournalCursor(const std::filesystem::path& path) : reader_(path) {}
    bool IsOpen() const { return reader_.IsOpen(); }
    // The line that starts at that byte, parsed as ReadJournal parses it (its
    // number left 0); false where the file holds no line there.
    bool LineAt(std::uint64_t offset, JournalLine& line);

  private:
    LineReader reader_;
    LineReader::Line raw_;
};
