// The record file, opened for appending before a probe is touched. Each line goes
// in whole with one append and is flushed to disk before Append returns, so that
// lines of programs logging to one file at once never interleave and a line
// reported written survives a power cut.
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
    // Appends the line and a line break; false when it did not go in whole.
    bool Append(std::string_view line);

  private:
    static constexpr std::intptr_t kClosed = -1;
    std::intptr_t handle_ = kClosed;
    std::string failure_;
};

// The platform's part: open, one whole append with a flush to disk, close.
std::intptr_t OpenAppendFile(const std::filesystem::path& path, std::string& failure);
bool AppendAndFlush(std::intptr_t handle, std::string_view bytes, std::string& failure);
void CloseAppendFile(std::intptr_t handle);
