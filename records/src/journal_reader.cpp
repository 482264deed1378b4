#include "journal_reader.h"

#include <algorithm>
#include <system_error>

#include "record_reading.h"

namespace {

// Fills the parsed parts of the line from its raw text.
void Parse(const LineReader::Line& raw, JournalLine& line) {
    line.offset = raw.offset;
    line.text = raw.text;
    line.torn = raw.torn;
    line.chain = ReadChainFields(raw.text);
    if (raw.tooLong) {
        line.record = nlohmann::ordered_json(nlohmann::ordered_json::value_t::discarded);
        // Built piece by piece: mingw's GCC 12 at -O3 warns falsely (-Wrestrict) of one
        // expression of concatenations.
        line.damage = "longer than ";
        line.damage += std::to_string(LineReader::kLongestLine >> 20);
        line.damage += " MiB";
        return;
    }
    ParsedLine parsed = ParseRecordLine(raw.text);
    line.record = std::move(parsed.record);
    line.damage = std::move(parsed.damage);
    if (!line.damage.empty() && raw.torn)
        line.damage += " (torn: no line break at its end)";
}

}  // namespace

JournalStatus ReadJournal(const std::filesystem::path& path,
                          const std::function<bool(const JournalLine&)>& each,
                          std::string& failure) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return JournalStatus::Missing;
    if (error) {
        failure = error.message();
        return JournalStatus::Unreadable;
    }
    if (std::filesystem::is_directory(status)) {
        failure = "it is a folder";
        return JournalStatus::Unreadable;
    }
    LineReader reader(path);
    if (!reader.IsOpen()) {
        failure = "it cannot be opened";
        return JournalStatus::Unreadable;
    }
    LineReader::Line raw;
    JournalLine line;
    for (std::size_t number = 1; reader.Next(raw); ++number) {
        if (IsBlankLine(raw.text))
            continue;
        line.number = number;
        Parse(raw, line);
        if (!each(line))
            return JournalStatus::Read;
    }
    if (reader.Failed()) {
        failure = "a read failed";
        return JournalStatus::Unreadable;
    }
    return JournalStatus::Read;
}

void ReadJournalText(std::string_view text, const std::function<bool(const JournalLine&)>& each) {
    LineReader::Line raw;
    JournalLine line;
    std::uint64_t offset = 0;
    for (std::size_t number = 1; offset < text.size(); ++number) {
        const std::size_t end = text.find('\n', offset);
        const std::size_t length = (end == std::string_view::npos ? text.size() : end) - offset;
        raw.offset = offset;
        raw.torn = end == std::string_view::npos;
        raw.tooLong = length > LineReader::kLongestLine;
        raw.text.assign(text.substr(offset, std::min(length, LineReader::kLongestLine)));
        offset += length + 1;
        if (IsBlankLine(raw.text))
            continue;
        line.number = number;
        Parse(raw, line);
        if (!each(line))
            return;
    }
}

bool JournalCursor::LineAt(std::uint64_t offset, JournalLine& line) {
    if (!reader_.Seek(offset) || !reader_.Next(raw_))
        return false;
    line.number = 0;
    Parse(raw_, line);
    return true;
}
