#include "calibration_certificate.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "number_text.h"
#include "record_fields.h"

namespace {

using Row = std::vector<std::string>;

std::string Figure(double value) {
    return std::isnan(value) ? "-" : DoubleText(value);
}

std::string Text(const ProbeParameters& record, const char* name) {
    return PrintableText(TextValue(record, *FindRecordField(name)));
}

std::string Percent(double share) {
    if (std::isnan(share))
        return "-";
    char text[32];
    std::snprintf(text, sizeof text, "%.3g %%", share * 100);
    return text;
}

CertificateSection ProbeSection(const ReportImage& image, const char* title) {
    const ProbeParameters& record = image.record;
    CertificateSection section{"probe", title, {}, {}, {}, {}};
    section.facts = {{"Type", std::to_string(record.Type)},
                     {"Serial", std::to_string(record.Serial)},
                     {"Text", Text(record, "OText")},
                     {"Calibration date (YYMM)", Text(record, "CalibrationDate")},
                     {"Fabrication date (YYMM)", Text(record, "FabricationDate")},
                     {"Usage count", std::to_string(record.UsageCount)},
                     {"Gain", std::to_string(static_cast<unsigned>(record.Gain))},
                     {"Image file", image.file},
                     {"Image SHA-256", image.sha256}};
    return section;
}

CertificateSection ProvenanceSection(const ReportProvenance& provenance) {
    CertificateSection section{"provenance", "Calibration", {}, {}, {}, {}};
    section.facts = {{"Date and time", provenance.created},
                     {"Operator", provenance.operatorName.empty() ? "-" : provenance.operatorName},
                     {"Tool", provenance.tool},
                     {"Library", provenance.library}};
    return section;
}

Row FileRow(const char* role, const Measurements& measured) {
    return {role, measured.source, std::to_string(measured.raw.size()),
            measured.uncertainty.empty() ? "no" : "yes", measured.sha256};
}

CertificateSection MeasurementsSection(const Measurements* position, const Measurements* force) {
    CertificateSection section{"measurements", "Measurement files", {}, {}, {}, {}};
    CertificateTable files{
        "", {"quantity", "file", "measurements", "uncertainties", "SHA-256"}, {}, false};
    if (position)
        files.rows.push_back(FileRow("position (mm)", *position));
    if (force)
        files.rows.push_back(FileRow("force (N)", *force));
    section.tables.push_back(files);
    return section;
}

Row SummaryRow(const char* quantity, const MeasurementCheck& check) {
    return {quantity,
            Figure(check.results.summary.rms),
            Figure(check.results.summary.max),
            Percent(check.largestShare),
            check.tolerance ? Figure(*check.tolerance) : "-",
            check.tolerance ? std::to_string(check.beyond.size()) : "-"};
}

CertificateTable ErrorSummary(const char* caption, const ImageCheck& check) {
    CertificateTable table{
        caption,
        {"quantity", "RMS error", "largest error", "largest / span", "tolerance", "beyond"},
        {},
        true};
    if (check.position)
        table.rows.push_back(SummaryRow("position (mm)", *check.position));
    if (check.force)
        table.rows.push_back(SummaryRow("force (N)", *check.force));
    return table;
}

CertificateTable CheckPoints(const char* caption, const MeasurementCheck& check) {
    const Measurements& measured = *check.measured;
    const bool stated = !measured.uncertainty.empty();
    CertificateTable table{caption, {"raw", "measured", "library", "error"}, {}, true};
    if (stated)
        table.header.push_back("u");
    for (std::size_t i = 0; i < measured.raw.size(); ++i) {
        Row row{FloatText(measured.raw[i]), Figure(measured.value[i]),
                FloatText(check.results.outputs[i]), Figure(check.results.residuals[i])};
        if (stated)
            row.push_back(Figure(measured.uncertainty[i]));
        table.rows.push_back(row);
    }
    return table;
}

CertificateSection PlotSection(std::vector<CertificatePlot> plots) {
    CertificateSection section{"plots", "Plots", {}, {}, {}, {}};
    section.paragraphs.push_back(
        "Measurements drawn over what the library computes from the image; below each curve the "
        "error at every measurement (library - measured), with the band of twice the fitted "
        "curve's standard uncertainty where there is a fit.");
    section.plots = std::move(plots);
    return section;
}

// Per measurement as found and as left, with the uncertainties.
CertificateTable FitPoints(const char* caption, const Measurements& measured,
                           const LibraryResults& written, const std::vector<double>& fitted,
                           const MeasurementCheck* asFound) {
    const bool stated = !measured.uncertainty.empty();
    CertificateTable table{caption, {"raw", "measured"}, {}, true};
    if (stated)
        table.header.push_back("u");
    if (asFound)
        table.header.push_back("error as found");
    table.header.insert(table.header.end(), {"library as left", "error as left", "u(fit)"});
    for (std::size_t i = 0; i < measured.raw.size(); ++i) {
        Row row{FloatText(measured.raw[i]), Figure(measured.value[i])};
        if (stated)
            row.push_back(Figure(measured.uncertainty[i]));
        if (asFound)
            row.push_back(Figure(asFound->results.residuals[i]));
        row.push_back(FloatText(written.outputs[i]));
        row.push_back(Figure(written.residuals[i]));
        row.push_back(i < fitted.size() ? Figure(fitted[i]) : "-");
        table.rows.push_back(row);
    }
    return table;
}

CertificateTable Coefficients(const std::string& caption, const char* symbol,
                              const std::vector<float>& stored,
                              const PolynomialUncertainty& uncertainty) {
    CertificateTable table{
        caption, {"coefficient", "stored value", "standard uncertainty"}, {}, true};
    for (std::size_t k = 0; k < stored.size(); ++k)
        table.rows.push_back(
            {symbol + std::to_string(k), FloatText(stored[k]),
             k < uncertainty.coefficients.size() ? Figure(uncertainty.coefficients[k]) : "-"});
    return table;
}

std::string Basis(bool stated) {
    return stated ? "from the measurements' stated standard uncertainties (weights 1/u), unscaled"
                  : "scaled by the residuals' variance (no uncertainties stated)";
}

std::string FitParagraph(const char* quantity, const PolynomialUncertainty& uncertainty,
                         const LibraryResults& written, const char* unit) {
    std::string text = std::string(quantity) + ": covariance " + Basis(uncertainty.stated) +
                       "; standard uncertainty of the fitted curve at most " +
                       Figure(uncertainty.largest) + " " + unit + " over the measured range";
    if (written.reducedChiSquare)
        text += "; reduced chi-square " + Figure(*written.reducedChiSquare) + " with " +
                std::to_string(written.degreesOfFreedom) + " degrees of freedom";
    return text + ".";
}

Row WrittenRow(const char* quantity, const LibraryResults& written, const Measurements& measured) {
    const auto [low, high] = std::minmax_element(measured.value.begin(), measured.value.end());
    const double span = *high - *low;
    return {quantity,
            Figure(written.summary.rms),
            Figure(written.summary.max),
            Percent(span > 0 ? written.summary.max / span : std::nan("")),
            "-",
            "-"};
}

}  // namespace

