// Axes of the plot: a value range and round tick values (1, 2 or 5 times a power
// of ten) with their labels.
#pragma once

#include <string>
#include <vector>

struct Tick {
    double value = 0;
    std::string label;
};

struct AxisScale {
    double low = 0;
    double high = 0;
    std::vector<Tick> ticks;  // ascending, all within low to high
};

// The range from min to max with a little room on either side; a single value
// gets a range around it.
AxisScale PaddedScale(double min, double max, int tickCount);

// Exactly low to high, with about tickCount ticks.
AxisScale ExactScale(double low, double high, int tickCount);
