#include "lot_source.h"

#include "database_commands.h"
#include "database_session.h"
#include "lot_serials.h"
#include "tool_error.h"

namespace {

void RequireUsableName(const std::string& name) {
    try {
        RequireLotName(name);
    } catch (const LotError& error) {
        throw ToolError(ExitUsage, error.what());
    }
}

std::unique_ptr<LotLedger> OpenKept(const LotSource& source) {
    const std::string dsn = source.local ? std::string() : ChosenDatabase(source.database);
    try {
        if (!dsn.empty())
            return OpenDatabaseLot(OpenDatabase(dsn), source.lot);
        return OpenLocalLot(LocalLotFolder(source.journal), source.lot);
    } catch (const LotError& error) {
        ThrowLotToolError(error);
    }
}

}  // namespace

std::filesystem::path LocalLotFolder(const std::filesystem::path& journal) {
    if (journal.empty())
        throw ToolError(ExitUsage, "no record file, so no place for the lots beside it");
    return journal.parent_path() / "lots";
}

void ThrowLotToolError(const LotError& error) {
    throw ToolError(dynamic_cast<const LedgerFailure*>(&error) != nullptr ? ExitFile : ExitRefused,
                    error.what());
}

std::unique_ptr<LotLedger> OpenLotForProgramming(const LotSource& source,
                                                 const std::string& templateSha256) {
    RequireUsableName(source.lot);
    if (!source.serials.empty() && !ChosenDatabase(source.database).empty())
        throw ToolError(ExitUsage,
                        "--serials makes a lot beside the record file; a lot of the lab "
                        "database is made once with probe-image lot create");
    std::unique_ptr<LotLedger> ledger;
    if (source.serials.empty()) {
        ledger = OpenKept(source);
    } else {
        LotDefinition lot;
        lot.name = source.lot;
        lot.templateSha256 = templateSha256;
        try {
            lot.serials = ParseSerialRange(source.serials);
        } catch (const LotError& error) {
            throw ToolError(ExitUsage, error.what());
        }
        try {
            ledger = OpenLocalLot(LocalLotFolder(source.journal), lot);
        } catch (const LotError& error) {
            ThrowLotToolError(error);
        }
    }
    if (ledger->Lot().templateSha256 != templateSha256)
        throw ToolError(ExitRefused, "the lot " + source.lot + " (" + ledger->Where() +
                                         ") is programmed from the template of SHA-256 " +
                                         ledger->Lot().templateSha256 + ", not this one (" +
                                         templateSha256 + ")");
    return ledger;
}

std::unique_ptr<LotLedger> OpenLotForReport(const LotSource& source) {
    RequireUsableName(source.lot);
    return OpenKept(source);
}
