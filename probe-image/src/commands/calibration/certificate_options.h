// The options check and fit share for a certificate: the uncertainty budget, the
// decision rule, the certificate's number and what it states beyond the
// measurements, and the record of the calibration.
#pragma once

#include <string>

namespace CLI {
class App;
}

struct CertificateOptions {
    std::string budget;                   // TOML budget file; empty: none
    std::string decisionRule = "simple";  // simple, guarded[:r], non-binary
    std::string prefix;                   // of the certificate number
    std::string amends;                   // the number of the certificate replaced
    std::string reason;                   // why it is replaced
    std::string customer;
    std::string asset;
    std::string method;  // empty: the budget's
    std::string temperature;
    std::string humidity;
    std::string authorisedBy;
    std::string calibrationDate;  // YYYY-MM-DD; empty: today (UTC)
    std::string record;           // the journal; empty: the default
    std::string database;         // the lab database: records and numbers; empty: none
    bool noRecord = false;
};

void AddCertificateOptions(CLI::App& command, CertificateOptions& options);
