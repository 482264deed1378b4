// How a command reaches a production lot: in the lab database when one is given
// or set, else in lots/ beside the record file.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "lot_ledger.h"

struct LotSource {
    std::string lot;
    std::string database;           // the DSN given; empty: $PROBE_IMAGE_DATABASE, else local
    std::string serials;            // FIRST-LAST, the local range; empty: the lot must exist
    std::filesystem::path journal;  // the record file; the lots are kept in lots/ beside it
    bool local = false;             // beside the record file, whatever database is set
};

// The folder of the local lots beside the record file.
std::filesystem::path LocalLotFolder(const std::filesystem::path& journal);

// For programming: the lot, made where it is new (locally; a lot of the
// database must exist, made by lot create), checked against the template's
// SHA-256. ToolError on refusal: ExitUsage for a name or range that cannot be
// one, or --serials with a database; ExitRefused for an overlapping range,
// another template or range, or no such lot; ExitFile for a ledger that cannot
// be read or written.
std::unique_ptr<LotLedger> OpenLotForProgramming(const LotSource& source,
                                                 const std::string& templateSha256);

// For reports: the lot as kept, nothing made; the same ToolErrors.
std::unique_ptr<LotLedger> OpenLotForReport(const LotSource& source);

// A LotError as the ToolError a command ends with.
[[noreturn]] void ThrowLotToolError(const LotError& error);
