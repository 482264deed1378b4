#include "fit_report.h"

#include <iomanip>

#include "finding_output.h"
#include "joined_text.h"
#include "number_text.h"

namespace {

using Json = nlohmann::ordered_json;

Json FloatsJson(const std::vector<float>& values) {
    Json json = Json::array();
    for (float value : values)
        json.push_back(FloatJson(value));
    return json;
}

Json SummaryJson(const ResidualSummary& summary) {
    return Json{{"rms", summary.rms}, {"max", summary.max}};
}

Json PolynomialJson(const PolynomialFit& fit, const std::vector<float>& stored) {
    Json scores = Json::array();
    for (const OrderScore& score : fit.criterion.scores)
        scores.push_back(Json{{"order", score.order}, {"bic", score.criterion}});
    Json json{{"order", fit.order},
              {"orderChoice", fit.chosen ? "bic" : "given"},
              {"distinctReadings", fit.distinct},
              {"criterion",
               Json{{"name", "BIC"}, {"preferredOrder", fit.preferredOrder}, {"scores", scores}}},
              {"conditionNumber", fit.solution.monomialCondition},
              {"solveConditionNumber", fit.solution.solveCondition},
              {"coefficients", FloatsJson(stored)},
              {"doubleCoefficients", fit.solution.coefficients},
              {"trials", fit.floats.trials}};
    return json;
}

Json ResidualsJson(const ResidualSummary& inDouble, const ResidualSummary& rounded,
                   const ResidualSummary& refined, const ResidualSummary& written) {
    return Json{{"double", SummaryJson(inDouble)},
                {"rounded", SummaryJson(rounded)},
                {"refined", SummaryJson(refined)},
                {"written", SummaryJson(written)}};
}

void PrintResiduals(std::ostream& out, const ResidualSummary& inDouble,
                    const ResidualSummary& rounded, const ResidualSummary& refined,
                    const ResidualSummary& written, std::size_t trials,
                    const MeasurementCheck* asFound, const std::string& asFoundFile) {
    out << "  residuals           RMS             max\n";
    PrintResidualLine(out, "double", inDouble, "the least-squares solution before float32 storage");
    PrintResidualLine(out, "rounded", rounded,
                      "each value rounded on its own, through the library");
    PrintResidualLine(out, "refined", refined,
                      "refined through the library (" + std::to_string(trials) + " images tried)");
    PrintResidualLine(out, "written", written, "the image written, through the library");
    if (asFound)
        PrintResidualLine(out, "as found", asFound->results.summary,
                          "the image as found (" + asFoundFile + "), through the library");
}

// What the covariance of the solution says: the coefficients' standard
// uncertainties, the fitted result's largest, and the reduced chi-square of the
// image written against the stated uncertainties.
void PrintUncertainty(std::ostream& out, const PolynomialUncertainty& uncertainty,
                      const LibraryResults& written, const char* coefficientName,
                      const char* result, const char* unit) {
    out << "  u(" << coefficientName << ") "
        << JoinedText(uncertainty.coefficients, ", ", DoubleText)
        << (uncertainty.stated ? " (from the stated uncertainties)"
                               : " (scaled by the residuals: no uncertainties stated)")
        << "\n";
    out << "  u(" << result << ") at most " << DoubleText(uncertainty.largest) << " " << unit
        << " over the measured range\n";
    if (written.reducedChiSquare)
        out << "  reduced chi-square " << DoubleText(*written.reducedChiSquare) << " with "
            << written.degreesOfFreedom << " degrees of freedom\n";
}

Json UncertaintyJson(const PolynomialUncertainty& uncertainty, const LibraryResults& written) {
    const std::size_t columns = uncertainty.coefficients.size();
    Json covariance = Json::array();
    for (std::size_t i = 0; i < columns; ++i)
        covariance.push_back(std::vector<double>(
            uncertainty.covariance.begin() + static_cast<std::ptrdiff_t>(i * columns),
            uncertainty.covariance.begin() + static_cast<std::ptrdiff_t>((i + 1) * columns)));
    Json json{{"basis", uncertainty.stated ? "stated" : "residuals"},
              {"coefficients", uncertainty.coefficients},
              {"covariance", covariance},
              {"largest", uncertainty.largest}};
    if (written.reducedChiSquare) {
        json["reducedChiSquare"] = *written.reducedChiSquare;
        json["degreesOfFreedom"] = written.degreesOfFreedom;
    }
    return json;
}

Json AsFoundJson(const MeasurementCheck& check, const std::string& file) {
    return Json{{"file", file},
                {"residuals", SummaryJson(check.results.summary)},
                {"shareOfSpan", check.largestShare}};
}

}  // namespace

