// The record of one bench operation (a read, a write or a status poll) as one
// line of JSON in the record file.
#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

// What an image held, as the record keeps it.
struct ImageFacts {
    std::string sha256;           // 64 hexadecimal digits
    std::string verdict;          // "accepted", or the library's refusal in words
    std::string type;             // the type field's text ("M006")
    std::string serial;           // the serial field's digits
    std::string calibrationDate;  // YYMM
};

// A file a calibration used, and where its copy is kept beside the record.
struct KeptFile {
    std::string role;  // "image", "position", "force", "budget", "as-found", "as-left"
    std::string file;
    std::string sha256;
    std::string kept;  // the copy's path; empty: none kept
};

// What a fit or a check issued: the certificate, the files and the decision.
struct CalibrationFacts {
    std::string certificate;  // the number; empty: no certificate issued
    std::string amends;       // the number replaced; empty: none
    std::string reason;
    std::vector<KeptFile> files;
    std::string decisionRule;  // empty: no tolerance, no decision
    std::string decision;      // "pass", "conditional pass", "conditional fail", "fail"
    std::string summary;       // the results in one line
};

// A probe of a production lot (program): the lot, what became of the probe and
// the serial a failed write spoiled.
struct LotFacts {
    std::string lot;
    std::string outcome;  // "programmed", "skipped" (it held the lot's image), "failed"
    std::string target;   // the target as the signal lines name it ("bus:7", "eeprom:FILE")
    std::string spoiled;  // the serial the failure spoiled; empty: none
};

struct BenchRecord {
    std::string time;  // UTC, "YYYY-MM-DDTHH:MM:SSZ"
    std::string operatorName;
    std::string host;
    std::string tool;            // program and version, "probe-image 1.2.0"
    std::string library;         // the probe library bound, by file name
    std::string libraryVersion;  // the version it was built as
    std::string transport;       // "bridge", ...
    std::string device;
    std::string command;                 // "read", "write", "status"
    std::vector<std::string> arguments;  // the options after the command, as given
    std::string type;    // the probe's type field and serial: as found, or for a write
    std::string serial;  // to a blank EEPROM, those of the image written

    std::optional<ImageFacts> asFound;
    // A write (the dry run included):
    std::optional<ImageFacts> asLeft;  // read back; without a read-back, the image written
    bool asLeftReadBack = false;
    std::optional<std::vector<unsigned>> pagesWritten;  // offsets of the pages stored
    std::vector<unsigned> pagesFailed;                  // offsets of the pages that failed
    std::string verification;  // "passed", "failed", "skipped"; empty when none was due
    std::string backup;        // where the as-found image went
    std::optional<CalibrationFacts> calibration;  // a fit or a check
    std::optional<LotFacts> production;           // a probe of a production lot

    int exit = 0;
    std::string message;
};

// One JSON object without a line break; text that is not UTF-8 is replaced.
std::string RecordLine(const BenchRecord& record);

// "YYYY-MM-DDTHH:MM:SSZ" of a time in seconds since the epoch; safe to call
// from several threads at once.
std::string UtcTimeText(long long secondsSinceEpoch);
// The UTC calendar time of a time in seconds since the epoch, from a buffer of
// the caller's (std::gmtime shares one between threads); all zero where the
// system cannot tell.
std::tm UtcCalendar(std::time_t time);
