// Where a calibration report's facts come from: the clock, the operator, the
// program and library, and the bytes of the image file.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>

#include "calibration_certificate.h"

// utc is the time the report is made.
ReportProvenance ProvenanceAt(const std::tm& utc, const std::string& operatorName,
                              const std::string& libraryFile);
ReportProvenance ProvenanceNow(const std::string& operatorName, const std::string& libraryFile);

// Throws ToolError(ExitFile) when the file cannot be read.
ReportImage ReportImageOf(const std::filesystem::path& file, const ProbeParameters& record);
