// What "show" reports about an image: the library's verdict, the record it
// decoded, its force law, its calibration status today, its position table and
// the findings of the calibration checks.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "bound_library.h"
#include "calibration_life.h"
#include "finding.h"
#include "movable_blocks.h"
#include "verdict.h"

struct ShowReport {
    std::string file;
    std::string libraryFile;
    Verdict verdict;
    std::vector<float> positionCoefficients;
    std::vector<float> forceCoefficients;
    std::optional<TableRange> positionTable;
    std::optional<CalibrationLife> calibration;
    std::vector<Finding> findings;
};

// Judges the image and, when it is accepted, reads everything else through the
// library while its blocks are valid and runs the calibration checks.
ShowReport BuildShowReport(const std::string& file, const LibraryBinding& binding,
                           const ProbeImageBytes& image, double forceStepTolerance);

void PrintShowReport(const ShowReport& report, std::ostream& out);
nlohmann::ordered_json ShowReportJson(const ShowReport& report);
