// The throwaway server the database tests run against (lab_server.sh): its data
// sources, and stopping and starting it in the middle of a test.
#pragma once

#include <memory>
#include <string>

#include "odbc.h"

inline constexpr char kAdminSource[] = "probe_lab";        // the owner, postgres
inline constexpr char kBenchSource[] = "probe_lab_bench";  // bench_one, password kept there
inline constexpr char kBenchWithoutPassword[] = "probe_lab_bench_nopass";  // bench_two
inline constexpr char kEmptySource[] = "probe_lab_empty";                  // a database of its own

// The halt and resume of lab_server.sh; false when it failed.
bool HaltServer();
bool ResumeServer();

// A query of the admin source with one text answer.
std::string AskServer(const std::string& sql);
long long CountRecords(const std::string& journal);
