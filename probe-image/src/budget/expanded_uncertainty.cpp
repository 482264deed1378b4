#include "expanded_uncertainty.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

#include <boost/math/distributions/normal.hpp>
#include <boost/math/distributions/students_t.hpp>

const double kCoverageProbability = std::erf(2 / std::sqrt(2.0));

double CoverageFactor(double dof) {
    const double tail = (1 + kCoverageProbability) / 2;
    if (!(dof > 0))  // NaN, or a fit with as many parameters as points
        return std::numeric_limits<double>::quiet_NaN();
    try {
        if (!std::isfinite(dof))
            return boost::math::quantile(boost::math::normal_distribution<double>(), tail);
        return boost::math::quantile(boost::math::students_t_distribution<double>(dof), tail);
    } catch (const std::exception&) {  // beyond the range of a double
        return std::numeric_limits<double>::quiet_NaN();
    }
}

ExpandedUncertainty Expand(const std::vector<Contribution>& contributions) {
    // Each u taken relative to the largest, so that neither squares nor fourth
    // powers overflow or vanish.
    double scale = 0;
    for (const Contribution& part : contributions)
        scale = std::max(scale, part.u);
    double squares = 0;
    double fourths = 0;  // sum of u^4 / dof over the contributions of finite dof
    for (const Contribution& part : contributions) {
        const double relative = scale > 0 ? part.u / scale : part.u;
        const double square = relative * relative;
        squares += square;
        if (part.dof)
            fourths += square * square / *part.dof;
    }
    ExpandedUncertainty expanded;
    expanded.uc = (scale > 0 ? scale : 1) * std::sqrt(squares);
    expanded.dof =
        fourths > 0 ? squares * squares / fourths : std::numeric_limits<double>::infinity();
    expanded.k = CoverageFactor(expanded.dof);
    expanded.U = expanded.k * expanded.uc;
    return expanded;
}

std::vector<Contribution> BudgetContributions(const std::vector<BudgetEntry>& budget) {
    std::vector<Contribution> contributions;
    for (const BudgetEntry& entry : budget)
        contributions.push_back({std::abs(entry.sensitivity) * entry.u, entry.dof});
    return contributions;
}

QuantityUncertainty QuantityUncertaintyOf(const std::vector<BudgetEntry>& budget, std::size_t count,
                                          const PointSources& sources) {
    const std::vector<Contribution> common = BudgetContributions(budget);
    QuantityUncertainty quantity;
    for (std::size_t i = 0; i < count; ++i) {
        std::vector<Contribution> parts = common;
        if (sources.measured && i < sources.measured->size())
            parts.push_back({(*sources.measured)[i], std::nullopt});
        if (sources.fitted && i < sources.fitted->size())
            parts.push_back({(*sources.fitted)[i], sources.fittedDof});
        quantity.points.push_back(Expand(parts));
        if (quantity.points[i].U > quantity.points[quantity.largest].U)
            quantity.largest = i;
    }
    return quantity;
}
