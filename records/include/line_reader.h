// A file read line by line through a fixed buffer: memory holds one line at a
// time, and a line longer than kLongestLine is skipped rather than held.
#pragma once

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class LineReader {
  public:
    static constexpr std::size_t kLongestLine = 4u << 20;

    explicit LineReader(const std::filesystem::path& path);
    bool IsOpen() const { return file_.is_open(); }

    struct Line {
        std::uint64_t offset = 0;  // of its first byte
        bool torn = false;         // the file's last line, without a line break
        bool tooLong = false;      // longer than kLongestLine; text holds its start
        std::string text;          // without the line break
    };
    // The next line; false at the end of the file or on a read error (Failed()).
    bool Next(Line& line);
    bool Failed() const { return failed_; }
    // Goes on reading from that byte of the file.
    bool Seek(std::uint64_t offset);

  private:
    bool Fill();

    std::ifstream file_;
    std::vector<char> buffer_;
    std::size_t begin_ = 0, end_ = 0;  // what the buffer holds yet to be read
    std::uint64_t offset_ = 0;         // of buffer_[begin_] in the file
    bool failed_ = false;
};
