// The fields of a journal line that the database keys and sorts by. A chained
// line begins {"id":"<64 hex>","prev":"<64 hex>"|null,"journal":"<32 hex>", ...}.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct ChainedLine {
    std::string id;
    std::optional<std::string> prev;  // nullopt: the first of its journal
    std::string journal;
    std::string bench;  // the record's host
    std::string time;
    std::string serial;
    std::string command;
    std::optional<std::string> lot;  // of a probe of a production lot: "production":{"lot":…}
};

enum class LineKind { Chained, Unchained, Damaged };

struct LineReading {
    LineKind kind = LineKind::Damaged;
    ChainedLine fields;  // for a chained line
    std::string reason;  // for a damaged one
};

// Unchained: a record written before the chain (no "id" first). Damaged: not one
// JSON object, or chain keys that are not as above.
LineReading ReadChainedLine(std::string_view text);
