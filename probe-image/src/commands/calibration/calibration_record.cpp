#include "calibration_record.h"

#include <fstream>
#include <iterator>
#include <memory>

#include "bench_place.h"
#include "certificate_number.h"
#include "database_commands.h"
#include "database_session.h"
#include "next_number.h"
#include "number_text.h"
#include "sha256.h"
#include "tool_error.h"
#include "whole_file.h"

namespace {

CalibrationFacts& Facts(RecordedRun& recorded) {
    if (!recorded.record.calibration)
        recorded.record.calibration.emplace();
    return *recorded.record.calibration;
}

std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    if (!in && !in.eof())
        throw ToolError(ExitFile, "cannot read " + QuotedPath(file));
    return bytes;
}

std::string QuantitySummary(const QuantityConformity& quantity) {
    std::string summary =
        std::string(quantity.name) + ": " + std::to_string(quantity.errors.size()) + " points";
    if (quantity.uncertainty) {
        const ExpandedUncertainty& largest =
            quantity.uncertainty->points[quantity.uncertainty->largest];
        summary += ", largest U " + DoubleText(largest.U) + " " + quantity.unit + " (k " +
                   DoubleText(largest.k) + ")";
    }
    if (quantity.decision)
        summary += ", tolerance " + DoubleText(quantity.decision->tolerance) + " " + quantity.unit +
                   ": " + OutcomeName(quantity.decision->overall);
    return summary;
}

}  // namespace

namespace {

// Certificate numbers from a named counter of the lab database.
class DatabaseNumbers final : public CertificateNumberSource {
  public:
    DatabaseNumbers(const std::string& dsn, std::string counter)
        : connection_(OpenDatabase(dsn)), counter_(std::move(counter)) {}
    std::uint64_t TakeNextNumber() override {
        try {
            return static_cast<std::uint64_t>(::TakeNextNumber(*connection_, counter_));
        } catch (const DatabaseError& error) {
            throw ToolError(
                ExitFile, std::string("no certificate number from the database: ") + error.what());
        }
    }

  private:
    std::unique_ptr<Connection> connection_;
    std::string counter_;
};

}  // namespace

RecordOptions CalibrationRecordOptions(const CertificateOptions& options,
                                       const std::string& operatorName) {
    return {options.record, options.noRecord, operatorName, options.database, nullptr};
}

std::filesystem::path CalibrationJournal(const CertificateOptions& options) {
    if (options.noRecord)
        return {};
    return options.record.empty() ? DefaultRecordPath() : std::filesystem::path(options.record);
}

void KeepFile(RecordedRun& recorded, const std::string& role, const std::filesystem::path& file) {
    const std::string bytes = ReadBytes(file);
    KeptFile kept{role, file.string(), Sha256Hex(bytes), ""};
    if (!recorded.backupFolder.empty()) {
        const std::filesystem::path copy =
            recorded.backupFolder / (kept.sha256 + file.extension().string());
        std::error_code ignored;
        std::filesystem::create_directories(recorded.backupFolder, ignored);
        if (!std::filesystem::exists(copy))  // the same bytes are kept once
            WriteWholeFile(copy, bytes);
        kept.kept = copy.string();
    }
    Facts(recorded).files.push_back(kept);
}

void NoteConformity(RecordedRun& recorded, const Conformity& conformity) {
    CalibrationFacts& facts = Facts(recorded);
    std::string summary;
    for (const auto* quantity : {&conformity.position, &conformity.force})
        if (*quantity)
            summary += (summary.empty() ? "" : "; ") + QuantitySummary(**quantity);
    facts.summary = summary;
    if (conformity.decided) {
        facts.decisionRule = RuleText(conformity.rule);
        facts.decision = OutcomeName(conformity.overall);
    }
}

std::string TakeCertificateNumber(RecordedRun& recorded, const CertificateOptions& options) {
    const std::filesystem::path journal = CalibrationJournal(options);
    if (journal.empty())
        throw ToolError(ExitUsage,
                        "a certificate number is kept beside the journal: give --record FILE "
                        "(not --no-record) where the user has no data folder");
    // One counter for every bench where a lab database is given, else the bench's own.
    const std::string database = ChosenDatabase(options.database);
    std::unique_ptr<CertificateNumberSource> numbers;
    if (database.empty())
        numbers = std::make_unique<CounterFileNumbers>(CounterPathBeside(journal));
    else
        numbers = std::make_unique<DatabaseNumbers>(database, "certificate");
    const std::string number = CertificateNumberText(options.prefix, numbers->TakeNextNumber());
    CalibrationFacts& facts = Facts(recorded);
    facts.certificate = number;
    facts.amends = options.amends;
    facts.reason = options.reason;
    return number;
}