std::vector<double> ForceFitUncertainty(const CalibrationFit& fit, const Measurements& measured) {
    if (fit.linearForce)
        return fit.linearForce->line.atMeasurements;
    if (!fit.forcePolynomial)
        return {};
    std::vector<double> u(measured.raw.size(), 0);
    std::size_t next = 0;
    const std::vector<double>& between = fit.forcePolynomial->uncertainty.atMeasurements;
    for (std::size_t i = 0; i < measured.raw.size() && next < between.size(); ++i)
        if (measured.raw[i] >= fit.forceX2 && measured.raw[i] < fit.forceX1)
            u[i] = between[next++];
    return u;
}

namespace {

const LibraryResults* AsFoundResults(const std::optional<MeasurementCheck>& check) {
    return check ? &check->results : nullptr;
}

void PrintPolynomial(std::ostream& out, const PolynomialFit& fit, const std::vector<float>& stored,
                     const char* coefficientName) {
    out << "  order " << fit.order;
    if (fit.chosen)
        out << ", chosen by the Bayesian information criterion (BIC) from "
            << fit.criterion.scores.front().order << " to " << fit.criterion.scores.back().order;
    else
        out << ", as given";
    out << " (" << fit.distinct << " different readings)\n";
    out << "  condition number " << DoubleText(fit.solution.monomialCondition)
        << " in the monomial basis the image stores (columns scaled), "
        << DoubleText(fit.solution.solveCondition)
        << " in the centred and scaled basis of the solve\n";
    out << "  " << coefficientName << " " << JoinedText(stored, ", ", FloatText) << "\n";
}

}  // namespace

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

void PrintFitReport(const FitReportContext& report, std::ostream& out) {
    const FitPlan& plan = report.plan;
    const CalibrationFit& fit = report.fit;
    out << "fit: type " << plan.type << " through " << report.library << "\n\n";

    out << "position from " << plan.position.source << ": " << plan.position.raw.size()
        << " measurements, gain " << static_cast<unsigned>(fit.gain) << "\n";
    const ImageCheck* asFound = report.asFound;
    PrintPolynomial(out, fit.position, fit.stored.position, "PositionCoefficients");
    PrintUncertainty(out, fit.position.uncertainty, fit.positionResults, "PositionCoefficients",
                     "position", "mm");
    PrintResiduals(out, fit.position.doubleResiduals, fit.position.floats.roundedResiduals,
                   fit.position.floats.refinedResiduals, fit.positionResults.summary,
                   fit.position.floats.trials,
                   asFound && asFound->position ? &*asFound->position : nullptr,
                   report.asFoundFile);
    PrintResultTable(
        out, plan.position, fit.positionResults,
        FitColumns(plan.position, asFound ? AsFoundResults(asFound->position) : nullptr,
                   fit.position.uncertainty.atMeasurements, false));

    if (plan.force && fit.forceResults) {
        const Measurements& measured = plan.force->measurements;
        out << "\nforce from " << measured.source << ": " << measured.raw.size()
            << " measurements\n";
        if (fit.linearForce) {
            const LinearForceFit& linear = *fit.linearForce;
            out << "  linear law: force = (raw - x0) x k with k " << FloatText(fit.stored.forceK)
                << ", x0 " << FloatText(fit.stored.forceX0) << " (in double k "
                << DoubleText(linear.slope) << ", x0 " << DoubleText(linear.zero)
                << "; the image keeps two decimals)\n";
            out << "  u(k) " << DoubleText(linear.slopeUncertainty) << ", u(x0) "
                << DoubleText(linear.zeroUncertainty)
                << (linear.line.stated ? " (from the stated uncertainties)"
                                       : " (scaled by the residuals: no uncertainties stated)")
                << "\n";
            if (fit.forceResults->reducedChiSquare)
                out << "  reduced chi-square " << DoubleText(*fit.forceResults->reducedChiSquare)
                    << " with " << fit.forceResults->degreesOfFreedom << " degrees of freedom\n";
            PrintResiduals(out, linear.doubleResiduals, linear.roundedResiduals,
                           linear.refinedResiduals, fit.forceResults->summary, linear.trials,
                           asFound && asFound->force ? &*asFound->force : nullptr,
                           report.asFoundFile);
        } else if (fit.forcePolynomial) {
            const PolynomialFit& polynomial = *fit.forcePolynomial;
            out << "  piecewise law: f2 " << FloatText(fit.forceF2) << " below x2 "
                << FloatText(fit.forceX2) << ", the polynomial up to x1 " << FloatText(fit.forceX1)
                << ", f1 " << FloatText(fit.forceF1) << " from there\n";
            PrintPolynomial(out, polynomial, fit.stored.force, "ForceCoefficients");
            PrintUncertainty(out, polynomial.uncertainty, *fit.forceResults, "ForceCoefficients",
                             "force", "N");
            PrintResiduals(out, polynomial.doubleResiduals, polynomial.floats.roundedResiduals,
                           polynomial.floats.refinedResiduals, fit.forceResults->summary,
                           polynomial.floats.trials,
                           asFound && asFound->force ? &*asFound->force : nullptr,
                           report.asFoundFile);
            out << "  (double, rounded and refined cover the readings between x2 and x1; "
                   "written covers them all)\n";
        }
        PrintResultTable(out, measured, *fit.forceResults,
                         FitColumns(measured, asFound ? AsFoundResults(asFound->force) : nullptr,
                                    ForceFitUncertainty(fit, measured), false));
    }

    out << "\nwarnings\n";
    PrintFindings(fit.warnings, out);
    out << "\nwrote " << report.output << "\n";
}

