#include "journal_tail.h"

#include <algorithm>

#include "line_reader.h"

namespace {

constexpr std::size_t kBlock = 64u << 10;

}  // namespace

bool ReadJournalTail(std::uint64_t size, const ReadAt& read, JournalTail& tail,
                     std::string& failure) {
    tail = {};
    if (size == 0)
        return true;
    char last = 0;
    if (!read(size - 1, &last, 1, failure))
        return false;
    tail.torn = last != '\n';

    // pending holds the bytes from start to the end of the line being looked at;
    // a line that grows past the longest a reader takes is no candidate, and its
    // bytes are dropped while its start is looked for.
    std::string pending;
    std::uint64_t start = tail.torn ? size : size - 1;
    bool overlong = false;
    for (;;) {
        const std::size_t lineBreak = pending.rfind('\n');
        if (lineBreak == std::string::npos && start > 0) {
            const std::size_t count =
                static_cast<std::size_t>(std::min<std::uint64_t>(kBlock, start));
            std::string block(count, '\0');
            if (!read(start - count, block.data(), count, failure))
                return false;
            start -= count;
            pending.insert(0, block);
            if (pending.find('\n') == std::string::npos &&
                pending.size() > LineReader::kLongestLine) {
                overlong = true;
                pending.clear();
            }
            continue;
        }
        const std::size_t from = lineBreak == std::string::npos ? 0 : lineBreak + 1;
        const std::string_view line = std::string_view(pending).substr(from);
        if (!overlong && IdHolds(line)) {
            tail.last = ReadChainFields(line);
            return true;
        }
        if (lineBreak == std::string::npos)
            return true;  // the start of the file
        overlong = false;
        pending.resize(lineBreak);
    }
}
