// One probe of a production lot, from its as-found read to its record: skipped
// when it holds the lot's image already, else given the next serial of the lot,
// backed up, written, read back and verified. A serial taken for a probe that
// then fails is marked spoiled with the reason and never given again.
#pragma once

#include <ctime>
#include <functional>
#include <optional>
#include <string>

#include "bench_record.h"
#include "calibration_period.h"
#include "image_file.h"
#include "lot_ledger.h"
#include "probe_eeprom.h"
#include "production_journal.h"

// What every probe of a run shares. The ledger and the journal take their own
// locks; the probe libraries are called under the library lock.
struct ProductionLot {
    ProbeImageBytes templateImage{};
    LotLedger* ledger = nullptr;
    ProductionJournal* journal = nullptr;
    BenchRecord record;  // who runs it, where and how: the start of every probe's record
    std::string bench;   // who takes the serials (the host)
    std::function<probe::YearMonth()> month;  // the fabrication month; empty: the clock's
    std::function<std::time_t()> clock;       // now; empty: the system's
};

enum class ProbeOutcome { Programmed, Skipped, Failed };

struct ProbeResult {
    ProbeOutcome outcome = ProbeOutcome::Failed;
    std::optional<long> serial;  // programmed, found, or spoiled
    int exit = 0;                // 0, or the failure's exit status as write gives it
    std::string reason;          // why it failed
    double seconds = 0;
    bool lotUsedUp = false;      // no serial was left to take
    bool journalFailed = false;  // its record could not be written: the run must stop
};

using SerialTaken = std::function<void(long serial)>;

// Programs the probe on the EEPROM, target naming it in the record, and appends
// its record to the journal. taken is told the serial once it is taken, before
// anything is written.
ProbeResult ProgramProbe(const ProductionLot& lot, ProbeEeprom& eeprom, const std::string& target,
                         const SerialTaken& taken = {});

const char* OutcomeName(ProbeOutcome outcome);  // "programmed", "skipped", "failed"
