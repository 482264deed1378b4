#include "fault_settings.h"

#include <charconv>

#include "comma_list.h"

namespace i2cbrdg {

namespace {

constexpr std::string_view kPageFailsPrefix = "page-fails=";
constexpr std::string_view kUnstableReadsPrefix = "unstable-reads=";

std::string_view Trimmed(std::string_view word) {
    while (!word.empty() && word.front() == ' ')
        word.remove_prefix(1);
    while (!word.empty() && word.back() == ' ')
        word.remove_suffix(1);
    return word;
}

std::optional<std::uint32_t> ParseOffset(std::string_view digits) {
    std::uint32_t value = 0;
    auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc{} || end != digits.data() + digits.size() || digits.empty())
        return std::nullopt;
    return value;
}

void Apply(std::string_view word, FaultSettings& settings) {
    if (word == "no-bridge")
        settings.noBridge = true;
    else if (word == "open-fails")
        settings.openFails = true;
    else if (word == "setup-fails")
        settings.setupFails = true;
    else if (word == "no-probe")
        settings.noProbe = true;
    else if (word == "bus-error")
        settings.busError = true;
    else if (word == "write-protect")
        settings.writeProtect = true;
    else if (word.starts_with(kPageFailsPrefix))
        settings.failingPage = ParseOffset(word.substr(kPageFailsPrefix.size()));
    else if (word.starts_with(kUnstableReadsPrefix)) {
        settings.unstableReads = ParseOffset(word.substr(kUnstableReadsPrefix.size()));
        if (settings.unstableReads == 0u)
            settings.unstableReads.reset();
    }
}

}  // namespace

FaultSettings ParseFaultSettings(std::string_view text) {
    FaultSettings settings;
    for (std::string_view word : SplitCommaList(text))
        Apply(Trimmed(word), settings);
    return settings;
}

}  // namespace i2cbrdg
