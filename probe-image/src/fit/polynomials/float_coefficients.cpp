#include "float_coefficients.h"

#include <cmath>
#include <limits>

#include "least_squares.h"
#include "number_text.h"
#include "tool_error.h"

namespace {

// Sweeps over every coefficient, and images tried in all: a bound on the refinement's
// cost, which the data hardly ever reach.
constexpr int kMaxSweeps = 8;
constexpr std::size_t kMaxTrials = 400;
// A sweep that lowers the squares by less than this share of them ends the refinement.
constexpr double kNegligibleShare = 1e-6;

struct Candidate {
    std::vector<float> coefficients;
    std::vector<float> outputs;
    std::vector<double> residuals;
    ResidualSummary summary;
};

void RequireFloats(const std::vector<double>& coefficients) {
    for (std::size_t k = 0; k < coefficients.size(); ++k)
        if (!std::isfinite(static_cast<float>(coefficients[k])))
            throw ToolError(ExitFile, "coefficient c" + std::to_string(k) +
                                          " of the fit does not fit a float (" +
                                          DoubleText(coefficients[k]) +
                                          "): the raw readings span too narrow a range for order " +
                                          std::to_string(coefficients.size() - 1));
}

bool AllFinite(const std::vector<float>& values) {
    for (float value : values)
        if (!std::isfinite(value))
            return false;
    return true;
}

class Refiner {
  public:
    Refiner(const PolynomialSamples& samples, std::size_t columns, const LibraryOutputs& outputs)
        : samples_(samples),
          rounding_(samples.x, PolynomialTargets(samples), static_cast<unsigned>(columns - 1),
                    samples.weights),
          powers_(MonomialPowers(samples.x, static_cast<unsigned>(columns - 1))),
          outputs_(outputs) {}

    Candidate Evaluate(const std::vector<float>& coefficients) {
        ++trials_;
        Candidate candidate{coefficients, outputs_(coefficients), {}, {}};
        candidate.residuals = Residuals(candidate.outputs, samples_.measured);
        candidate.summary = Summarise(candidate.residuals);
        return candidate;
    }

    // Steps of one coefficient to a neighbouring float, each tried with the lower
    // coefficients rounded again to make up for it and as it is. A step is tried
    // through the library only where the model change of the results, added to the
    // library's own residuals, could lower their squares by more than the results'
    // float rounding can account for.
    Candidate Polish(Candidate current) {
        const std::size_t columns = current.coefficients.size();
        for (int sweep = 0; sweep < kMaxSweeps; ++sweep) {
            bool stepped = false;
            const double start = current.summary.squares;
            double tolerance = RoundingTolerance(current);
            for (std::size_t k = columns; k-- > 0;) {
                for (const std::vector<float>& step : Steps(current.coefficients, k)) {
                    if (trials_ >= kMaxTrials)
                        return current;
                    if (!(PredictedChange(current, step) < tolerance))
                        continue;
                    Candidate candidate = Evaluate(step);
                    if (Better(candidate.summary, current.summary)) {
                        current = std::move(candidate);
                        tolerance = RoundingTolerance(current);
                        stepped = true;
                        break;
                    }
                }
            }
            if (!stepped || start - current.summary.squares <= kNegligibleShare * start)
                break;
        }
        return current;
    }

    // Every coefficient from the highest down rounded with compensation.
    std::vector<float> Compensated(const std::vector<float>& rounded) const {
        return rounding_.Round(rounded, static_cast<unsigned>(rounded.size() - 1));
    }

    std::size_t trials() const { return trials_; }

  private:
    // One step of coefficient k either way, each with the lower coefficients rounded
    // again to make up for it and as it is.
    std::vector<std::vector<float>> Steps(const std::vector<float>& coefficients,
                                          std::size_t k) const {
        std::vector<std::vector<float>> steps;
        for (float towards :
             {std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()}) {
            std::vector<float> plain = coefficients;
            plain[k] = std::nextafter(coefficients[k], towards);
            if (!std::isfinite(plain[k]))
                continue;
            if (k > 0) {
                std::vector<float> compensated =
                    rounding_.Round(plain, static_cast<unsigned>(k - 1));
                if (AllFinite(compensated) && compensated != plain)
                    steps.push_back(std::move(compensated));
            }
            steps.push_back(std::move(plain));
        }
        return steps;
    }

    // Change of the residuals' squares from the current coefficients to others, by
    // the model.
    double PredictedChange(const Candidate& current, const std::vector<float>& other) const {
        const std::size_t columns = current.coefficients.size();
        double change = 0;
        for (std::size_t i = 0; i < current.residuals.size(); ++i) {
            double moved = 0;
            for (std::size_t k = 0; k < columns; ++k)
                if (other[k] != current.coefficients[k])
                    moved += powers_[i * columns + k] *
                             (static_cast<double>(other[k]) - current.coefficients[k]);
            moved *= samples_.outputPerValue;
            change += moved * (2 * current.residuals[i] + moved);
        }
        return change;
    }

    // How much the squares may change by the rounding of the float results alone:
    // each result moves by at most its float spacing q, with no sign preferred, so
    // the change is about sum q^2 plus twice the spread of sum 2 r q.
    static double RoundingTolerance(const Candidate& current) {
        double spacings = 0;
        double crossTerms = 0;
        for (std::size_t i = 0; i < current.residuals.size(); ++i) {
            const double spacing = FloatSpacing(current.outputs[i]);
            const double cross = 2 * current.residuals[i] * spacing;
            spacings += spacing * spacing;
            crossTerms += cross * cross;
        }
        return spacings + 2 * std::sqrt(crossTerms);
    }

    const PolynomialSamples& samples_;
    const CompensatedRounding rounding_;
    const std::vector<double> powers_;  // x^k, as MonomialPowers lays them out
    const LibraryOutputs& outputs_;
    std::size_t trials_ = 0;
};

}  // namespace

std::vector<double> PolynomialTargets(const PolynomialSamples& samples) {
    std::vector<double> targets(samples.measured.size());
    for (std::size_t i = 0; i < targets.size(); ++i)
        targets[i] = samples.measured[i] / samples.outputPerValue;
    return targets;
}

FloatFit FitFloatCoefficients(const PolynomialSamples& samples,
                              const std::vector<double>& coefficients,
                              const LibraryOutputs& outputs) {
    RequireFloats(coefficients);
    FloatFit fit;
    for (double coefficient : coefficients)
        fit.rounded.push_back(static_cast<float>(coefficient));
    Refiner refiner(samples, coefficients.size(), outputs);
    const std::vector<float> compensated = refiner.Compensated(fit.rounded);
    Candidate best = refiner.Evaluate(fit.rounded);
    fit.roundedResiduals = best.summary;
    if (AllFinite(compensated) && compensated != fit.rounded) {
        Candidate other = refiner.Evaluate(compensated);
        if (Better(other.summary, best.summary))
            best = std::move(other);
    }
    best = refiner.Polish(std::move(best));
    fit.refined = best.coefficients;
    fit.refinedResiduals = best.summary;
    fit.trials = refiner.trials();
    return fit;
}
