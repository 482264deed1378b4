#include "certificate_number.h"

#include <cstdio>
#include <limits>

#include "tool_error.h"
#include "whole_file.h"

std::uint64_t CounterFileNumbers::TakeNextNumber() {
    std::error_code ignored;
    std::filesystem::create_directories(path_.parent_path(), ignored);
    std::string failure;
    const std::uint64_t number = IncrementCounterFile(path_, failure);
    if (number == 0)
        throw ToolError(ExitFile, "no certificate number from " + QuotedPath(path_) + ": " +
                                      failure + "; nothing issued");
    return number;
}

std::filesystem::path CounterPathBeside(const std::filesystem::path& journal) {
    return journal.parent_path() / "certificate-number";
}

std::string CertificateNumberText(const std::string& prefix, std::uint64_t number) {
    char digits[32];
    std::snprintf(digits, sizeof digits, "%05llu", static_cast<unsigned long long>(number));
    return prefix + digits;
}

std::uint64_t NextAfter(const std::string& text) {
    std::size_t end = text.size();
    while (end > 0 && (text[end - 1] == '\n' || text[end - 1] == '\r' || text[end - 1] == ' '))
        --end;
    if (end == 0)
        return text.empty() ? 1 : 0;  // a new file; blanks alone are damage
    std::uint64_t last = 0;
    for (std::size_t i = 0; i < end; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return 0;
        const std::uint64_t digit = static_cast<std::uint64_t>(text[i] - '0');
        if (last > (std::numeric_limits<std::uint64_t>::max() - 1 - digit) / 10)
            return 0;
        last = last * 10 + digit;
    }
    return last + 1;
}
