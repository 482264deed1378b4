// Arbitrary bytes as a journal: reading it never fails, every line is either
// listed or reported damaged, and a whole record appended after the damage still
// lists, by its line number, through the filters. The chain walk never fails
// either, and a record appended as an append would (after the line break a torn
// line lacks, following the last line whose id holds) keeps a chain that held
// whole and is read back chained.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "bench_record.h"
#include "chain_check.h"
#include "journal_reader.h"
#include "journal_tail.h"
#include "record_reading.h"

namespace {

#define RECORDS_CHECK(condition) \
    do {                         \
        if (!(condition))        \
            std::abort();        \
    } while (false)

std::size_t CountLines(std::string_view text) {
    std::size_t lines = 0;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        if (line.find_first_not_of(" \t\r") != std::string_view::npos)
            ++lines;
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

ChainCheck Walk(std::string_view text, std::size_t& lines) {
    ChainCheck check;
    lines = 0;
    ReadJournalText(text, [&](const JournalLine& line) {
        ++lines;
        RECORDS_CHECK(line.damage.empty() == line.record.is_object());
        check.Take(line);
        return true;
    });
    return check;
}

void CheckChain(const std::string& text, const BenchRecord& whole) {
    std::size_t lines = 0;
    const ChainCheck before = Walk(text, lines);
    RECORDS_CHECK(lines == CountLines(text));

    JournalTail tail;
    std::string failure;
    const ReadAt read = [&](std::uint64_t offset, char* data, std::size_t size, std::string&) {
        if (offset + size > text.size())
            return false;
        std::copy_n(text.data() + offset, size, data);
        return true;
    };
    RECORDS_CHECK(ReadJournalTail(text.size(), read, tail, failure));
    const std::string line = tail.last
                                 ? ChainedLine(RecordLine(whole), tail.last->id, tail.last->journal)
                                 : ChainedLine(RecordLine(whole), {}, std::string(32, '0'));
    const std::string appended = text + (tail.torn ? "\n" : "") + line + "\n";
    std::size_t after = 0;
    const ChainCheck check = Walk(appended, after);
    RECORDS_CHECK(after == lines + 1);
    if (before.Holds()) {
        RECORDS_CHECK(check.Holds());
        RECORDS_CHECK(check.Report().chained == before.Report().chained + 1);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const RecordReading reading = ReadRecords(text);
    RECORDS_CHECK(reading.records.size() + reading.damaged.size() == CountLines(text));
    for (const RecordEntry& entry : reading.records)
        RECORDS_CHECK(entry.record.is_object() && entry.record.contains("time"));
    // Listing dumps what was read; a string that is not UTF-8 must not throw.
    for (const RecordEntry& entry : SelectRecords(reading, {"42", "2026-01-01"}))
        (void)entry.record.dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace);

    BenchRecord whole;
    whole.time = "2099-12-31T23:59:59Z";
    whole.command = "status";
    whole.serial = "42";
    const std::string appended = text + "\n" + RecordLine(whole) + "\n";
    const std::size_t lastLine =
        static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 2;
    const RecordReading after = ReadRecords(appended);
    RECORDS_CHECK(!after.records.empty() && after.records.back().line == lastLine);
    const auto selected = SelectRecords(after, {"0042", "2099-12-31"});
    RECORDS_CHECK(std::any_of(selected.begin(), selected.end(),
                              [&](const RecordEntry& entry) { return entry.line == lastLine; }));

    CheckChain(text, whole);
    return 0;
}
