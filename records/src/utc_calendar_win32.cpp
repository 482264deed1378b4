#include <ctime>

#include "bench_record.h"

std::tm UtcCalendar(std::time_t time) {
    std::tm utc{};
    if (gmtime_s(&utc, &time) != 0)
        return std::tm{};
    return utc;
}
