#include "fit_bench_inputs.h"

#include <cstdio>
#include <fstream>
#include <random>
#include <sstream>

#include <nlohmann/json.hpp>

#include "bound_library.h"
#include "command_line.h"
#include "image_file.h"
#include "library_curves.h"
#include "verdict.h"

namespace probe_image_bench {
namespace {

constexpr double kLowestReading = -1.7;
constexpr double kHighestReading = 1.7;
constexpr double kNoise = 1e-3;  // mm
constexpr unsigned kSeed = 2026;

std::filesystem::path Folder() {
    return std::filesystem::temp_directory_path() / "probe-image-bench";
}

}  // namespace

std::filesystem::path MeasurementsFile() {
    const std::filesystem::path folder = Folder();
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    const std::filesystem::path truth = folder / "truth.bin";
    std::ostringstream ignored;
    if (RunProbeImage({"new", "--type", "6", "-o", truth.string(), "--set", "Serial=1", "Gain=52",
                       "PositionCoefficients=0.12,0.00105,2e-9,-1e-13,3e-18,-2e-22,1e-27,5e-32"},
                      ignored, ignored) != 0)
        return {};
    const ProbeImageBytes image = ReadImageFile(truth);
    const LibraryBinding binding(TypeCharacter(image));
    if (!JudgeImage(binding, image).accepted)
        return {};
    std::vector<float> raws;
    for (int i = 0; i < kMeasurements; ++i)
        raws.push_back(static_cast<float>(kLowestReading + (kHighestReading - kLowestReading) * i /
                                                               (kMeasurements - 1)));
    const std::vector<float> positions = PositionReadings(binding.library(), raws).values;

    std::mt19937 random(kSeed);
    std::normal_distribution<double> noise(0, kNoise);
    const std::filesystem::path csv = folder / "measurements.csv";
    std::ofstream file(csv);
    file << "raw,position\n";
    char row[64];
    for (std::size_t i = 0; i < raws.size(); ++i) {
        std::snprintf(row, sizeof row, "%.9g,%.9g\n", raws[i], positions[i] + noise(random));
        file << row;
    }
    return file ? csv : std::filesystem::path{};
}

int RunFit(const std::filesystem::path& measurements, const std::string& order,
           std::string* report) {
    std::ostringstream out;
    std::ostringstream err;
    const int code =
        RunProbeImage({"fit", "--type", "6", "--position", measurements.string(), "--order", order,
                       "-o", (Folder() / "fit.bin").string(), "--json"},
                      out, err);
    if (report != nullptr)
        *report = out.str();
    return code;
}

bool ReportFit(const std::filesystem::path& measurements) {
    std::string report;
    if (measurements.empty() || RunFit(measurements, std::to_string(kHighestOrder), &report) != 0)
        return false;
    const nlohmann::json position = nlohmann::json::parse(report)["position"];
    const nlohmann::json& residuals = position["residuals"];
    std::printf(
        "fit of %d measurements (noise %g mm) at order %d: RMS %.6g in double, %.6g "
        "rounded to float32, %.6g refined through the library (%d images tried)\n",
        kMeasurements, kNoise, kHighestOrder, residuals["double"]["rms"].get<double>(),
        residuals["rounded"]["rms"].get<double>(), residuals["written"]["rms"].get<double>(),
        position["trials"].get<int>());
    return true;
}

}  // namespace probe_image_bench
