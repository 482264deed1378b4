// Production lots in the lab database, for every bench at once: a lot's row
// holds its range and the next serial to hand out, and each serial handed out
// gets a row of its own with what became of it. A serial is taken in one
// transaction under the lot's row lock, so two benches taking at the same
// moment never get the same one.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "lot_ledger.h"

class Connection;

// Makes the lot; false when the database holds it already as defined. LotError
// for a range that overlaps another lot or a name kept with another range or
// template; LedgerFailure when the database fails. Lots are made one at a time
// (under the row lock of a counter), so that two overlapping lots made at once
// cannot both be.
bool CreateDatabaseLot(Connection& connection, const LotDefinition& lot);

// The lot the database holds; LotError when it holds none of that name. The
// ledger uses the connection alone, one call at a time.
std::unique_ptr<LotLedger> OpenDatabaseLot(std::unique_ptr<Connection> connection,
                                           const std::string& name);

// The record lines of the lot's probes, in the order they arrived.
std::vector<std::string> LotRecordLines(Connection& connection, const std::string& lot);
