// The combined standard uncertainty of a result from its contributions, the
// effective degrees of freedom by the Welch-Satterthwaite formula, the coverage
// factor from Student's t and the expanded uncertainty U = k u_c; at each point of
// a quantity and the largest over its range.
#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "uncertainty_budget.h"

// The coverage probability of every U: that of +-2 standard deviations of a normal
// distribution, 95.45 %, so that k = 2 for infinite degrees of freedom.
extern const double kCoverageProbability;

struct Contribution {
    double u = 0;               // |sensitivity| x standard uncertainty, in the result's unit
    std::optional<double> dof;  // nothing: infinite
};

struct ExpandedUncertainty {
    double uc = 0;   // combined standard uncertainty
    double dof = 0;  // effective degrees of freedom; infinity where every part has them
    double k = 2;
    double U = 0;
};

// The coverage factor for these (effective, not rounded) degrees of freedom.
double CoverageFactor(double dof);

// Of no contribution at all: all zero, k = 2.
ExpandedUncertainty Expand(const std::vector<Contribution>& contributions);

// What a point of a quantity carries besides the budget.
struct PointSources {
    const std::vector<double>* measured = nullptr;  // u of each measured value; none, or empty
    const std::vector<double>* fitted = nullptr;    // u of the fitted curve at each point
    double fittedDof = 0;                           // n - m of the fit
};

struct QuantityUncertainty {
    std::vector<ExpandedUncertainty> points;
    std::size_t largest = 0;  // the point of the largest U
};

// At each of count points: the budget's entries, the point's measured u (infinite
// degrees of freedom) and the fitted curve's u (type A, fittedDof).
QuantityUncertainty QuantityUncertaintyOf(const std::vector<BudgetEntry>& budget, std::size_t count,
                                          const PointSources& sources);

std::vector<Contribution> BudgetContributions(const std::vector<BudgetEntry>& budget);
