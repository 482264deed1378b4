// Reading a record file back: every whole line that holds a record, and the
// line number and reason of every damaged one, which is skipped.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

struct RecordEntry {
    std::size_t line = 0;  // from 1
    nlohmann::ordered_json record;
};

struct DamagedLine {
    std::size_t line = 0;
    std::string reason;
};

struct RecordReading {
    std::vector<RecordEntry> records;  // in file order
    std::vector<DamagedLine> damaged;
};

// A line is a record when it is one JSON object with a UTC "time", a "command"
// and an integer "exit". Blank lines are neither.
RecordReading ReadRecords(std::string_view text);

// One line read: the record, or why it holds none (then record is discarded).
struct ParsedLine {
    nlohmann::ordered_json record;
    std::string damage;
};
ParsedLine ParseRecordLine(std::string_view line);
bool IsBlankLine(std::string_view line);

struct RecordFilter {
    std::string serial;  // empty: any
    std::string since;   // a UTC date or time, "YYYY-MM-DD[THH:MM:SSZ]"; empty: any
};

// Whether the text is a date or time that --since takes.
bool IsSinceText(std::string_view text);

// The records that pass the filter, oldest first (file order among equal times).
std::vector<RecordEntry> SelectRecords(const RecordReading& reading, const RecordFilter& filter);

// Whether the record passes the filter.
bool PassesFilter(const nlohmann::ordered_json& record, const RecordFilter& filter);

// The record's time as a number that sorts as its text does: YYYYMMDDHHMMSS.
long long TimeKey(const nlohmann::ordered_json& record);
