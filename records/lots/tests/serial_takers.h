// Workers taking serials from one ledger at once, as the benches of a line do:
// each takes a serial, spoils every fifth it takes and marks the rest
// programmed. Used by the tests and by the programs they start side by side.
#pragma once

#include <string>
#include <vector>

#include "lot_ledger.h"

struct TakenSerial {
    long serial = 0;
    bool spoiled = false;
};

struct TakersOutcome {
    std::vector<TakenSerial> taken;
    int usedUp = 0;                     // workers that were told the lot is used up
    std::vector<std::string> failures;  // what stopped a worker otherwise
};

// Runs the workers until each took `each` serials or met the lot used up (each
// < 0: until used up); a worker that meets it used up asks once more.
TakersOutcome RunTakers(LotLedger& ledger, int workers, long each, const std::string& bench);

// The outcome as lines ("1000003 spoiled", "used-up", "failed: why") and back.
std::string TakersText(const TakersOutcome& outcome);
TakersOutcome ReadTakersText(const std::string& text);

// What is wrong with serials the workers took, as the ledger now stands, when
// `count` of them were taken: empty when every serial was taken once, they are
// the first `count` of the lot with none skipped, and the ledger holds each
// one's result as the worker gave it, and no worker failed.
std::string TakenFault(const TakersOutcome& outcome, const LotStanding& standing, long count);

// Runs the command line twice at once, each a program printing TakersText, and
// gives what both took; status is the worse of their exit statuses.
TakersOutcome TakeInTwoPrograms(const std::string& command, int& status);
