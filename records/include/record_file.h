// The journal, opened for appending before a probe is touched. Each record goes
// in as one chained line: under an exclusive lock of the whole file, the last
// chained line gives its prev and journal, the line is appended with one write
// and flushed to disk before Append returns. So the lines of programs logging to
// one file at once never interleave, each links to the one before it, and a line
// reported written survives a power cut. A last line without a line break (an
// append cut short) is never appended onto: a line break goes first.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

class RecordFile {
  public:
    // Opens the file for appending, creating it and its folder where missing;
    // check IsOpen() and Failure() afterwards.
    explicit RecordFile(const std::filesystem::path& path);
    ~RecordFile();
    RecordFile(const RecordFile&) = delete;
    RecordFile& operator=(const RecordFile&) = delete;

    bool IsOpen() const { return handle_ != kClosed; }
    // Why the last open or append failed, in words.
    const std::string& Failure() const { return failure_; }
    // Appends the record line (one JSON object's text) chained, and a line
    // break; false when it did not go in whole.
    bool Append(std::string_view recordLine);
    // The line the last Append wrote, without its line break.
    const std::string& LastLine() const { return lastLine_; }

  private:
    bool AppendLocked(std::string_view recordLine);

    static constexpr std::intptr_t kClosed = -1;
    std::intptr_t handle_ = kClosed;
    std::string failure_;
    std::string lastLine_;
};

// The platform's part: open for reading and appending, an exclusive lock of the
// whole file, its size, a read at an offset, one whole append with a flush to
// disk, close.
std::intptr_t OpenAppendFile(const std::filesystem::path& path, std::string& failure);
bool LockAppendFile(std::intptr_t handle, std::string& failure);
void UnlockAppendFile(std::intptr_t handle);
bool AppendFileSize(std::intptr_t handle, std::uint64_t& size, std::string& failure);
bool ReadAppendFile(std::intptr_t handle, std::uint64_t offset, char* data, std::size_t size,
                    std::string& failure);
bool AppendAndFlush(std::intptr_t handle, std::string_view bytes, std::string& failure);
void CloseAppendFile(std::intptr_t handle);
