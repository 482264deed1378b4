// What "show" reports about an image: the library's verdict, the record it
// decoded, its force law, its calibration status today and its position table.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "bound_library.h"
#include "movable_blocks.h"
#include "verdict.h"

struct CalibrationStatus {
    bool calibrated = false;
    int months = 0;  // age of the calibration in months, today
};

struct ShowReport {
    std::string file;
    std::string libraryFile;
    Verdict verdict;
    std::vector<float> positionCoefficients;
    std::vector<float> forceCoefficients;
    std::optional<TableRange> positionTable;
    std::optional<CalibrationStatus> calibration;
};

// Judges the image and, when it is accepted, reads everything else through the
// library while its blocks are valid.
ShowReport BuildShowReport(const std::string& file, const LibraryBinding& binding,
                           const ProbeImageBytes& image);

void PrintShowReport(const ShowReport& report, std::ostream& out);
nlohmann::ordered_json ShowReportJson(const ShowReport& report);

// (YYnow - YYcal) * 12 + (MMnow - MMcal), the dates read as the library reads them.
int CalibrationAgeMonths(const char* calibrationDate, int currentYear, int currentMonth);
