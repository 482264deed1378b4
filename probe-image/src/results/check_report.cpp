#include "check_report.h"

#include <cmath>

#include "conformity_output.h"

#include "finding_output.h"
#include "number_text.h"
#include "result_table.h"

namespace {

using Json = nlohmann::ordered_json;

std::vector<ResultColumn> UncertaintyColumn(const Measurements& measured) {
    if (measured.uncertainty.empty())
        return {};
    return {{"u", "u", measured.uncertainty}};
}

std::string Percent(double share) {
    return std::isnan(share) ? "no span" : DoubleText(share * 100) + " % of the span";
}

void PrintQuantity(std::ostream& out, const char* name, const MeasurementCheck& check,
                   const char* unit) {
    const Measurements& measured = *check.measured;
    out << "\n"
        << name << " from " << measured.source << ": " << measured.raw.size()
        << " measurements, through " << check.conversion << "\n";
    out << "  residuals           RMS             max\n";
    PrintResidualLine(out, "library", check.results.summary,
                      "the image as found; largest error " + Percent(check.largestShare) + " (" +
                          DoubleText(check.span) + " " + unit + ")");
    if (check.results.reducedChiSquare)
        out << "  chi-square per measurement " << DoubleText(*check.results.reducedChiSquare)
            << " against the stated uncertainties\n";
    if (check.tolerance)
        out << "  tolerance " << DoubleText(*check.tolerance) << " " << unit << ": "
            << check.beyond.size() << " of " << measured.raw.size() << " measurements beyond\n";
    PrintResultTable(out, measured, check.results, UncertaintyColumn(measured));
}

Json QuantityJson(const MeasurementCheck& check) {
    const Measurements& measured = *check.measured;
    Json json{
        {"source", measured.source},
        {"sha256", measured.sha256},
        {"conversion", check.conversion},
        {"measurements", measured.raw.size()},
        {"residuals", Json{{"rms", check.results.summary.rms}, {"max", check.results.summary.max}}},
        {"span", check.span},
        {"shareOfSpan", check.largestShare}};
    if (check.results.reducedChiSquare)
        json["chiSquarePerMeasurement"] = *check.results.reducedChiSquare;
    if (check.tolerance) {
        json["tolerance"] = *check.tolerance;
        json["beyond"] = check.beyond;
    }
    json["points"] = ResultPointsJson(measured, check.results, UncertaintyColumn(measured));
    return json;
}

}  // namespace

void PrintCheckReport(const CheckReportContext& report, std::ostream& out) {
    out << "check: " << report.file << " through " << report.library << ", type " << report.type
        << " probe, serial " << report.serial << "\n";
    if (report.check.position)
        PrintQuantity(out, "position", *report.check.position, "mm");
    if (report.check.force)
        PrintQuantity(out, "force", *report.check.force, "N");
    if (report.conformity)
        PrintConformity(*report.conformity, out);
    out << "\nfindings\n";
    PrintFindings(report.check.findings, out);
}

Json CheckReportJson(const CheckReportContext& report) {
    Json json{{"file", report.file},
              {"library", report.library},
              {"type", report.type},
              {"serial", report.serial}};
    if (report.check.position)
        json["position"] = QuantityJson(*report.check.position);
    if (report.check.force)
        json["force"] = QuantityJson(*report.check.force);
    if (report.conformity && !StatesNothing(*report.conformity))
        json["conformity"] = ConformityJson(*report.conformity);
    json["findings"] = FindingsJson(report.check.findings);
    return json;
}
