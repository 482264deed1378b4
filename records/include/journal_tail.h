// What an append needs of the journal's end, read backwards from it: whether the
// last line lacks its line break, and the last chained line whose id holds (a
// line cut short or changed by hand is passed over).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "journal_chain.h"

struct JournalTail {
    bool torn = false;                // the file does not end with a line break
    std::optional<ChainFields> last;  // none: no chained line yet
};

// read(offset, data, size) fills data with that many bytes of the file from the
// offset, or sets failure and returns false.
using ReadAt = std::function<bool(std::uint64_t, char*, std::size_t, std::string&)>;

bool ReadJournalTail(std::uint64_t size, const ReadAt& read, JournalTail& tail,
                     std::string& failure);
