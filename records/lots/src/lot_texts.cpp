#include <charconv>
#include <cstdio>

#include "lot_ledger.h"

namespace {

// A serial of one to seven digits, nothing else.
std::optional<long> ReadSerial(std::string_view text) {
    long value = 0;
    if (text.empty() || text.size() > 7 || text.find_first_not_of("0123456789") != text.npos)
        return std::nullopt;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

}  // namespace

SerialRange ParseSerialRange(std::string_view text) {
    const std::size_t dash = text.find('-');
    const auto first = ReadSerial(text.substr(0, dash));
    const auto last = dash == text.npos ? std::optional<long>() : ReadSerial(text.substr(dash + 1));
    if (!first || !last)
        throw LotError("a serial range is FIRST-LAST, two serials of at most seven digits (" +
                       std::to_string(kLowestSerial) + " to " + std::to_string(kHighestSerial) +
                       "), not '" + std::string(text) + "'");
    if (*first > *last)
        throw LotError("the serial range " + std::string(text) + " runs backwards");
    return {*first, *last};
}

std::string SerialRangeText(const SerialRange& range) {
    return std::to_string(range.first) + "-" + std::to_string(range.last);
}

void RequireLotName(std::string_view name) {
    const bool fits = !name.empty() && name.size() <= 64 &&
                      name.find_first_not_of(
                          "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                          "0123456789._-") == name.npos &&
                      name.front() != '.' && name.front() != '-';
    if (!fits)
        throw LotError(
            "a lot's name is 1 to 64 letters, digits, '.', '_' or '-', starting "
            "with a letter, a digit or '_', not '" +
            std::string(name) + "'");
}

std::string SerialText(long serial) {
    char text[16];
    std::snprintf(text, sizeof text, "%07ld", serial);
    return text;
}

const char* StateName(SerialState state) {
    switch (state) {
        case SerialState::Free:
            return "free";
        case SerialState::Taken:
            return "taken";
        case SerialState::Programmed:
            return "programmed";
        case SerialState::Spoiled:
            return "spoiled";
    }
    return "free";
}