Json FitReportJson(const FitReportContext& report) {
    const FitPlan& plan = report.plan;
    const CalibrationFit& fit = report.fit;
    Json position = PolynomialJson(fit.position, fit.stored.position);
    position["source"] = plan.position.source;
    position["gain"] = fit.gain;
    position["measurements"] = plan.position.raw.size();
    position["residuals"] =
        ResidualsJson(fit.position.doubleResiduals, fit.position.floats.roundedResiduals,
                      fit.position.floats.refinedResiduals, fit.positionResults.summary);
    position["uncertainty"] = UncertaintyJson(fit.position.uncertainty, fit.positionResults);
    const ImageCheck* asFound = report.asFound;
    if (asFound && asFound->position)
        position["asFound"] = AsFoundJson(*asFound->position, report.asFoundFile);
    position["points"] = ResultPointsJson(
        plan.position, fit.positionResults,
        FitColumns(plan.position, asFound ? AsFoundResults(asFound->position) : nullptr,
                   fit.position.uncertainty.atMeasurements, true));

    Json json{{"type", plan.type},
              {"library", report.library},
              {"output", report.output},
              {"position", position}};
    if (plan.force && fit.forceResults) {
        const Measurements& measured = plan.force->measurements;
        Json force;
        if (fit.linearForce) {
            const LinearForceFit& linear = *fit.linearForce;
            force = Json{{"law", "linear"},
                         {"ForceK", FloatJson(fit.stored.forceK)},
                         {"ForceX0", FloatJson(fit.stored.forceX0)},
                         {"doubleForceK", linear.slope},
                         {"doubleForceX0", linear.zero},
                         {"trials", linear.trials}};
            force["residuals"] = ResidualsJson(linear.doubleResiduals, linear.roundedResiduals,
                                               linear.refinedResiduals, fit.forceResults->summary);
            Json uncertainty = UncertaintyJson(linear.line, *fit.forceResults);
            uncertainty.erase("coefficients");
            uncertainty.erase("covariance");
            uncertainty["ForceK"] = linear.slopeUncertainty;
            uncertainty["ForceX0"] = linear.zeroUncertainty;
            force["uncertainty"] = uncertainty;
        } else if (fit.forcePolynomial) {
            const PolynomialFit& polynomial = *fit.forcePolynomial;
            force = PolynomialJson(polynomial, fit.stored.force);
            force["law"] = "piecewise";
            force["fittedMeasurements"] = polynomial.solution.fitted.size();
            force["ForceX2"] = FloatJson(fit.forceX2);
            force["ForceX1"] = FloatJson(fit.forceX1);
            force["ForceF2"] = FloatJson(fit.forceF2);
            force["ForceF1"] = FloatJson(fit.forceF1);
            force["residuals"] =
                ResidualsJson(polynomial.doubleResiduals, polynomial.floats.roundedResiduals,
                              polynomial.floats.refinedResiduals, fit.forceResults->summary);
            force["uncertainty"] = UncertaintyJson(polynomial.uncertainty, *fit.forceResults);
        }
        force["source"] = measured.source;
        force["measurements"] = measured.raw.size();
        if (asFound && asFound->force)
            force["asFound"] = AsFoundJson(*asFound->force, report.asFoundFile);
        force["points"] = ResultPointsJson(
            measured, *fit.forceResults,
            FitColumns(measured, asFound ? AsFoundResults(asFound->force) : nullptr,
                       ForceFitUncertainty(fit, measured), true));
        json["force"] = force;
    }
    json["warnings"] = FindingsJson(fit.warnings);
    return json;
}
