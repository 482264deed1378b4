// What the lab database answers: its state, the records of every bench, and the
// last image left in each probe.
#pragma once

#include <functional>
#include <string>

class Connection;

struct DatabaseSummary {
    int version = 0;
    long long records = 0;
    long long benches = 0;   // distinct host names
    long long journals = 0;  // distinct journal files
};

DatabaseSummary SummariseDatabase(Connection& connection);

struct LabRecordFilter {
    std::string serial;  // empty: any
    std::string bench;
    std::string since;  // a UTC date or time; empty: any
};

// Each record that passes, oldest first, as its bench and its journal line.
void ForEachLabRecord(
    Connection& connection, const LabRecordFilter& filter,
    const std::function<void(const std::string& bench, const std::string& line)>& visit);

// The records of each probe, newest first, probe by probe: visit returns false
// once it has what it needs of that probe, and the rest of its records are passed over.
void ForEachProbeNewestFirst(
    Connection& connection,
    const std::function<bool(const std::string& serial, const std::string& bench,
                             const std::string& line)>& visit);
