#include "local_clock.h"

#include <ctime>

namespace probe {
namespace {

constexpr int kTmFirstYear = 1900;

ClockFunction gClock = &LocalYearMonth;

}  // namespace

YearMonth LocalYearMonth() {
    std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (local == nullptr)
        return {kTmFirstYear, 1};
    return {local->tm_year + kTmFirstYear, local->tm_mon + 1};
}

YearMonth CurrentYearMonth() {
    return gClock();
}

void SetClockForTesting(ClockFunction clock) {
    gClock = clock != nullptr ? clock : &LocalYearMonth;
}

}  // namespace probe
