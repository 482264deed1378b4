// A lot's ledger kept in memory, for the tests of the production engine: the
// same rules as the ledgers on file and in the database (lowest free serial
// first, one result per serial), under one lock.
#pragma once

#include <map>
#include <mutex>

#include "lot_ledger.h"

class MemoryLotLedger final : public LotLedger {
  public:
    explicit MemoryLotLedger(LotDefinition lot) : lot_(std::move(lot)) {}

    const LotDefinition& Lot() const override { return lot_; }
    std::optional<long> Take(const std::string& bench, const std::string& target) override;
    void MarkProgrammed(long serial) override;
    void MarkSpoiled(long serial, const std::string& reason) override;
    SerialState StateOf(long serial) override;
    LotStanding Standing() override;
    std::string Where() const override { return "memory"; }

  private:
    SerialUse& Result(long serial);

    LotDefinition lot_;
    std::mutex lock_;
    std::map<long, SerialUse> used_;
};
