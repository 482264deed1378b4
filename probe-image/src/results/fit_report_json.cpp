// The fit report as JSON for scripts.
#include "fit_report.h"

#include "finding_output.h"
#include "fit_report_model.h"

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

Json StagesJson(const ResidualStages& stages) {
    return Json{{"double", SummaryJson(stages.inDouble)},
                {"rounded", SummaryJson(stages.rounded)},
                {"refined", SummaryJson(stages.refined)},
                {"written", SummaryJson(stages.written)}};
}

void AddPolynomial(Json& json, const PolynomialFigures& polynomial, std::size_t trials) {
    const PolynomialFit& fit = *polynomial.fit;
    Json scores = Json::array();
    for (const OrderScore& score : fit.criterion.scores)
        scores.push_back(Json{{"order", score.order}, {"bic", score.criterion}});
    json["order"] = fit.order;
    json["orderChoice"] = fit.chosen ? "bic" : "given";
    json["distinctReadings"] = fit.distinct;
    json["criterion"] =
        Json{{"name", "BIC"}, {"preferredOrder", fit.preferredOrder}, {"scores", scores}};
    json["conditionNumber"] = fit.solution.monomialCondition;
    json["solveConditionNumber"] = fit.solution.solveCondition;
    json["coefficients"] = FloatsJson(polynomial.stored);
    json["doubleCoefficients"] = fit.solution.coefficients;
    json["trials"] = trials;
}

void AddLinearLaw(Json& json, const LinearLawFigures& law, std::size_t trials) {
    json["law"] = "linear";
    json["ForceK"] = FloatJson(law.forceK);
    json["ForceX0"] = FloatJson(law.forceX0);
    json["doubleForceK"] = law.fit->slope;
    json["doubleForceX0"] = law.fit->zero;
    json["trials"] = trials;
}

void AddPiecewiseLaw(Json& json, const PiecewiseLawFigures& law) {
    json["law"] = "piecewise";
    json["fittedMeasurements"] = law.fittedMeasurements;
    json["ForceX2"] = FloatJson(law.forceX2);
    json["ForceX1"] = FloatJson(law.forceX1);
    json["ForceF2"] = FloatJson(law.forceF2);
    json["ForceF1"] = FloatJson(law.forceF1);
}

// A polynomial's coefficients with their covariance, or k and x0 of the linear law.
Json UncertaintyJson(const FitSection& section) {
    const PolynomialUncertainty& uncertainty = *section.uncertainty;
    Json json{{"basis", uncertainty.stated ? "stated" : "residuals"}};
    if (!section.linear) {
        const std::size_t columns = uncertainty.coefficients.size();
        Json covariance = Json::array();
        for (std::size_t i = 0; i < columns; ++i)
            covariance.push_back(std::vector<double>(
                uncertainty.covariance.begin() + static_cast<std::ptrdiff_t>(i * columns),
                uncertainty.covariance.begin() + static_cast<std::ptrdiff_t>((i + 1) * columns)));
        json["coefficients"] = uncertainty.coefficients;
        json["covariance"] = covariance;
    }
    json["largest"] = uncertainty.largest;
    if (section.written->reducedChiSquare) {
        json["reducedChiSquare"] = *section.written->reducedChiSquare;
        json["degreesOfFreedom"] = section.written->degreesOfFreedom;
    }
    if (section.linear) {
        json["ForceK"] = section.linear->fit->slopeUncertainty;
        json["ForceX0"] = section.linear->fit->zeroUncertainty;
    }
    return json;
}

Json SectionJson(const FitSection& section) {
    const Measurements& measured = *section.measured;
    Json json = Json::object();
    if (section.polynomial)
        AddPolynomial(json, *section.polynomial, section.residuals.trials);
    if (section.linear)
        AddLinearLaw(json, *section.linear, section.residuals.trials);
    if (section.piecewise)
        AddPiecewiseLaw(json, *section.piecewise);
    // The position names its measurements before its residuals, a force law after
    // its uncertainty.
    if (section.gain) {
        json["source"] = measured.source;
        json["gain"] = *section.gain;
        json["measurements"] = measured.raw.size();
    }
    json["residuals"] = StagesJson(section.residuals);
    if (section.uncertainty)
        json["uncertainty"] = UncertaintyJson(section);
    if (!section.gain) {
        json["source"] = measured.source;
        json["measurements"] = measured.raw.size();
    }
    if (section.asFound) {
        const MeasurementCheck& check = *section.asFound->check;
        json["asFound"] = Json{{"file", section.asFound->file},
                               {"residuals", SummaryJson(check.results.summary)},
                               {"shareOfSpan", check.largestShare}};
    }
    json["points"] = ResultPointsJson(measured, *section.written, SectionColumns(section, true));
    return json;
}

}  // namespace

nlohmann::ordered_json FitReportJson(const FitReportContext& report) {
    const FitReportModel model = FitReportModelOf(report);
    Json json{{"type", model.type},
              {"library", model.library},
              {"output", model.output},
              {"position", SectionJson(model.position)}};
    if (model.force)
        json["force"] = SectionJson(*model.force);
    json["warnings"] = FindingsJson(*model.warnings);
    return json;
}
