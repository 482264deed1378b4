// Arbitrary bytes as a lot's file: reading it either refuses it with LotError
// or gives a state a ledger can hand out from (every serial used is of the lot,
// the lowest free one is free), read whole or as two appends alike; and the line
// a ledger appends next (after the line break a torn line lacks) reads back.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "lot_file.h"

namespace {

#define LOTS_CHECK(condition) \
    do {                      \
        if (!(condition))     \
            std::abort();     \
    } while (false)

void CheckState(const LotFileState& state) {
    if (!state.lot) {
        LOTS_CHECK(state.used.empty());
        return;
    }
    const SerialRange& range = state.lot->serials;
    for (const auto& [serial, use] : state.used)
        LOTS_CHECK(range.Holds(serial) && use.serial == serial);
    LOTS_CHECK(state.lowestFree >= range.first && state.lowestFree <= range.last + 1);
    LOTS_CHECK(state.used.count(state.lowestFree) == 0);
    if (state.lowestFree > range.first)
        LOTS_CHECK(state.used.count(state.lowestFree - 1) == 1);
}

bool Same(const LotFileState& a, const LotFileState& b) {
    if (a.lot.has_value() != b.lot.has_value() || a.used.size() != b.used.size() ||
        a.lowestFree != b.lowestFree)
        return false;
    for (const auto& [serial, use] : a.used) {
        const auto other = b.used.find(serial);
        if (other == b.used.end() || other->second.state != use.state)
            return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    LotFileState whole;
    std::size_t read = 0;
    try {
        read = ReadLotLines(text, whole, "lot");
    } catch (const LotError&) {
        return 0;
    }
    LOTS_CHECK(read <= text.size() && (read == 0 || text[read - 1] == '\n'));
    CheckState(whole);

    // The same lines as two appends, split after the first line.
    const std::size_t split = text.find('\n');
    if (split != std::string::npos && split + 1 <= read) {
        LotFileState pieces;
        std::size_t first = 0;
        try {
            first = ReadLotLines(std::string_view(text).substr(0, split + 1), pieces, "lot");
        } catch (const LotError&) {
            // Alone, only a line that does not read is refused: one cut short,
            // forgiven by the line after it.
            LOTS_CHECK(!nlohmann::json::parse(text.substr(0, split), nullptr, false).is_object());
            return 0;
        }
        const std::size_t rest = ReadLotLines(std::string_view(text).substr(first), pieces, "lot");
        LOTS_CHECK(first + rest == read && Same(whole, pieces));
    }

    if (!whole.lot || LotUsedUp(whole))
        return 0;
    const bool torn = read < text.size();
    // A line the writer cut short is never a whole JSON object: a tail that is
    // one was not left by an append, and the next append cannot mend it.
    if (torn &&
        nlohmann::json::parse(text.substr(text.rfind('\n') + 1), nullptr, false).is_object())
        return 0;
    SerialUse use;
    use.serial = whole.lowestFree;
    use.bench = "bench";
    use.target = "bus 1";
    use.time = "2099-12-31T23:59:59Z";
    const std::string appended = text + (torn ? "\n" : "") + SerialChangeLine(use, torn) + "\n";
    LotFileState after;
    LOTS_CHECK(ReadLotLines(appended, after, "lot") == appended.size());
    LOTS_CHECK(after.used.size() == whole.used.size() + 1 && after.used.count(use.serial) == 1);
    CheckState(after);
    return 0;
}
