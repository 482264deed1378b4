// What the fit benchmarks share: measurements of a type-6 probe written to a
// folder of their own, and the fit command run on them.
#pragma once

#include <filesystem>
#include <string>

namespace probe_image_bench {

inline constexpr int kMeasurements = 10000;
inline constexpr int kHighestOrder = 15;

// kMeasurements raw,position rows over the readings -1.7 to 1.7: what the library
// computes from an order-7 image, with normally distributed noise of 1 um added
// (a fixed seed). Returns the CSV file; an empty path when it cannot be made.
std::filesystem::path MeasurementsFile();

// "fit --type 6 --position FILE --order ORDER --json" into a scratch image; the
// exit status, and the JSON report in report when it is given.
int RunFit(const std::filesystem::path& measurements, const std::string& order,
           std::string* report = nullptr);

// Prints what the fit at kHighestOrder achieves: the residuals in double, rounded
// and refined, the images tried. Returns false when the fit fails.
bool ReportFit(const std::filesystem::path& measurements);

}  // namespace probe_image_bench
