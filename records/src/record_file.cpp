#include "record_file.h"

#include <system_error>

#include "journal_chain.h"
#include "journal_tail.h"

RecordFile::RecordFile(const std::filesystem::path& path) {
    std::error_code error;
    if (path.has_parent_path())
        std::filesystem::create_directories(path.parent_path(), error);
    if (error) {
        failure_ = "cannot create " + path.parent_path().string() + ": " + error.message();
        return;
    }
    handle_ = OpenAppendFile(path, failure_);
}

RecordFile::~RecordFile() {
    if (IsOpen())
        CloseAppendFile(handle_);
}

bool RecordFile::Append(std::string_view recordLine) {
    if (!IsOpen())
        return false;
    if (recordLine.size() < 2 || recordLine.front() != '{' || recordLine.back() != '}' ||
        recordLine.find('\n') != std::string_view::npos) {
        failure_ = "a record must be one JSON object on one line";
        return false;
    }
    if (!LockAppendFile(handle_, failure_))
        return false;
    const bool appended = AppendLocked(recordLine);
    UnlockAppendFile(handle_);
    return appended;
}

bool RecordFile::AppendLocked(std::string_view recordLine) {
    std::uint64_t size = 0;
    JournalTail tail;
    const ReadAt read = [this](std::uint64_t offset, char* data, std::size_t count,
                               std::string& failure) {
        return ReadAppendFile(handle_, offset, data, count, failure);
    };
    if (!AppendFileSize(handle_, size, failure_) || !ReadJournalTail(size, read, tail, failure_))
        return false;
    lastLine_ = tail.last ? ChainedLine(recordLine, tail.last->id, tail.last->journal)
                          : ChainedLine(recordLine, {}, NewJournalName());
    // One write: the line break a torn last line lacks, the line and its own.
    std::string whole = tail.torn ? "\n" : "";
    whole += lastLine_;
    whole += '\n';
    return AppendAndFlush(handle_, whole, failure_);
}