Certificate CheckCertificate(const ReportProvenance& provenance, const ReportImage& image,
                             const ImageCheck& check, const std::string& plot) {
    Certificate certificate;
    certificate.title = "Calibration check: type " + std::to_string(image.record.Type) +
                        " probe, serial " + std::to_string(image.record.Serial);
    certificate.subtitle =
        "The probe's image checked as found against reference measurements, "
        "every value computed by the probe library.";
    certificate.sections.push_back(ProbeSection(image, "Probe"));
    certificate.sections.push_back(ProvenanceSection(provenance));
    certificate.sections.push_back(
        MeasurementsSection(check.position ? check.position->measured : nullptr,
                            check.force ? check.force->measured : nullptr));
    CertificateSection found{"as-found", "Errors as found", {}, {}, {}, {}};
    found.tables.push_back(ErrorSummary("Summary", check));
    for (const Finding& finding : check.findings)
        found.paragraphs.push_back("Out of tolerance: " + finding.message);
    if (check.position)
        found.tables.push_back(CheckPoints("Position (mm)", *check.position));
    if (check.force)
        found.tables.push_back(CheckPoints("Force (N)", *check.force));
    certificate.sections.push_back(found);
    certificate.sections.push_back(PlotSection({{"As found: " + image.file, plot}}));
    return certificate;
}

