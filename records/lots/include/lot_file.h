// The file a local lot is kept in, LOT.jsonl: JSON Lines, appended only. The
// first line defines the lot, each line after it is one change of one serial:
//
//   {"lot":"L1","serials":"100-199","template_sha256":"…","created":"…"}
//   {"serial":100,"state":"taken","bench":"b","target":"bus 7","time":"…"}
//   {"serial":100,"state":"programmed","time":"…"}
//   {"serial":101,"state":"spoiled","reason":"…","time":"…"}
//
// A last line without a line break is an append cut short: it is ignored, and
// the next append puts a line break first and marks its own line "after_torn",
// so that the fragment, no longer last, is still known for what it is. Any other
// line that does not read, or a change no ledger would have made (a serial
// outside the lot, taken twice, a result without a take or given twice) is
// damage: the ledger refuses to hand out anything from it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "lot_ledger.h"

// What the lines read so far hold.
struct LotFileState {
    std::optional<LotDefinition> lot;  // none before the first line
    std::map<long, SerialUse> used;    // by serial
    long lowestFree = 0;               // the lowest serial never handed out, from lot's first
    std::uint64_t lines = 0;           // whole lines read, for messages
};

// Reads the whole lines of text into state, as the continuation of what state
// holds already; where names the file in messages. Returns the bytes read: the
// whole lines, short of a torn last line. Throws LotError on damage.
std::size_t ReadLotLines(std::string_view text, LotFileState& state, const std::string& where);

// The lines a ledger appends, without their line break.
std::string LotDefinitionLine(const LotDefinition& lot, bool afterTorn);
std::string SerialChangeLine(const SerialUse& change, bool afterTorn);

// Whether no serial of the lot is left to hand out.
bool LotUsedUp(const LotFileState& state);
