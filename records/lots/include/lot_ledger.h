// A production lot: a named range of serial numbers, each handed out once, to
// probes programmed from one template. A ledger keeps what became of each serial
// it handed out. Two ledgers keep lots: a file beside the journal (the benches
// that share that folder) and the lab database (every bench). Every call is one
// step under the ledger's lock or in one transaction of the database, and may
// come from several threads at once.
#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

// Serials are the image's seven digits.
inline constexpr long kLowestSerial = 0;
inline constexpr long kHighestSerial = 9999999;

struct SerialRange {
    long first = 0;  // both inclusive, first <= last
    long last = 0;
    long size() const { return last - first + 1; }
    bool Holds(long serial) const { return serial >= first && serial <= last; }
    bool Overlaps(const SerialRange& other) const {
        return first <= other.last && other.first <= last;
    }
};

struct LotDefinition {
    std::string name;  // 1 to 64 of A-Z a-z 0-9 . _ -
    SerialRange serials;
    std::string templateSha256;  // of the template's 256 bytes, 64 lower-case hex digits
    std::string created;         // UTC "YYYY-MM-DDTHH:MM:SSZ"; set by the ledger
};

enum class SerialState { Free, Taken, Programmed, Spoiled };

// What became of one serial handed out.
struct SerialUse {
    long serial = 0;
    SerialState state = SerialState::Taken;  // Taken: handed out, no result yet
    std::string bench;                       // the host that took it
    std::string target;                      // the target it was taken for
    std::string reason;                      // why it was spoiled
    std::string time;                        // UTC of its last change
};

// The lot as its ledger holds it.
struct LotStanding {
    LotDefinition lot;
    std::vector<SerialUse> used;                  // every serial handed out, in serial order
    long programmed = 0, spoiled = 0, taken = 0;  // taken: handed out, no result
    long left = 0;                                // never handed out
};

// Refusals and failures of a ledger, in words for the user (no password).
class LotError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// A ledger that cannot be read or written (a damaged or unwritable file, a
// database out of reach), as against a refusal of what was asked.
class LedgerFailure : public LotError {
  public:
    using LotError::LotError;
};

class LotLedger {
  public:
    virtual ~LotLedger() = default;

    virtual const LotDefinition& Lot() const = 0;
    // The lowest serial never handed out, now taken by bench for target; nullopt
    // when the lot is used up.
    virtual std::optional<long> Take(const std::string& bench, const std::string& target) = 0;
    // The result of a serial taken; a serial's result is given once.
    virtual void MarkProgrammed(long serial) = 0;
    virtual void MarkSpoiled(long serial, const std::string& reason) = 0;
    // LotError for a serial that is not of the lot.
    virtual SerialState StateOf(long serial) = 0;
    virtual LotStanding Standing() = 0;
    // Where the ledger is, for messages: a path, or "the lab database".
    virtual std::string Where() const = 0;
};

// "FIRST-LAST" of two serials; LotError saying what is wrong otherwise.
SerialRange ParseSerialRange(std::string_view text);
// "1000001-1000100".
std::string SerialRangeText(const SerialRange& range);
// Throws LotError unless the name is one a lot may have.
void RequireLotName(std::string_view name);
// The lot's serial as the image's field holds it, seven digits: "0000042".
std::string SerialText(long serial);
const char* StateName(SerialState state);  // "free", "taken", "programmed", "spoiled"
// Throws LotError unless the definition's name, range (within kLowestSerial to
// kHighestSerial) and template digest are ones a lot may have.
void RequireLotDefinition(const LotDefinition& lot);
// Where two definitions of one lot differ, in words ("the range 1-5, not 1-9");
// empty when they agree on range and template.
std::string DefinitionDifference(const LotDefinition& kept, const LotDefinition& asked);
// The standing of a lot from the serials it handed out, in any order.
LotStanding StandingOf(const LotDefinition& lot, std::vector<SerialUse> used);
// The UTC time now, "YYYY-MM-DDTHH:MM:SSZ".
std::string LotTimeNow();

// The local ledger: the lots kept in a folder (lots/ beside the journal), one
// file per lot. Creates the lot when it is new; refuses with LotError a
// definition that differs from the one kept (range or template), or a range that
// overlaps another lot of the folder.
std::unique_ptr<LotLedger> OpenLocalLot(const std::filesystem::path& folder,
                                        const LotDefinition& lot);
// A lot the folder holds already; LotError when it holds none of that name.
std::unique_ptr<LotLedger> OpenLocalLot(const std::filesystem::path& folder,
                                        const std::string& name);
