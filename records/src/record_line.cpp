#include <ctime>

#include <nlohmann/json.hpp>

#include "bench_record.h"

namespace {

nlohmann::ordered_json FactsJson(const ImageFacts& facts) {
    return {{"sha256", facts.sha256},
            {"verdict", facts.verdict},
            {"type", facts.type},
            {"serial", facts.serial},
            {"calibrationDate", facts.calibrationDate}};
}

nlohmann::ordered_json CalibrationJson(const CalibrationFacts& facts) {
    nlohmann::ordered_json json = {{"certificate", facts.certificate}};
    if (!facts.amends.empty()) {
        json["amends"] = facts.amends;
        json["reason"] = facts.reason;
    }
    json["files"] = nlohmann::ordered_json::array();
    for (const KeptFile& file : facts.files)
        json["files"].push_back({{"role", file.role},
                                 {"file", file.file},
                                 {"sha256", file.sha256},
                                 {"kept", file.kept}});
    json["decisionRule"] = facts.decisionRule;
    json["decision"] = facts.decision;
    json["summary"] = facts.summary;
    return json;
}

}  // namespace

std::string RecordLine(const BenchRecord& record) {
    nlohmann::ordered_json line = {
        {"time", record.time},           {"operator", record.operatorName},
        {"host", record.host},           {"tool", record.tool},
        {"library", record.library},     {"libraryVersion", record.libraryVersion},
        {"transport", record.transport}, {"device", record.device},
        {"command", record.command},     {"arguments", record.arguments},
        {"type", record.type},           {"serial", record.serial},
    };
    if (record.asFound)
        line["asFound"] = FactsJson(*record.asFound);
    if (record.asLeft) {
        line["asLeft"] = FactsJson(*record.asLeft);
        line["asLeft"]["readBack"] = record.asLeftReadBack;
    }
    if (record.pagesWritten) {
        line["pagesWritten"] = *record.pagesWritten;
        line["pagesFailed"] = record.pagesFailed;
    }
    if (!record.verification.empty())
        line["verification"] = record.verification;
    if (!record.backup.empty())
        line["backup"] = record.backup;
    if (record.calibration)
        line["calibration"] = CalibrationJson(*record.calibration);
    if (record.production) {
        const LotFacts& lot = *record.production;
        line["production"] = {{"lot", lot.lot}, {"outcome", lot.outcome}, {"target", lot.target}};
        if (!lot.spoiled.empty())
            line["production"]["spoiled"] = lot.spoiled;
    }
    line["exit"] = record.exit;
    line["message"] = record.message;
    return line.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::string UtcTimeText(long long secondsSinceEpoch) {
    const std::tm utc = UtcCalendar(static_cast<std::time_t>(secondsSinceEpoch));
    char text[32] = "";
    if (utc.tm_mday != 0)
        std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", &utc);
    return text;
}
