// What a production run tells: a line per event for the operator, and for a
// fixture's controller one machine-readable line per event, "WORD key=value ...",
// each value bare when it holds only letters, digits and . _ : / + - @ characters,
// else in double quotes with \" and \\ inside.
#pragma once

#include <string>

#include "production_run.h"

std::string EventLine(const ProductionEvent& event);
std::string SignalLine(const ProductionEvent& event);

// "3/8 probes done, 1 failed"; without a total (0), "3 probes done, 1 failed".
std::string ProgressLine(const ProductionTally& tally, long total);

std::string SummaryLine(const std::string& lot, const ProductionSummary& summary);
// "done programmed=3 skipped=1 failed=0 left=96 status=0"
std::string SummarySignal(const ProductionSummary& summary);

// A value as the signal lines give it.
std::string SignalValue(const std::string& value);
