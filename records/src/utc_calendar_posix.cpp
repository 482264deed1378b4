#include <ctime>

#include "bench_record.h"

std::tm UtcCalendar(std::time_t time) {
    std::tm utc{};
    if (gmtime_r(&time, &utc) == nullptr)
        return std::tm{};
    return utc;
}
