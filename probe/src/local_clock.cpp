#include "local_clock.h"

#include <ctime>

namespace probe {
namespace {

YearMonth LocalYearMonth() {
    std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (local == nullptr)
        return {1900, 1};
    return {local->tm_year + 1900, local->tm_mon + 1};
}

ClockFunction gClock = &LocalYearMonth;

}  // namespace

YearMonth CurrentYearMonth() {
    return gClock();
}

void SetClockForTesting(ClockFunction clock) {
    gClock = clock != nullptr ? clock : &LocalYearMonth;
}

}  // namespace probe
