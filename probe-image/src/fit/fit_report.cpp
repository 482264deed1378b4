#include "fit_report.h"

#include <cstdio>
#include <iomanip>

#include "finding_output.h"
#include "joined_text.h"
#include "number_text.h"

namespace {

using Json = nlohmann::ordered_json;

constexpr int kColumn = 16;

std::string Figure(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", value);
    return text;
}

Json FloatJson(float value) {
    return ShortestDouble(value);
}

Json FloatsJson(const std::vector<float>& values) {
    Json json = Json::array();
    for (float value : values)
        json.push_back(FloatJson(value));
    return json;
}

Json SummaryJson(const ResidualSummary& summary) {
    return Json{{"rms", summary.rms}, {"max", summary.max}};
}

Json PointsJson(const Measurements& measurements, const LibraryResults& results) {
    Json points = Json::array();
    for (std::size_t i = 0; i < measurements.raw.size(); ++i)
        points.push_back(Json{{"raw", FloatJson(measurements.raw[i])},
                              {"measured", measurements.value[i]},
                              {"library", FloatJson(results.outputs[i])},
                              {"residual", results.residuals[i]}});
    return points;
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
                    const ResidualSummary& written, std::size_t trials) {
    const auto line = [&](const char* name, const ResidualSummary& summary,
                          const std::string& what) {
        out << "    " << std::left << std::setw(kColumn) << name << std::setw(kColumn)
            << DoubleText(summary.rms) << std::setw(kColumn) << DoubleText(summary.max) << what
            << "\n";
    };
    out << "  residuals           RMS             max\n";
    line("double", inDouble, "the least-squares solution before float32 storage");
    line("rounded", rounded, "each value rounded on its own, through the library");
    line("refined", refined,
         "refined through the library (" + std::to_string(trials) + " images tried)");
    line("written", written, "the image written, through the library");
}

void PrintPoints(std::ostream& out, const Measurements& measurements,
                 const LibraryResults& results) {
    out << "  " << std::left << std::setw(kColumn) << "raw" << std::setw(kColumn) << "measured"
        << std::setw(kColumn) << "library"
        << "residual\n";
    for (std::size_t i = 0; i < measurements.raw.size(); ++i)
        out << "  " << std::setw(kColumn) << FloatText(measurements.raw[i]) << std::setw(kColumn)
            << Figure(measurements.value[i]) << std::setw(kColumn) << FloatText(results.outputs[i])
            << DoubleText(results.residuals[i]) << "\n";
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

void PrintFitReport(const FitReportContext& report, std::ostream& out) {
    const FitPlan& plan = report.plan;
    const CalibrationFit& fit = report.fit;
    out << "fit: type " << plan.type << " through " << report.library << "\n\n";

    out << "position from " << plan.position.source << ": " << plan.position.raw.size()
        << " measurements, gain " << static_cast<unsigned>(fit.gain) << "\n";
    PrintPolynomial(out, fit.position, fit.stored.position, "PositionCoefficients");
    PrintResiduals(out, fit.position.doubleResiduals, fit.position.floats.roundedResiduals,
                   fit.position.floats.refinedResiduals, fit.positionResults.summary,
                   fit.position.floats.trials);
    PrintPoints(out, plan.position, fit.positionResults);

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
            PrintResiduals(out, linear.doubleResiduals, linear.roundedResiduals,
                           linear.refinedResiduals, fit.forceResults->summary, linear.trials);
        } else if (fit.forcePolynomial) {
            const PolynomialFit& polynomial = *fit.forcePolynomial;
            out << "  piecewise law: f2 " << FloatText(fit.forceF2) << " below x2 "
                << FloatText(fit.forceX2) << ", the polynomial up to x1 " << FloatText(fit.forceX1)
                << ", f1 " << FloatText(fit.forceF1) << " from there\n";
            PrintPolynomial(out, polynomial, fit.stored.force, "ForceCoefficients");
            PrintResiduals(out, polynomial.doubleResiduals, polynomial.floats.roundedResiduals,
                           polynomial.floats.refinedResiduals, fit.forceResults->summary,
                           polynomial.floats.trials);
            out << "  (double, rounded and refined cover the readings between x2 and x1; "
                   "written covers them all)\n";
        }
        PrintPoints(out, measured, *fit.forceResults);
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
    position["points"] = PointsJson(plan.position, fit.positionResults);

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
        }
        force["source"] = measured.source;
        force["measurements"] = measured.raw.size();
        force["points"] = PointsJson(measured, *fit.forceResults);
        json["force"] = force;
    }
    json["warnings"] = FindingsJson(fit.warnings);
    return json;
}
