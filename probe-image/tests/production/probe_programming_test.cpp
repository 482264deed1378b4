// The production engine with a lot in memory and EEPROMs in memory, against the
// real probe libraries: serials handed out in order and once, the lot's image
// on each probe, skips of probes already done, spoiled serials on every fault,
// one record per probe, and several targets at once.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>

#include <nlohmann/json.hpp>

#include "bound_library.h"
#include "encoding.h"
#include "fake_probe_eeprom.h"
#include "library_lock.h"
#include "lot_image.h"
#include "memory_lot_ledger.h"
#include "probe_programming.h"
#include "production_run.h"
#include "tool_error.h"

namespace {

namespace fs = std::filesystem;

constexpr probe::YearMonth kMonth{2026, 12};

ProbeImageBytes MakeTemplate(const std::vector<std::string>& assignments) {
    const LibraryGuard hold(ProbeLibraryLock());
    const LibraryBinding binding(TypeCharacterOf(3));
    EXPECT_TRUE(binding.Bound()) << binding.failure();
    return NewImage(binding.library(), 3, ParseFieldEdits(assignments)).image;
}

ProbeImageBytes ImageOf(const ProbeImageBytes& templateImage, long serial,
                        const std::string& fabrication) {
    const LibraryGuard hold(ProbeLibraryLock());
    const LibraryBinding binding(TypeCharacter(templateImage));
    return LotImage(binding.library(), templateImage, serial, fabrication).image;
}

ProbeImageBytes Contents(const FakeProbeEeprom& eeprom) {
    ProbeImageBytes image{};
    std::copy(eeprom.memory.begin(), eeprom.memory.end(), image.begin());
    return image;
}

class ProductionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = fs::path(::testing::TempDir()) /
                  ("production-" +
                   std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
        fs::remove_all(folder_);
        fs::create_directories(folder_);
        journal_ = std::make_unique<ProductionJournal>(folder_ / "records.jsonl");
        template_ = MakeTemplate({"Serial=1", "PositionCoefficients=0,1", "Gain=40"});
        Lot({1000, 1003});
    }
    void TearDown() override {
        journal_.reset();
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    void Lot(SerialRange serials) {
        ledger_ = std::make_unique<MemoryLotLedger>(LotDefinition{"L1", serials, "", ""});
        lot_.templateImage = template_;
        lot_.ledger = ledger_.get();
        lot_.journal = journal_.get();
        lot_.record.command = "program";
        lot_.bench = "bench-1";
        lot_.month = [] { return kMonth; };
    }

    ProbeResult Program(FakeProbeEeprom& eeprom, const std::string& target = "fake:1") {
        return ProgramProbe(lot_, eeprom, target);
    }

    std::vector<nlohmann::json> Records() const {
        std::vector<nlohmann::json> records;
        std::ifstream lines(folder_ / "records.jsonl");
        for (std::string line; std::getline(lines, line);)
            records.push_back(nlohmann::json::parse(line));
        return records;
    }

    fs::path folder_;
    std::unique_ptr<ProductionJournal> journal_;
    std::unique_ptr<MemoryLotLedger> ledger_;
    ProbeImageBytes template_{};
    ProductionLot lot_;
};

TEST_F(ProductionTest, ProgramsEachProbeWithTheNextSerialAndRecordsIt) {
    FakeProbeEeprom first, second;
    first.memory.fill(0x5A);
    const ProbeImageBytes asFound = Contents(first);

    const ProbeResult a = Program(first, "fake:1");
    const ProbeResult b = Program(second, "fake:2");
    ASSERT_EQ(a.outcome, ProbeOutcome::Programmed) << a.reason;
    ASSERT_EQ(b.outcome, ProbeOutcome::Programmed) << b.reason;
    EXPECT_EQ(a.serial, 1000);
    EXPECT_EQ(b.serial, 1001);
    EXPECT_EQ(Contents(first), ImageOf(template_, 1000, "2612"));
    EXPECT_EQ(Contents(second), ImageOf(template_, 1001, "2612"));
    EXPECT_EQ(first.pageWrites, EepromPageCount);
    EXPECT_EQ(ledger_->StateOf(1000), SerialState::Programmed);
    EXPECT_EQ(ledger_->StateOf(1001), SerialState::Programmed);
    EXPECT_EQ(ledger_->Standing().left, 2);

    const auto records = Records();
    ASSERT_EQ(records.size(), 2u);
    const auto& record = records[0];
    EXPECT_EQ(record["command"], "program");
    EXPECT_EQ(record["serial"], "1000");
    EXPECT_EQ(record["exit"], 0);
    EXPECT_EQ(record["production"]["lot"], "L1");
    EXPECT_EQ(record["production"]["outcome"], "programmed");
    EXPECT_EQ(record["production"]["target"], "fake:1");
    EXPECT_EQ(record["verification"], "passed");
    EXPECT_EQ(record["asLeft"]["serial"], "1000");
    EXPECT_EQ(record["asLeft"]["verdict"], "accepted");
    EXPECT_EQ(record["pagesWritten"].size(), EepromPageCount);
    // The as-found image is kept before the first page is written.
    const fs::path backup = record["backup"].get<std::string>();
    EXPECT_EQ(backup.parent_path(), folder_ / "as-found");
    std::ifstream saved(backup, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(saved)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes, std::string(asFound.begin(), asFound.end()));
}

struct FaultCase {
    const char* what;
    void (*fault)(FakeProbeEeprom&);
    int exit;
    const char* says;
    bool serialSpoiled;  // false: no serial was taken
};

TEST_F(ProductionTest, EveryFaultSpoilsTheSerialTakenAndTheNextProbeGetsTheNext) {
    const FaultCase cases[] = {
        {"gone after page 5", [](FakeProbeEeprom& e) { e.vanishAfter = 5; }, 4,
         "page 6/16 at 80: Probe not connected", true},
        {"write-protected", [](FakeProbeEeprom& e) { e.writeProtected = true; }, 4,
         "write failed: page 1/16 at 0", true},
        {"takes no data", [](FakeProbeEeprom& e) { e.ignoresWrites = true; }, 5, "verify failed",
         true},
        {"no probe", [](FakeProbeEeprom& e) { e.present = false; }, 4,
         "cannot read the EEPROM as found: Probe not connected", false},
    };
    long next = 1000;
    for (const FaultCase& fault : cases) {
        Lot({1000, 1099});
        for (long taken = 1000; taken < next; ++taken)  // the serials earlier cases used
            ledger_->Take("bench-0", "fake:0");
        FakeProbeEeprom faulty, good;
        fault.fault(faulty);
        const ProbeResult failed = Program(faulty);
        EXPECT_EQ(failed.outcome, ProbeOutcome::Failed) << fault.what;
        EXPECT_EQ(failed.exit, fault.exit) << fault.what;
        EXPECT_NE(failed.reason.find(fault.says), std::string::npos)
            << fault.what << ": " << failed.reason;
        const auto record = Records().back();
        EXPECT_EQ(record["exit"], fault.exit) << fault.what;
        EXPECT_EQ(record["production"]["outcome"], "failed") << fault.what;
        if (fault.serialSpoiled) {
            EXPECT_EQ(failed.serial, next) << fault.what;
            EXPECT_EQ(ledger_->StateOf(next), SerialState::Spoiled) << fault.what;
            EXPECT_EQ(ledger_->Standing().used.back().reason, failed.reason) << fault.what;
            EXPECT_EQ(record["production"]["spoiled"], std::to_string(next)) << fault.what;
            ++next;
        } else {
            EXPECT_FALSE(failed.serial) << fault.what;
            EXPECT_EQ(ledger_->Standing().used.size(), std::size_t(next - 1000)) << fault.what;
        }
        const ProbeResult after = Program(good);
        EXPECT_EQ(after.outcome, ProbeOutcome::Programmed) << fault.what << ": " << after.reason;
        EXPECT_EQ(after.serial, next) << fault.what;
        ++next;
    }
}

TEST_F(ProductionTest, AUsedUpLotTakesNothingAndWritesNothing) {
    Lot({7, 7});
    FakeProbeEeprom first, second;
    ASSERT_EQ(Program(first).outcome, ProbeOutcome::Programmed);
    const ProbeResult refused = Program(second);
    EXPECT_EQ(refused.outcome, ProbeOutcome::Failed);
    EXPECT_TRUE(refused.lotUsedUp);
    EXPECT_EQ(refused.exit, ExitRefused);
    EXPECT_EQ(second.pageWrites, 0u);
    EXPECT_NE(refused.reason.find("used up"), std::string::npos) << refused.reason;
}

struct FoundCase {
    const char* what;
    long serial;              // of the image found
    const char* fabrication;  // its fabrication date
    bool otherTemplate;       // made from another template
    SerialState state;        // what the ledger holds of that serial
    ProbeOutcome outcome;
    SerialState stateAfter;
};

TEST_F(ProductionTest, AProbeHoldingItsSerialOfTheLotIsSkippedAndNeverWrittenTwice) {
    const FoundCase cases[] = {
        {"programmed", 1001, "2611", false, SerialState::Programmed, ProbeOutcome::Skipped,
         SerialState::Programmed},
        {"taken, result lost", 1001, "2601", false, SerialState::Taken, ProbeOutcome::Skipped,
         SerialState::Programmed},
        {"spoiled", 1001, "2612", false, SerialState::Spoiled, ProbeOutcome::Programmed,
         SerialState::Spoiled},
        {"never taken", 1001, "2612", false, SerialState::Free, ProbeOutcome::Programmed,
         SerialState::Free},
        {"outside the lot", 2001, "2612", false, SerialState::Free, ProbeOutcome::Programmed,
         SerialState::Free},
        {"another template", 1001, "2612", true, SerialState::Programmed, ProbeOutcome::Programmed,
         SerialState::Programmed},
    };
    const ProbeImageBytes other = MakeTemplate({"Serial=1", "PositionCoefficients=0,1", "Gain=41"});
    for (const FoundCase& found : cases) {
        Lot({1000, 1009});
        if (found.state != SerialState::Free) {
            ledger_->Take("bench-0", "fake:0");  // 1000
            ledger_->Take("bench-0", "fake:0");  // 1001
            if (found.state == SerialState::Programmed)
                ledger_->MarkProgrammed(1001);
            if (found.state == SerialState::Spoiled)
                ledger_->MarkSpoiled(1001, "verify failed");
        }
        FakeProbeEeprom eeprom;
        const ProbeImageBytes image =
            ImageOf(found.otherTemplate ? other : template_, found.serial, found.fabrication);
        std::copy(image.begin(), image.end(), eeprom.memory.begin());

        const ProbeResult result = Program(eeprom);
        EXPECT_EQ(result.outcome, found.outcome) << found.what << ": " << result.reason;
        EXPECT_EQ(eeprom.pageWrites, found.outcome == ProbeOutcome::Skipped ? 0u : EepromPageCount)
            << found.what;
        EXPECT_EQ(ledger_->StateOf(found.serial), found.stateAfter) << found.what;
        if (found.outcome == ProbeOutcome::Skipped) {
            EXPECT_EQ(result.serial, found.serial) << found.what;
            EXPECT_EQ(Records().back()["production"]["outcome"], "skipped") << found.what;
        } else {
            EXPECT_NE(result.serial, found.serial) << found.what;
            EXPECT_EQ(Contents(eeprom), ImageOf(template_, *result.serial, "2612")) << found.what;
        }
    }
}

TEST_F(ProductionTest, SeveralTargetsAtOnceTakeDistinctSerialsAndRecordEachProbe) {
    constexpr int kTargets = 6;
    Lot({500, 599});
    std::vector<ProductionTarget> targets;
    std::vector<FakeProbeEeprom*> eeproms;
    for (int t = 0; t < kTargets; ++t) {
        auto eeprom = std::make_unique<FakeProbeEeprom>();
        eeproms.push_back(eeprom.get());
        targets.push_back({"fake:" + std::to_string(t), std::move(eeprom)});
    }
    eeproms[2]->vanishAfter = 3;
    std::vector<ProductionEvent> events;
    const ProductionSummary summary = RunProduction(
        lot_, targets, {},
        [&](const ProductionEvent& event, const ProductionTally&) { events.push_back(event); });
    EXPECT_EQ(summary.tally.programmed, kTargets - 1);
    EXPECT_EQ(summary.tally.failed, 1);
    EXPECT_EQ(summary.exit, ExitBridge);
    EXPECT_EQ(summary.serialsLeft, 100 - kTargets);
    std::set<long> serials;
    for (int t = 0; t < kTargets; ++t) {
        const long serial =
            std::stol(std::string(eeproms[t]->memory.begin() + 5, eeproms[t]->memory.begin() + 12));
        if (t != 2) {
            EXPECT_EQ(Contents(*eeproms[t]), ImageOf(template_, serial, "2612"));
        }
        serials.insert(serial);
    }
    EXPECT_EQ(ledger_->Standing().spoiled, 1);
    EXPECT_EQ(Records().size(), std::size_t{kTargets});
    long starts = 0;
    for (const ProductionEvent& event : events)
        starts += event.kind == ProductionEventKind::Start;
    EXPECT_EQ(starts, kTargets);
}

TEST_F(ProductionTest, ATargetThatDoesNotAnswerIsNamedBeforeAnythingIsTouched) {
    std::vector<ProductionTarget> targets;
    targets.push_back({"fake:1", std::make_unique<FakeProbeEeprom>()});
    auto silent = std::make_unique<FakeProbeEeprom>();
    silent->present = false;
    FakeProbeEeprom& unplugged = *silent;
    targets.push_back({"fake:2", std::move(silent)});
    try {
        RequireTargetsAnswer(targets);
        FAIL() << "a target that does not answer passed";
    } catch (const ToolError& error) {
        EXPECT_EQ(error.code(), ExitBridge);
        EXPECT_NE(std::string(error.what()).find("fake:2: Probe not connected"), std::string::npos)
            << error.what();
        EXPECT_EQ(std::string(error.what()).find("fake:1"), std::string::npos) << error.what();
    }
    EXPECT_EQ(unplugged.pageWrites, 0u);
    EXPECT_EQ(ledger_->Standing().used.size(), 0u);

    // A fixture waits for its probes: only a missing adapter is refused then.
    EXPECT_NO_THROW(RequireTargetsAnswer(targets, true));
    unplugged.adapter = false;
    EXPECT_THROW(RequireTargetsAnswer(targets, true), ToolError);
}

TEST_F(ProductionTest, ContinuousRunsProgramEachProbePutInAndStopWhenAsked) {
    std::atomic<bool> stop{false};
    auto eeprom = std::make_unique<FakeProbeEeprom>();
    FakeProbeEeprom& slot = *eeprom;
    slot.present = false;
    std::vector<ProductionTarget> targets;
    targets.push_back({"fake:1", std::move(eeprom)});
    ProductionSettings settings;
    settings.continuous = true;
    settings.pollMilliseconds = 5;
    settings.stop = &stop;
    std::vector<ProductionEventKind> kinds;
    int waits = 0;
    const ProductionSummary summary = RunProduction(
        lot_, targets, settings, [&](const ProductionEvent& event, const ProductionTally&) {
            kinds.push_back(event.kind);
            if (event.kind == ProductionEventKind::Waiting) {
                if (++waits == 3) {
                    stop = true;
                    return;
                }
                slot.memory.fill(0xFF);  // a fresh probe is put in
                slot.present = true;
            }
            if (event.kind == ProductionEventKind::Ok)
                slot.present = false;  // and taken out
        });
    EXPECT_EQ(summary.tally.programmed, 2);
    EXPECT_EQ(summary.exit, ExitSuccess);
    const std::vector<ProductionEventKind> expected = {
        ProductionEventKind::Waiting, ProductionEventKind::Start,   ProductionEventKind::Ok,
        ProductionEventKind::Removed, ProductionEventKind::Waiting, ProductionEventKind::Start,
        ProductionEventKind::Ok,      ProductionEventKind::Removed, ProductionEventKind::Waiting};
    EXPECT_EQ(kinds, expected);
    EXPECT_EQ(ledger_->StateOf(1001), SerialState::Programmed);
}

}  // namespace