Certificate FitCertificate(const ReportProvenance& provenance, const FitReportContext& report,
                           const ReportImage& asLeft, const std::string& asLeftPlot,
                           const std::optional<ReportImage>& asFound,
                           const std::string& asFoundPlot) {
    const FitPlan& plan = report.plan;
    const CalibrationFit& fit = report.fit;
    const ImageCheck* found = report.asFound;
    Certificate certificate;
    certificate.title = "Calibration report: type " + std::to_string(asLeft.record.Type) +
                        " probe, serial " + std::to_string(asLeft.record.Serial);
    certificate.subtitle = std::string(found ? "Errors as found and as left" : "Errors as left") +
                           " against reference measurements, computed by the probe library; "
                           "uncertainties from the covariance of the fit.";
    certificate.sections.push_back(ProbeSection(asLeft, "Probe (as left)"));
    certificate.sections.push_back(ProvenanceSection(provenance));
    if (asFound)
        certificate.sections.back().facts.push_back(
            {"Image as found", asFound->file + " (SHA-256 " + asFound->sha256 + ")"});
    const Measurements* force = plan.force ? &plan.force->measurements : nullptr;
    certificate.sections.push_back(MeasurementsSection(&plan.position, force));

    if (found) {
        CertificateSection section{"as-found", "Errors as found", {}, {}, {}, {}};
        section.tables.push_back(ErrorSummary("Summary, image as found", *found));
        for (const Finding& finding : found->findings)
            section.paragraphs.push_back("Out of tolerance: " + finding.message);
        certificate.sections.push_back(section);
    }

    CertificateSection left{"as-left", "Calibration as left", {}, {}, {}, {}};
    CertificateTable summary{
        "Summary, image as left",
        {"quantity", "RMS error", "largest error", "largest / span", "tolerance", "beyond"},
        {},
        true};
    summary.rows.push_back(WrittenRow("position (mm)", fit.positionResults, plan.position));
    if (fit.forceResults && force)
        summary.rows.push_back(WrittenRow("force (N)", *fit.forceResults, *force));
    left.tables.push_back(summary);
    left.tables.push_back(
        Coefficients("PositionCoefficients", "c", fit.stored.position, fit.position.uncertainty));
    if (fit.forcePolynomial)
        left.tables.push_back(Coefficients("ForceCoefficients, between x2 and x1", "d",
                                           fit.stored.force, fit.forcePolynomial->uncertainty));
    if (fit.linearForce)
        left.tables.push_back(CertificateTable{
            "Linear force law",
            {"coefficient", "stored value", "standard uncertainty"},
            {{"k", FloatText(fit.stored.forceK), Figure(fit.linearForce->slopeUncertainty)},
             {"x0", FloatText(fit.stored.forceX0), Figure(fit.linearForce->zeroUncertainty)}},
            true});
    left.paragraphs.push_back(
        FitParagraph("Position", fit.position.uncertainty, fit.positionResults, "mm"));
    if (fit.forcePolynomial && fit.forceResults)
        left.paragraphs.push_back(
            FitParagraph("Force", fit.forcePolynomial->uncertainty, *fit.forceResults, "N"));
    if (fit.linearForce && fit.forceResults)
        left.paragraphs.push_back(
            FitParagraph("Force", fit.linearForce->line, *fit.forceResults, "N"));
    for (const Finding& warning : fit.warnings)
        left.paragraphs.push_back("Warning: " + warning.message);
    left.tables.push_back(FitPoints("Position (mm)", plan.position, fit.positionResults,
                                    fit.position.uncertainty.atMeasurements,
                                    found && found->position ? &*found->position : nullptr));
    if (fit.forceResults && force) {
        left.tables.push_back(FitPoints("Force (N)", *force, *fit.forceResults,
                                        ForceFitUncertainty(fit, *force),
                                        found && found->force ? &*found->force : nullptr));
    }
    certificate.sections.push_back(left);

    std::vector<CertificatePlot> plots;
    if (asFound && !asFoundPlot.empty())
        plots.push_back({"As found: " + asFound->file, asFoundPlot});
    plots.push_back({"As left: " + asLeft.file, asLeftPlot});
    certificate.sections.push_back(PlotSection(plots));
    return certificate;
}
