#include "calibration_fit.h"

#include <algorithm>
#include <cmath>
#include <string_view>

#include "image_layout.h"
#include "joined_text.h"
#include "library_curves.h"
#include "number_text.h"
#include "plan_conflict.h"
#include "position_argument.h"
#include "probe_types.h"
#include "tool_error.h"

namespace {

constexpr char kPositionField[] = "PositionCoefficients";
constexpr char kForceField[] = "ForceCoefficients";
constexpr char kGainField[] = "Gain";
// The fields a force fit sets itself.
constexpr const char* kForceLawFields[] = {"ForceK",  "ForceX0", "ForceX1",  "ForceX2",
                                           "ForceF1", "ForceF2", kForceField};

// A fit through the library that is worse than the solution in double by more than
// this factor (and the results' float spacing) has lost to float32 storage.
constexpr double kStorageLossFactor = 1.25;

[[noreturn]] void Usage(const std::string& message) {
    throw ToolError(ExitUsage, message);
}

[[noreturn]] void Conflict(PlanConflict conflict, const std::string& message) {
    throw FitPlanError(std::move(conflict), message);
}

[[noreturn]] void SetByFit(const std::string& field, const char* why) {
    Conflict({PlanConflictKind::FieldSetByFit, field, 0, 0, 0}, field + ": " + why);
}

FieldEdit Edit(std::string_view name, const std::string& value) {
    return ParseFieldEdit(std::string(name) + "=" + value);
}

std::string FloatList(const std::vector<float>& values) {
    return JoinedText(values, ",", ShortestText);
}

std::vector<float> Rounded(const std::vector<double>& coefficients) {
    return std::vector<float>(coefficients.begin(), coefficients.end());
}

bool Piecewise(const FitPlan& plan) {
    return plan.force && !plan.force->thresholds.empty();
}

// Refuses what the image cannot take before anything is computed.
void CheckPlan(const FitPlan& plan) {
    for (const FieldEdit& edit : plan.edits)
        if (edit.field->name == std::string_view(kPositionField))
            SetByFit(kPositionField, "the fit sets them");
    if (plan.positionOrder && *plan.positionOrder > probe::kMaxOrder)
        Usage("position order " + std::to_string(*plan.positionOrder) +
              " is beyond the image (at most " + std::to_string(probe::kMaxOrder) + ")");
    if (!plan.force)
        return;
    const ForcePlan& force = *plan.force;
    if (plan.type == kTypeWithRatioLaw)
        Usage("type 2 has no force law to fit: its force is raw / R x F with R and F fixed");
    for (const char* name : kForceLawFields)
        if (HasEdit(plan.edits, name))
            SetByFit(name, "the force fit sets it");
    if (force.thresholds.empty() && force.order && *force.order > 0)
        Conflict({PlanConflictKind::ForceOrderWithoutThresholds, "", *force.order, 0, 0},
                 "force order " + std::to_string(*force.order) +
                     " needs the thresholds ForceX2, ForceX1, ForceF2 and ForceF1: without them "
                     "the force law is linear");
    if (!force.thresholds.empty() && force.order && *force.order == 0)
        Conflict({PlanConflictKind::ThresholdsWithLinearLaw, "", 0, 0, 0},
                 "force order 0 is the linear law, which has no thresholds: give none, or a "
                 "force order of 1 or more");
    if (!Piecewise(plan) || !force.order)
        return;
    if (*force.order > probe::kMaxOrder)
        Usage("force order " + std::to_string(*force.order) + " is beyond the image (at most " +
              std::to_string(probe::kMaxOrder) + ")");
    if (plan.positionOrder && *plan.positionOrder + *force.order > probe::kMaxOrderSum)
        Usage("position order " + std::to_string(*plan.positionOrder) + " and force order " +
              std::to_string(*force.order) + " are beyond the image together (at most " +
              std::to_string(probe::kMaxOrderSum) + ")");
}

// The highest order one polynomial may have beside the other's.
unsigned LimitBeside(unsigned other) {
    return std::min(probe::kMaxOrder, probe::kMaxOrderSum - std::min(other, probe::kMaxOrderSum));
}

std::uint8_t GainOf(std::vector<FieldEdit>& edits) {
    for (const FieldEdit& edit : edits)
        if (edit.field->name == std::string_view(kGainField))
            return static_cast<std::uint8_t>(edit.integer);
    edits.push_back(Edit(kGainField, std::to_string(kUnityGain)));
    return kUnityGain;
}

// 1/u in the polynomial's units, for a polynomial whose result is outputPerValue
// times its value.
std::vector<double> WeightsOf(const std::vector<double>& uncertainties, double outputPerValue) {
    std::vector<double> weights;
    for (double u : uncertainties)
        weights.push_back(std::abs(outputPerValue) / u);
    return weights;
}

PolynomialSamples PositionSamples(const Measurements& measurements, std::uint8_t gain) {
    PolynomialSamples samples;
    samples.outputPerValue = kPositionPerValue;
    samples.measured = measurements.value;
    samples.weights = WeightsOf(measurements.uncertainty, samples.outputPerValue);
    for (float raw : measurements.raw) {
        samples.x.push_back(PositionArgument(raw, gain));
        if (!std::isfinite(samples.x.back()))
            throw ToolError(ExitFile, measurements.source + ": raw reading " + FloatText(raw) +
                                          " takes the position polynomial beyond the float "
                                          "range at gain " +
                                          std::to_string(gain));
    }
    return samples;
}

// The readings the force polynomial serves: x2 <= raw < x1.
std::vector<std::size_t> BetweenThresholds(const Measurements& measurements, float x2, float x1) {
    std::vector<std::size_t> between;
    for (std::size_t i = 0; i < measurements.raw.size(); ++i)
        if (measurements.raw[i] >= x2 && measurements.raw[i] < x1)
            between.push_back(i);
    return between;
}

// The image with the edits and these values, made by the encoder as "new" makes it.
EncodedImage Build(const BoundLibrary& library, const FitPlan& plan,
                   const std::vector<FieldEdit>& edits, const CalibrationValues& values) {
    std::vector<FieldEdit> all = edits;
    all.push_back(Edit(kPositionField, FloatList(values.position)));
    if (Piecewise(plan)) {
        all.insert(all.end(), plan.force->thresholds.begin(), plan.force->thresholds.end());
        all.push_back(Edit(kForceField, FloatList(values.force)));
    } else if (plan.force) {
        all.push_back(Edit("ForceK", ShortestText(values.forceK)));
        all.push_back(Edit("ForceX0", ShortestText(values.forceX0)));
    }
    return NewImage(library, plan.type, all);
}

double SpacingRms(const std::vector<double>& values) {
    double sum = 0;
    for (double value : values)
        sum += FloatSpacing(value) * FloatSpacing(value);
    return std::sqrt(sum / static_cast<double>(values.size()));
}

Finding Warning(std::string check, std::string in, std::string message,
                std::vector<std::pair<std::string, double>> values) {
    Finding finding;
    finding.check = std::move(check);
    finding.severity = Severity::Warning;
    finding.in = std::move(in);
    finding.values = std::move(values);
    finding.message = std::move(message);
    return finding;
}

void AddPolynomialWarnings(const PolynomialFit& fit, const std::vector<double>& measured,
                           const char* in, std::vector<Finding>& warnings) {
    const std::string order = std::to_string(fit.order);
    if (fit.order >= 1 && fit.distinct == fit.order + 1u)
        warnings.push_back(Warning(
            "order-above-data", in,
            "order " + order + " has as many coefficients as there are different readings (" +
                std::to_string(fit.distinct) +
                "): the polynomial passes through them all and its residuals tell nothing of "
                "its quality",
            {{"order", fit.order}, {"distinctReadings", static_cast<double>(fit.distinct)}}));
    else if (!fit.chosen && fit.preferredOrder < fit.order)
        warnings.push_back(Warning("order-above-data", in,
                                   "order " + order +
                                       " is more than the measurements support: the information "
                                       "criterion (BIC) prefers order " +
                                       std::to_string(fit.preferredOrder) + " (condition number " +
                                       DoubleText(fit.solution.monomialCondition) + ")",
                                   {{"order", fit.order}, {"preferredOrder", fit.preferredOrder}}));
    const ResidualSummary& stored = fit.floats.refinedResiduals;
    if (!(stored.rms <= kStorageLossFactor * fit.doubleResiduals.rms + SpacingRms(measured)))
        warnings.push_back(
            Warning("float-storage-loss", in,
                    "the float32 coefficients the image holds cannot keep this fit: RMS " +
                        DoubleText(stored.rms) + " through the library against " +
                        DoubleText(fit.doubleResiduals.rms) +
                        " in double (condition number of the stored basis " +
                        DoubleText(fit.solution.monomialCondition) +
                        "); a lower order or readings over a wider range help",
                    {{"rms", stored.rms},
                     {"doubleRms", fit.doubleResiduals.rms},
                     {"conditionNumber", fit.solution.monomialCondition}}));
}

void AddLinearWarning(const LinearForceFit& fit, const std::vector<double>& measured,
                      std::vector<Finding>& warnings) {
    const ResidualSummary& stored = fit.refinedResiduals;
    if (!(stored.rms <= kStorageLossFactor * fit.doubleResiduals.rms + SpacingRms(measured)))
        warnings.push_back(Warning(
            "force-law-rounding", "ForceK",
            "the image keeps k and x0 to two decimals: RMS " + DoubleText(stored.rms) +
                " through the library against " + DoubleText(fit.doubleResiduals.rms) + " for k " +
                DoubleText(fit.slope) + " and x0 " + DoubleText(fit.zero) + " in double",
            {{"rms", stored.rms}, {"doubleRms", fit.doubleResiduals.rms}}));
}

// Why an image whose results are further from the measurements than the
// measurements are from their own mean must not be written; empty when they are not.
std::string Uselessness(const LibraryResults& results, const Measurements& measured,
                        const char* what) {
    double mean = 0;
    for (double value : measured.value)
        mean += value / static_cast<double>(measured.value.size());
    double spread = 0;
    for (double value : measured.value)
        spread += (value - mean) * (value - mean);
    spread = std::sqrt(spread / static_cast<double>(measured.value.size()));
    if (results.summary.rms <= spread)
        return "";
    return std::string("the ") + what +
           " the library computes from the image are further from the measurements (RMS " +
           DoubleText(results.summary.rms) + ") than the measurements are from their mean (" +
           DoubleText(spread) + "): worse than no calibration";
}

void AddChiSquareWarning(const LibraryResults& results, const char* in,
                         std::vector<Finding>& warnings) {
    if (!results.reducedChiSquare ||
        !FarFromOne(*results.reducedChiSquare, results.degreesOfFreedom))
        return;
    const double value = *results.reducedChiSquare;
    warnings.push_back(Warning(
        "uncertainty-mismatch", in,
        "reduced chi-square " + DoubleText(value) + " with " +
            std::to_string(results.degreesOfFreedom) +
            " degrees of freedom: the stated uncertainties are " +
            (value > 1 ? "smaller" : "larger") +
            " than the scatter of the measurements about the fit, or the order does not suit them",
        {{"reducedChiSquare", value},
         {"degreesOfFreedom", static_cast<double>(results.degreesOfFreedom)}}));
}

}  // namespace

