// The journal's hash chain. A chained line begins
//   {"id":"<64 hex>","prev":"<64 hex>"|null,"journal":"<32 hex>",
// before the record's fields. Its id is the SHA-256 of the line's text without
// the 72 characters "id":"<64 hex>", so that any line can be checked alone; prev
// is the id of the chained line before it in the same file (null for the first),
// and journal names the file's chain.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct ChainFields {
    std::string id;       // 64 lowercase hexadecimal digits
    std::string prev;     // the same; empty where the line has null
    std::string journal;  // 32 lowercase hexadecimal digits
};

// The chain fields where the line begins as a chained line does, else none.
std::optional<ChainFields> ReadChainFields(std::string_view line);

// Whether the line begins with chain fields whose id is the hash of the rest.
bool IdHolds(std::string_view line);

// The record line (one JSON object's text) as the chained line that follows prev
// (empty: the first) in the named journal.
std::string ChainedLine(std::string_view recordLine, const std::string& prev,
                        const std::string& journal);

// A new journal's name: 128 random bits.
std::string NewJournalName();
