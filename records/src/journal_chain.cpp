#include "journal_chain.h"

#include <random>

#include "sha256.h"

namespace {

constexpr std::string_view kIdStart = "{\"id\":\"";
constexpr std::string_view kPrevStart = "\",\"prev\":";
constexpr std::string_view kJournalStart = ",\"journal\":\"";
constexpr std::size_t kIdDigits = 64;
constexpr std::size_t kJournalDigits = 32;
// "id":"<64 hex>", which the id's hash leaves out.
constexpr std::size_t kIdFieldLength = 6 + kIdDigits + 2;

bool IsLowerHex(std::string_view text) {
    for (char c : text)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')))
            return false;
    return true;
}

// Takes the literal from the front of the text.
bool Take(std::string_view& text, std::string_view literal) {
    if (text.substr(0, literal.size()) != literal)
        return false;
    text.remove_prefix(literal.size());
    return true;
}

// Takes that many lowercase hexadecimal digits from the front of the text.
bool TakeHex(std::string_view& text, std::size_t digits, std::string& into) {
    if (text.size() < digits || !IsLowerHex(text.substr(0, digits)))
        return false;
    into.assign(text.substr(0, digits));
    text.remove_prefix(digits);
    return true;
}

}  // namespace

std::optional<ChainFields> ReadChainFields(std::string_view line) {
    ChainFields fields;
    if (!Take(line, kIdStart) || !TakeHex(line, kIdDigits, fields.id) || !Take(line, kPrevStart))
        return std::nullopt;
    if (!Take(line, "null") &&
        !(Take(line, "\"") && TakeHex(line, kIdDigits, fields.prev) && Take(line, "\"")))
        return std::nullopt;
    if (!Take(line, kJournalStart) || !TakeHex(line, kJournalDigits, fields.journal) ||
        !Take(line, "\""))
        return std::nullopt;
    // The record's fields follow, or the object ends.
    if (line.empty() || (line.front() != ',' && line.front() != '}'))
        return std::nullopt;
    return fields;
}

bool IdHolds(std::string_view line) {
    const std::optional<ChainFields> fields = ReadChainFields(line);
    if (!fields)
        return false;
    std::string hashed = "{";
    hashed += line.substr(1 + kIdFieldLength);
    return Sha256Hex(hashed) == fields->id;
}

std::string ChainedLine(std::string_view recordLine, const std::string& prev,
                        const std::string& journal) {
    // What follows the record's opening brace: its fields, or "}" alone.
    const std::string_view rest = recordLine.substr(recordLine.empty() ? 0 : 1);
    std::string hashed = "{\"prev\":";
    hashed += prev.empty() ? std::string("null") : "\"" + prev + "\"";
    hashed += ",\"journal\":\"" + journal + "\"";
    if (rest != "}")
        hashed += ',';
    hashed += rest;
    return "{\"id\":\"" + Sha256Hex(hashed) + "\"," + hashed.substr(1);
}

std::string NewJournalName() {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::random_device source;
    std::string name;
    for (int word = 0; word < 4; ++word) {
        const std::uint32_t bits = source();
        for (int shift = 28; shift >= 0; shift -= 4)
            name += kDigits[(bits >> shift) & 15];
    }
    return name;
}