LibraryResults ResultsAgainst(std::vector<float> outputs, const Measurements& measurements,
                              std::size_t parameters) {
    LibraryResults results;
    results.outputs = std::move(outputs);
    results.residuals = Residuals(results.outputs, measurements.value);
    results.summary = Summarise(results.residuals);
    results.reducedChiSquare =
        ReducedChiSquare(results.residuals, measurements.uncertainty, parameters);
    if (results.reducedChiSquare)
        results.degreesOfFreedom = results.residuals.size() - parameters;
    return results;
}

CalibrationFit FitCalibration(const BoundLibrary& library, const FitPlan& plan) {
    CheckPlan(plan);
    CalibrationFit fit;
    std::vector<FieldEdit> edits = plan.edits;
    fit.gain = GainOf(edits);
    const bool piecewise = Piecewise(plan);
    const std::optional<unsigned> forceOrder = plan.force ? plan.force->order : std::nullopt;

    const PolynomialSamples positionSamples = PositionSamples(plan.position, fit.gain);
    const unsigned positionLimit =
        piecewise && forceOrder ? LimitBeside(*forceOrder) : probe::kMaxOrder;
    fit.position =
        SolvePolynomial(positionSamples, {plan.positionOrder, positionLimit}, plan.position.source);

    CalibrationValues values;
    values.position = Rounded(fit.position.solution.coefficients);
    values.force = {0.0f};
    PolynomialSamples forceSamples;
    std::vector<float> forceRaws;  // those whose results the force fit changes
    if (piecewise) {
        // The thresholds as the library reads them from an image decide which
        // readings the polynomial serves.
        const ProbeParameters held =
            DecodeImage(library, Build(library, plan, edits, values).image);
        if (!(held.ForceX2 < held.ForceX1))
            Conflict({PlanConflictKind::ThresholdsOutOfOrder, "", 0, held.ForceX2, held.ForceX1},
                     "ForceX2 (" + FloatText(held.ForceX2) + ") must lie below ForceX1 (" +
                         FloatText(held.ForceX1) + "), as the image holds them");
        const Measurements& measured = plan.force->measurements;
        fit.forceFitted = BetweenThresholds(measured, held.ForceX2, held.ForceX1);
        for (std::size_t i : fit.forceFitted) {
            forceRaws.push_back(measured.raw[i]);
            forceSamples.x.push_back(measured.raw[i]);
            forceSamples.measured.push_back(measured.value[i]);
            if (!measured.uncertainty.empty())
                forceSamples.weights.push_back(1 / measured.uncertainty[i]);
        }
        const std::string source = measured.source + " between x2 and x1";
        if (forceSamples.x.empty())
            throw ToolError(ExitFile, source + ": no measurement");
        fit.forcePolynomial =
            SolvePolynomial(forceSamples, {forceOrder, LimitBeside(fit.position.order)}, source);
        values.force = Rounded(fit.forcePolynomial->solution.coefficients);
    } else if (plan.force) {
        forceRaws = plan.force->measurements.raw;
    }

    // Candidates keep the orders of this image and differ only in their values.
    LibraryTrials trials(library, Build(library, plan, edits, values).image);
    values = trials.baseValues();
    FitFloats(fit.position, positionSamples, [&](const std::vector<float>& coefficients) {
        values.position = coefficients;
        trials.Load(values);
        return trials.Positions(plan.position.raw);
    });
    values.position = fit.position.floats.refined;
    if (fit.forcePolynomial) {
        FitFloats(*fit.forcePolynomial, forceSamples, [&](const std::vector<float>& coefficients) {
            values.force = coefficients;
            trials.Load(values);
            return trials.Forces(forceRaws);
        });
        values.force = fit.forcePolynomial->floats.refined;
    } else if (plan.force) {
        fit.linearForce = FitLinearForce(plan.force->measurements, [&](float k, float x0) {
            values.forceK = k;
            values.forceX0 = x0;
            trials.Load(values);
            return trials.Forces(forceRaws);
        });
        values.forceK = fit.linearForce->forceK;
        values.forceX0 = fit.linearForce->forceX0;
    }

    // The image written, and what the library computes from it.
    fit.image = Build(library, plan, edits, values);
    const ProbeParameters record = DecodeImage(library, fit.image.image);
    fit.stored = ValuesOf(record);
    fit.forceX1 = record.ForceX1;
    fit.forceX2 = record.ForceX2;
    fit.forceF1 = record.ForceF1;
    fit.forceF2 = record.ForceF2;
    fit.positionResults = ResultsAgainst(PositionReadings(library, plan.position.raw).values,
                                         plan.position, fit.position.order + 1u);
    if (plan.force) {
        // The piecewise law fits its polynomial, the linear one k and x0.
        const std::size_t parameters = fit.forcePolynomial ? fit.forcePolynomial->order + 1u : 2u;
        fit.forceResults = ResultsAgainst(ForceCurve(library, plan.force->measurements.raw).values,
                                          plan.force->measurements, parameters);
    }

    fit.refusal = Uselessness(fit.positionResults, plan.position, "positions");
    if (fit.forceResults && fit.refusal.empty())
        fit.refusal = Uselessness(*fit.forceResults, plan.force->measurements, "forces");

    AddPolynomialWarnings(fit.position, positionSamples.measured, kPositionField, fit.warnings);
    if (fit.forcePolynomial)
        AddPolynomialWarnings(*fit.forcePolynomial, forceSamples.measured, kForceField,
                              fit.warnings);
    if (fit.linearForce)
        AddLinearWarning(*fit.linearForce, plan.force->measurements.value, fit.warnings);
    AddChiSquareWarning(fit.positionResults, kPositionField, fit.warnings);
    if (fit.forceResults)
        AddChiSquareWarning(*fit.forceResults, fit.forcePolynomial ? kForceField : "ForceK",
                            fit.warnings);
    return fit;
}
