// Certificate numbers: a source that hands out each number once, and the number's
// text with the prefix the lab chooses. The local source is a counter file beside
// the journal, taken under an exclusive lock so that two programs at once never get
// the same number; a lab database may stand in its place.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

class CertificateNumberSource {
  public:
    virtual ~CertificateNumberSource() = default;
    // The next number, never handed out before; throws ToolError(ExitFile) when
    // none can be taken.
    virtual std::uint64_t TakeNextNumber() = 0;
};

// The counter file holds the last number taken, as decimal text; a missing file
// starts at 1.
class CounterFileNumbers final : public CertificateNumberSource {
  public:
    explicit CounterFileNumbers(std::filesystem::path path) : path_(std::move(path)) {}
    std::uint64_t TakeNextNumber() override;

  private:
    std::filesystem::path path_;
};

// The counter beside a journal.
std::filesystem::path CounterPathBeside(const std::filesystem::path& journal);

// prefix and the number in at least five digits: "LAB-2026-00042".
std::string CertificateNumberText(const std::string& prefix, std::uint64_t number);

// The platform's part: under an exclusive lock of the file (created where
// missing), reads the last number, writes the next and flushes it to disk.
// Returns 0 and sets failure when it cannot.
std::uint64_t IncrementCounterFile(const std::filesystem::path& path, std::string& failure);

// The next number after the counter file's text; 0 when the text is not a number.
std::uint64_t NextAfter(const std::string& text);
