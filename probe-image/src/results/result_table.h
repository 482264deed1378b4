// The table of results that fit and check print: per measurement the raw reading,
// the value measured, what the library computes there and the residual (library -
// measured), with further columns where a report has more to say per measurement.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "calibration_fit.h"

struct ResultColumn {
    std::string title;  // in the text's header
    std::string key;    // in each JSON point
    std::vector<double> values;
};

void PrintResultTable(std::ostream& out, const Measurements& measurements,
                      const LibraryResults& results, const std::vector<ResultColumn>& more = {});

nlohmann::ordered_json ResultPointsJson(const Measurements& measurements,
                                        const LibraryResults& results,
                                        const std::vector<ResultColumn>& more = {});

// The summary line of residuals: a name, their RMS and largest magnitude, what they are.
void PrintResidualLine(std::ostream& out, const std::string& name, const ResidualSummary& summary,
                       const std::string& what);

// A float as JSON: the double its shortest text stands for.
nlohmann::ordered_json FloatJson(float value);
