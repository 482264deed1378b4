// What "check" reports: per quantity the errors of the image against the
// measurements (RMS, largest, largest as a share of the measured span), the
// tolerance and the measurements beyond it, and every measurement in fit's table;
// then the findings. As text for people and as JSON for scripts.
#pragma once

#include <ostream>
#include <string>

#include <nlohmann/json.hpp>

#include "conformity.h"
#include "image_check.h"

struct CheckReportContext {
    const ImageCheck& check;
    std::string file;     // the image file
    std::string library;  // the library file
    int type = 0;
    long long serial = 0;
    const Conformity* conformity = nullptr;  // U, k and decisions where stated
};

void PrintCheckReport(const CheckReportContext& report, std::ostream& out);
nlohmann::ordered_json CheckReportJson(const CheckReportContext& report);
