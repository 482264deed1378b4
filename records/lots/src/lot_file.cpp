#include "lot_file.h"

#include <nlohmann/json.hpp>
#include <vector>

namespace {

using Json = nlohmann::json;

// A line that does not hold what its kind must: why, in words.
struct Damage {
    std::string why;
};

const std::string* TextField(const Json& line, const char* key) {
    const auto field = line.find(key);
    return field != line.end() && field->is_string() ? field->get_ptr<const std::string*>()
                                                     : nullptr;
}

std::string RequireText(const Json& line, const char* key) {
    const std::string* text = TextField(line, key);
    if (text == nullptr)
        throw Damage{std::string("it has no text \"") + key + "\""};
    return *text;
}

LotDefinition ReadDefinition(const Json& line) {
    LotDefinition lot;
    lot.name = RequireText(line, "lot");
    lot.templateSha256 = RequireText(line, "template_sha256");
    lot.created = RequireText(line, "created");
    try {
        lot.serials = ParseSerialRange(RequireText(line, "serials"));
        RequireLotDefinition(lot);
    } catch (const LotError& error) {
        throw Damage{error.what()};
    }
    return lot;
}

std::optional<SerialState> StateNamed(const std::string& name) {
    for (const SerialState state :
         {SerialState::Taken, SerialState::Programmed, SerialState::Spoiled})
        if (name == StateName(state))
            return state;
    return std::nullopt;
}

void ApplyChange(const Json& line, LotFileState& state) {
    const LotDefinition& lot = *state.lot;
    const auto serialField = line.find("serial");
    if (serialField == line.end() || !serialField->is_number_integer())
        throw Damage{"it names no serial"};
    const long long serial = serialField->get<long long>();
    if (serial < lot.serials.first || serial > lot.serials.last)
        throw Damage{"the serial " + std::to_string(serial) + " is not one of the lot's " +
                     SerialRangeText(lot.serials)};
    const std::optional<SerialState> changed = StateNamed(RequireText(line, "state"));
    if (!changed)
        throw Damage{"its state is none of taken, programmed, spoiled"};
    const std::string time = RequireText(line, "time");
    const auto held = state.used.find(static_cast<long>(serial));
    if (*changed == SerialState::Taken) {
        if (held != state.used.end())
            throw Damage{"the serial " + std::to_string(serial) + " was taken before"};
        SerialUse use;
        use.serial = static_cast<long>(serial);
        use.bench = RequireText(line, "bench");
        use.target = RequireText(line, "target");
        use.time = time;
        state.used.emplace(use.serial, use);
        while (state.lowestFree <= lot.serials.last && state.used.count(state.lowestFree) != 0)
            ++state.lowestFree;
        return;
    }
    if (held == state.used.end() || held->second.state != SerialState::Taken)
        throw Damage{"a result for the serial " + std::to_string(serial) +
                     (held == state.used.end() ? ", never taken" : ", given before")};
    if (*changed == SerialState::Spoiled)
        held->second.reason = RequireText(line, "reason");
    held->second.state = *changed;
    held->second.time = time;
}

// One whole line that reads as JSON into the state.
void ApplyLine(const Json& line, LotFileState& state) {
    if (!state.lot) {
        if (line.contains("serial"))
            throw Damage{"a serial changes before the lot is defined"};
        state.lot = ReadDefinition(line);
        state.lowestFree = state.lot->serials.first;
        return;
    }
    if (line.contains("lot"))
        throw Damage{"a second definition of the lot"};
    ApplyChange(line, state);
}

bool AfterTorn(const Json& line) {
    const auto field = line.find("after_torn");
    return field != line.end() && field->is_boolean() && field->get<bool>();
}

[[noreturn]] void Refuse(const std::string& where, std::uint64_t lineNumber,
                         const std::string& why) {
    std::string message = where;
    message += " line ";
    message += std::to_string(lineNumber);
    message += " is damaged (";
    message += why;
    message += "); no serial is handed out from a ledger that cannot be read";
    throw LedgerFailure(message);
}

}  // namespace

std::size_t ReadLotLines(std::string_view text, LotFileState& state, const std::string& where) {
    // Lines that did not read, forgiven only when the next line that reads says
    // it was appended after a torn one: each was once a torn last line.
    struct Pending {
        std::size_t offset;
        std::uint64_t lines;
        std::string why;
    };
    std::optional<Pending> pending;
    std::size_t offset = 0;
    while (true) {
        const std::size_t end = text.find('\n', offset);
        if (end == text.npos)
            break;
        const std::string_view whole = text.substr(offset, end - offset);
        const std::uint64_t number = state.lines + 1;
        const Json line = Json::parse(whole.begin(), whole.end(), nullptr, false);
        try {
            if (!line.is_object())
                throw Damage{"it is not one JSON object"};
            if (pending && !AfterTorn(line))
                Refuse(where, pending->lines + 1, pending->why);
            ApplyLine(line, state);
            pending.reset();
        } catch (const Damage& damage) {
            if (!line.is_object() && !pending)
                pending = Pending{offset, state.lines, damage.why};
            else if (line.is_object())
                Refuse(where, number, damage.why);
        }
        state.lines = number;
        offset = end + 1;
    }
    if (pending) {
        // Damage that ends the file can only be the start of an append cut
        // short when a torn line follows it.
        if (offset == text.size())
            Refuse(where, pending->lines + 1, pending->why);
        state.lines = pending->lines;
        return pending->offset;
    }
    return offset;
}

std::string LotDefinitionLine(const LotDefinition& lot, bool afterTorn) {
    nlohmann::ordered_json line = {{"lot", lot.name},
                                   {"serials", SerialRangeText(lot.serials)},
                                   {"template_sha256", lot.templateSha256},
                                   {"created", lot.created}};
    if (afterTorn)
        line["after_torn"] = true;
    return line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string SerialChangeLine(const SerialUse& change, bool afterTorn) {
    nlohmann::ordered_json line = {{"serial", change.serial}, {"state", StateName(change.state)}};
    if (change.state == SerialState::Taken) {
        line["bench"] = change.bench;
        line["target"] = change.target;
    }
    if (change.state == SerialState::Spoiled)
        line["reason"] = change.reason;
    line["time"] = change.time;
    if (afterTorn)
        line["after_torn"] = true;
    return line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

bool LotUsedUp(const LotFileState& state) {
    return !state.lot || state.lowestFree > state.lot->serials.last;
}
