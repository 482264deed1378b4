// The commands of probe-image. Each returns its exit status or throws ToolError;
// ordinary output goes to out, warnings and failures to err.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "certificate_options.h"
#include "eeprom_choice.h"

struct Console {
    std::ostream& out;
    std::ostream& err;
};

struct ShowOptions {
    std::string file;
    bool json = false;
    bool strict = false;  // a finding that is an error fails the command
    double forceStepTolerance = 0;
};

enum class PlotContent { Position, Force, Both };

struct PlotOptions {
    std::string file;
    std::string output;  // "-" for standard output
    PlotContent what = PlotContent::Both;
    std::string points;       // measurements raw,position drawn over the position curve
    std::string forcePoints;  // measurements raw,force drawn over the force curve
};

struct EditOptions {
    std::string file;
    std::string output;
    std::int32_t mode = 0;
    std::vector<std::string> assignments;
    bool strict = false;  // an edit that does not come back as given is a refusal
};

struct NewOptions {
    int type = 0;
    std::string output;
    std::vector<std::string> assignments;
    bool strict = false;
};

struct FitOptions {
    int type = 0;
    std::string position;    // measurements raw,position
    std::string order;       // a number or "auto"
    std::string force;       // measurements raw,force; empty: no force fit
    std::string forceOrder;  // a number or "auto"
    std::string thresholds;  // "X2,X1,F2,F1"; empty: none
    std::string output;
    std::vector<std::string> assignments;
    bool json = false;
    std::string plot;     // an SVG of the image written with the measurements; empty: none
    std::string asFound;  // the old image, checked on the same measurements; empty: none
    std::string report;   // an HTML calibration report; empty: none
    std::string operatorName;
    CertificateOptions certificate;
};

struct CheckOptions {
    std::string file;
    std::string position;  // measurements raw,position
    std::string force;     // measurements raw,force; empty: no force check
    bool json = false;
    std::string plot;  // an SVG of the image with the measurements and errors; empty: none
    std::optional<double> tolerance;       // mm
    std::optional<double> forceTolerance;  // N
    std::string report;
    std::string operatorName;
    CertificateOptions certificate;
};

enum class ConversionKind { Force, Pressure, Position, Sample };

struct Conversion {
    ConversionKind kind;
    std::string input;
};

struct ConvertOptions {
    std::string file;
    std::vector<Conversion> conversions;  // in command-line order
};

struct ReadOptions {
    std::string output;
    EepromChoice eeprom;
    bool verify = false;  // read until two reads agree
};

struct StatusOptions {
    EepromChoice eeprom;
};

struct WriteOptions {
    std::string file;
    std::string backup;  // empty: a name made from the file's and the time
    bool noVerify = false;
    bool dryRun = false;
    bool force = false;
    EepromChoice eeprom;
    bool onlyChanged = false;  // write only the pages that differ from the EEPROM
};

struct RecordsOptions {
    std::string file;  // empty: the default record file
    std::string serial;
    std::string since;
    bool json = false;
    bool verify = false;  // records verify: walk the hash chain
};

struct RecordedRun;  // the record a command fills in (recorded_run.h)

int RunShow(const ShowOptions& options, Console& console);
int RunPlot(const PlotOptions& options, Console& console);
int RunEdit(const EditOptions& options, Console& console);
int RunNew(const NewOptions& options, Console& console);
int RunFit(const FitOptions& options, Console& console, RecordedRun& recorded);
int RunCheck(const CheckOptions& options, Console& console, RecordedRun& recorded);
int RunConvert(const ConvertOptions& options, Console& console);
int RunRead(const ReadOptions& options, Console& console, RecordedRun& recorded);
int RunStatus(const StatusOptions& options, Console& console, RecordedRun& recorded);
int RunWrite(const WriteOptions& options, Console& console, RecordedRun& recorded);
int RunRecords(const RecordsOptions& options, Console& console);
