#include "line_reader.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr std::size_t kBufferSize = 64u << 10;

}  // namespace

LineReader::LineReader(const std::filesystem::path& path)
    : file_(path, std::ios::in | std::ios::binary), buffer_(kBufferSize) {}

bool LineReader::Fill() {
    if (failed_ || !file_.is_open() || file_.eof())
        return false;
    file_.read(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    if (file_.bad()) {
        failed_ = true;
        return false;
    }
    begin_ = 0;
    end_ = static_cast<std::size_t>(file_.gcount());
    return end_ > 0;
}

bool LineReader::Next(Line& line) {
    line.offset = offset_;
    line.torn = false;
    line.tooLong = false;
    line.text.clear();
    bool any = false;
    for (;;) {
        if (begin_ == end_ && !Fill()) {
            // The end of the file: a last line without a line break is torn.
            line.torn = any;
            return any;
        }
        any = true;
        const char* start = buffer_.data() + begin_;
        const void* found = std::memchr(start, '\n', end_ - begin_);
        const std::size_t length =
            found == nullptr ? end_ - begin_
                             : static_cast<std::size_t>(static_cast<const char*>(found) - start);
        const std::size_t room =
            LineReader::kLongestLine - std::min(line.text.size(), LineReader::kLongestLine);
        if (length > room)
            line.tooLong = true;
        line.text.append(start, std::min(length, room));
        const std::size_t consumed = length + (found == nullptr ? 0 : 1);
        begin_ += consumed;
        offset_ += consumed;
        if (found != nullptr)
            return true;
    }
}

bool LineReader::Seek(std::uint64_t offset) {
    if (!file_.is_open() || failed_)
        return false;
    if (offset == offset_)
        return true;
    // Within what the buffer holds already, no system call is needed.
    if (offset > offset_ && offset - offset_ <= end_ - begin_) {
        begin_ += static_cast<std::size_t>(offset - offset_);
        offset_ = offset;
        return true;
    }
    file_.clear();
    file_.seekg(static_cast<std::streamoff>(offset));
    if (!file_) {
        failed_ = true;
        return false;
    }
    begin_ = end_ = 0;
    offset_ = offset;
    return true;
}
