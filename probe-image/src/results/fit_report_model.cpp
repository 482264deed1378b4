#include "fit_report_model.h"

namespace {

ResidualStages PolynomialStages(const PolynomialFit& fit, const LibraryResults& written) {
    return {fit.doubleResiduals, fit.floats.roundedResiduals, fit.floats.refinedResiduals,
            written.summary, fit.floats.trials};
}

std::optional<AsFoundFigures> AsFoundOf(const FitReportContext& report,
                                        std::optional<MeasurementCheck> ImageCheck::*quantity) {
    if (!report.asFound || !(report.asFound->*quantity))
        return std::nullopt;
    return AsFoundFigures{report.asFoundFile, &*(report.asFound->*quantity)};
}

FitSection PositionSection(const FitReportContext& report) {
    const CalibrationFit& fit = report.fit;
    FitSection section;
    section.measured = &report.plan.position;
    section.gain = fit.gain;
    section.polynomial = PolynomialFigures{&fit.position, fit.stored.position,
                                           "PositionCoefficients", "position", "mm"};
    section.uncertainty = &fit.position.uncertainty;
    section.written = &fit.positionResults;
    section.residuals = PolynomialStages(fit.position, fit.positionResults);
    section.asFound = AsFoundOf(report, &ImageCheck::position);
    section.fitUncertainty = fit.position.uncertainty.atMeasurements;
    return section;
}

std::optional<FitSection> ForceSection(const FitReportContext& report) {
    const CalibrationFit& fit = report.fit;
    if (!report.plan.force || !fit.forceResults)
        return std::nullopt;
    FitSection section;
    section.measured = &report.plan.force->measurements;
    section.written = &*fit.forceResults;
    if (fit.linearForce) {
        const LinearForceFit& linear = *fit.linearForce;
        section.linear = LinearLawFigures{fit.stored.forceK, fit.stored.forceX0, &linear};
        section.uncertainty = &linear.line;
        section.residuals = {linear.doubleResiduals, linear.roundedResiduals,
                             linear.refinedResiduals, fit.forceResults->summary, linear.trials};
    } else if (fit.forcePolynomial) {
        const PolynomialFit& polynomial = *fit.forcePolynomial;
        section.polynomial =
            PolynomialFigures{&polynomial, fit.stored.force, "ForceCoefficients", "force", "N"};
        section.piecewise = PiecewiseLawFigures{fit.forceX2, fit.forceX1, fit.forceF2, fit.forceF1,
                                                polynomial.solution.fitted.size()};
        section.uncertainty = &polynomial.uncertainty;
        section.residuals = PolynomialStages(polynomial, *fit.forceResults);
    }
    section.asFound = AsFoundOf(report, &ImageCheck::force);
    section.fitUncertainty = ForceFitUncertainty(fit, *section.measured);
    return section;
}

}  // namespace

std::vector<double> ForceFitUncertainty(const CalibrationFit& fit, const Measurements& measured) {
    if (fit.linearForce)
        return fit.linearForce->line.atMeasurements;
    if (!fit.forcePolynomial)
        return {};
    std::vector<double> u(measured.raw.size(), 0);
    const std::vector<double>& between = fit.forcePolynomial->uncertainty.atMeasurements;
    for (std::size_t k = 0; k < fit.forceFitted.size() && k < between.size(); ++k)
        if (fit.forceFitted[k] < u.size())
            u[fit.forceFitted[k]] = between[k];
    return u;
}

std::vector<ResultColumn> FitColumns(const Measurements& measured, const LibraryResults* asFound,
                                     const std::vector<double>& fittedUncertainty, bool json) {
    std::vector<ResultColumn> columns;
    if (!measured.uncertainty.empty())
        columns.push_back({"u", "u", measured.uncertainty});
    if ((json || !measured.uncertainty.empty()) && !fittedUncertainty.empty())
        columns.push_back({"u(fit)", "uFit", fittedUncertainty});
    if (asFound)
        columns.push_back({"as found", "asFound", asFound->residuals});
    return columns;
}

FitReportModel FitReportModelOf(const FitReportContext& report) {
    return {report.plan.type,        report.library,       report.output,
            PositionSection(report), ForceSection(report), &report.fit.warnings};
}

std::vector<ResultColumn> SectionColumns(const FitSection& section, bool json) {
    return FitColumns(*section.measured,
                      section.asFound ? &section.asFound->check->results : nullptr,
                      section.fitUncertainty, json);
}
