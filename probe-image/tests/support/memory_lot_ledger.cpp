#include "memory_lot_ledger.h"

std::optional<long> MemoryLotLedger::Take(const std::string& bench, const std::string& target) {
    const std::lock_guard<std::mutex> hold(lock_);
    for (long serial = lot_.serials.first; serial <= lot_.serials.last; ++serial)
        if (!used_.count(serial)) {
            used_[serial] = SerialUse{serial, SerialState::Taken, bench, target, {}, {}};
            return serial;
        }
    return std::nullopt;
}

SerialUse& MemoryLotLedger::Result(long serial) {
    const auto found = used_.find(serial);
    if (found == used_.end() || found->second.state != SerialState::Taken)
        throw LotError("serial " + std::to_string(serial) + " was not taken or has its result");
    return found->second;
}

void MemoryLotLedger::MarkProgrammed(long serial) {
    const std::lock_guard<std::mutex> hold(lock_);
    Result(serial).state = SerialState::Programmed;
}

void MemoryLotLedger::MarkSpoiled(long serial, const std::string& reason) {
    const std::lock_guard<std::mutex> hold(lock_);
    SerialUse& use = Result(serial);
    use.state = SerialState::Spoiled;
    use.reason = reason;
}

SerialState MemoryLotLedger::StateOf(long serial) {
    const std::lock_guard<std::mutex> hold(lock_);
    const auto found = used_.find(serial);
    return found == used_.end() ? SerialState::Free : found->second.state;
}

LotStanding MemoryLotLedger::Standing() {
    const std::lock_guard<std::mutex> hold(lock_);
    LotStanding standing;
    standing.lot = lot_;
    for (const auto& [serial, use] : used_) {
        standing.used.push_back(use);
        standing.programmed += use.state == SerialState::Programmed;
        standing.spoiled += use.state == SerialState::Spoiled;
        standing.taken += use.state == SerialState::Taken;
    }
    standing.left = lot_.serials.size() - static_cast<long>(used_.size());
    return standing;
}
