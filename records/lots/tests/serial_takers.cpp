#include "serial_takers.h"

#include <map>
#include <mutex>
#include <sstream>
#include <stdexcept>
#include <thread>

TakersOutcome RunTakers(LotLedger& ledger, int workers, long each, const std::string& bench) {
    TakersOutcome outcome;
    std::mutex mutex;
    std::vector<std::thread> threads;
    for (int w = 0; w < workers; ++w)
        threads.emplace_back([&, w] {
            const std::string target = "worker " + std::to_string(w);
            try {
                for (long n = 0; each < 0 || n < each; ++n) {
                    const std::optional<long> serial = ledger.Take(bench, target);
                    if (!serial) {
                        const bool again = ledger.Take(bench, target).has_value();
                        const std::lock_guard<std::mutex> lock(mutex);
                        outcome.usedUp += again ? 0 : 1;
                        return;
                    }
                    const bool spoil = n % 5 == 4;
                    if (spoil)
                        ledger.MarkSpoiled(*serial, "spoiled by " + target);
                    else
                        ledger.MarkProgrammed(*serial);
                    const std::lock_guard<std::mutex> lock(mutex);
                    outcome.taken.push_back({*serial, spoil});
                }
            } catch (const std::exception& error) {
                const std::lock_guard<std::mutex> lock(mutex);
                outcome.failures.push_back(target + ": " + error.what());
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    return outcome;
}

std::string TakersText(const TakersOutcome& outcome) {
    std::string text;
    for (const TakenSerial& taken : outcome.taken) {
        text += std::to_string(taken.serial);
        text += taken.spoiled ? " spoiled\n" : " programmed\n";
    }
    for (int n = 0; n < outcome.usedUp; ++n)
        text += "used-up\n";
    for (const std::string& failure : outcome.failures)
        text += "failed: " + failure + "\n";
    return text;
}

TakersOutcome ReadTakersText(const std::string& text) {
    TakersOutcome outcome;
    std::istringstream lines(text);
    std::string first, second;
    while (lines >> first) {
        if (first == "failed:") {
            std::getline(lines, second);
            outcome.failures.push_back(second);
            continue;
        }
        if (first == "used-up") {
            ++outcome.usedUp;
            continue;
        }
        lines >> second;
        outcome.taken.push_back({std::stol(first), second == "spoiled"});
    }
    return outcome;
}

std::string TakenFault(const TakersOutcome& outcome, const LotStanding& standing, long count) {
    const SerialRange& range = standing.lot.serials;
    if (!outcome.failures.empty())
        return "a worker failed: " + outcome.failures.front();
    std::map<long, bool> spoiled;
    for (const TakenSerial& taken : outcome.taken)
        if (!spoiled.emplace(taken.serial, taken.spoiled).second)
            return "the serial " + std::to_string(taken.serial) + " was handed out twice";
    if (static_cast<long>(spoiled.size()) != count)
        return std::to_string(spoiled.size()) + " serials taken, not " + std::to_string(count);
    long expected = range.first;
    for (const auto& [serial, isSpoiled] : spoiled)
        if (serial != expected++)
            return "the serial " + std::to_string(expected - 1) + " was skipped";
    if (static_cast<long>(standing.used.size()) != count)
        return "the ledger holds " + std::to_string(standing.used.size()) + " serials used";
    for (const SerialUse& use : standing.used) {
        const auto taken = spoiled.find(use.serial);
        const SerialState given = taken == spoiled.end() ? SerialState::Free
                                  : taken->second        ? SerialState::Spoiled
                                                         : SerialState::Programmed;
        if (use.state != given)
            return "the ledger holds the serial " + std::to_string(use.serial) + " " +
                   StateName(use.state) + ", not " + StateName(given);
        if (use.state == SerialState::Spoiled && use.reason.find("spoiled by") != 0)
            return "the serial " + std::to_string(use.serial) + " lost its reason";
    }
    if (standing.left != range.size() - count)
        return std::to_string(standing.left) + " serials left";
    return {};
}
