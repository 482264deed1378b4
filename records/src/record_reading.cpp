#include "record_reading.h"

#include <algorithm>

namespace {

// "YYYY-MM-DD" with digits where the pattern has them.
bool Matches(std::string_view text, std::string_view pattern) {
    if (text.size() != pattern.size())
        return false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool digit = text[i] >= '0' && text[i] <= '9';
        if (pattern[i] == '9' ? !digit : text[i] != pattern[i])
            return false;
    }
    return true;
}

constexpr std::string_view kTimePattern = "9999-99-99T99:99:99Z";
constexpr std::string_view kDatePattern = "9999-99-99";

// Empty when the line is a record, else why not.
std::string Damage(const nlohmann::ordered_json& value) {
    if (value.is_discarded())
        return "not JSON";
    if (!value.is_object())
        return "not a JSON object";
    const auto time = value.find("time");
    if (time == value.end() || !time->is_string() ||
        !Matches(time->get_ref<const std::string&>(), kTimePattern))
        return "no UTC time";
    const auto command = value.find("command");
    if (command == value.end() || !command->is_string())
        return "no command";
    const auto exit = value.find("exit");
    if (exit == value.end() || !exit->is_number_integer())
        return "no exit status";
    return {};
}

std::string TextField(const nlohmann::ordered_json& record, const char* name) {
    const auto field = record.find(name);
    return field != record.end() && field->is_string() ? field->get<std::string>() : std::string();
}

// Serials compare as numbers where both are digits: "0042" is "42".
std::string Unpadded(const std::string& serial) {
    if (serial.empty() || serial.find_first_not_of("0123456789") != std::string::npos)
        return serial;
    const std::size_t first = serial.find_first_not_of('0');
    return first == std::string::npos ? "0" : serial.substr(first);
}

}  // namespace

bool IsBlankLine(std::string_view line) {
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

ParsedLine ParseRecordLine(std::string_view line) {
    ParsedLine parsed{nlohmann::ordered_json::parse(line, nullptr, false), {}};
    parsed.damage = Damage(parsed.record);
    if (!parsed.damage.empty())
        parsed.record = nlohmann::ordered_json(nlohmann::ordered_json::value_t::discarded);
    return parsed;
}

RecordReading ReadRecords(std::string_view text) {
    RecordReading reading;
    std::size_t number = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        if (IsBlankLine(line))
            continue;
        ParsedLine parsed = ParseRecordLine(line);
        if (parsed.damage.empty())
            reading.records.push_back({number, std::move(parsed.record)});
        else
            reading.damaged.push_back({number, std::move(parsed.damage)});
    }
    return reading;
}

bool IsSinceText(std::string_view text) {
    return Matches(text, kDatePattern) || Matches(text, kTimePattern);
}

std::vector<RecordEntry> SelectRecords(const RecordReading& reading, const RecordFilter& filter) {
    std::vector<RecordEntry> selected;
    for (const RecordEntry& entry : reading.records)
        if (PassesFilter(entry.record, filter))
            selected.push_back(entry);
    std::stable_sort(selected.begin(), selected.end(),
                     [](const RecordEntry& a, const RecordEntry& b) {
                         return TextField(a.record, "time") < TextField(b.record, "time");
                     });
    return selected;
}

bool PassesFilter(const nlohmann::ordered_json& record, const RecordFilter& filter) {
    if (!filter.serial.empty() && Unpadded(TextField(record, "serial")) != Unpadded(filter.serial))
        return false;
    return filter.since.empty() || TextField(record, "time") >= filter.since;
}

long long TimeKey(const nlohmann::ordered_json& record) {
    long long key = 0;
    for (char c : TextField(record, "time"))
        if (c >= '0' && c <= '9')
            key = key * 10 + (c - '0');
    return key;
}
