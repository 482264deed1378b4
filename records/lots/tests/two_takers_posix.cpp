#include <stdio.h>

#include <future>

#include "serial_takers.h"

namespace {

TakersOutcome RunOne(const std::string& command, int& status) {
    std::string text;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        status = -1;
        return {};
    }
    char buffer[4096];
    for (std::size_t got; (got = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        text.append(buffer, got);
    status = pclose(pipe);
    return ReadTakersText(text);
}

}  // namespace

TakersOutcome TakeInTwoPrograms(const std::string& command, int& status) {
    int firstStatus = 0, secondStatus = 0;
    auto first = std::async(std::launch::async, [&] { return RunOne(command, firstStatus); });
    auto second = std::async(std::launch::async, [&] { return RunOne(command, secondStatus); });
    TakersOutcome all = first.get();
    const TakersOutcome other = second.get();
    all.taken.insert(all.taken.end(), other.taken.begin(), other.taken.end());
    all.usedUp += other.usedUp;
    all.failures.insert(all.failures.end(), other.failures.begin(), other.failures.end());
    status = firstStatus != 0 ? firstStatus : secondStatus;
    return all;
}
