#include "value_runs.h"

#include <cmath>
#include <optional>

std::vector<IndexRun> NonFiniteRuns(std::span<const float> values) {
    std::vector<IndexRun> runs;
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (std::isfinite(values[i]))
            continue;
        if (!runs.empty() && runs.back().last + 1 == i)
            runs.back().last = i;
        else
            runs.push_back({i, i});
    }
    return runs;
}

std::vector<IndexRun> TurnBackRuns(std::span<const float> values) {
    std::vector<std::size_t> finite;
    for (std::size_t i = 0; i < values.size(); ++i)
        if (std::isfinite(values[i]))
            finite.push_back(i);
    std::vector<IndexRun> runs;
    if (finite.size() < 2)
        return runs;
    const bool rising = values[finite.back()] >= values[finite.front()];

    std::optional<IndexRun> turn;
    for (std::size_t k = 1; k < finite.size(); ++k) {
        const float step = values[finite[k]] - values[finite[k - 1]];
        const bool against = rising ? step < 0 : step > 0;
        const bool along = rising ? step > 0 : step < 0;
        if (against) {
            if (!turn)
                turn = IndexRun{finite[k - 1], finite[k]};
            turn->last = finite[k];
        } else if (along && turn) {
            runs.push_back(*turn);
            turn.reset();
        }
    }
    if (turn)
        runs.push_back(*turn);
    return runs;
}
