// What a signed certificate states beyond the errors: its number and the one it
// replaces, the customer and asset, the dates, method and conditions, who
// calibrated and who authorised, the reference standards, the uncertainty budget,
// and the results with U, k and the decision per point and over all.
#pragma once

#include <string>

#include "calibration_certificate.h"
#include "conformity.h"

struct CertificateFacts {
    std::string number;
    std::string amends;  // the number replaced; empty: none
    std::string reason;
    std::string customer;
    std::string asset;
    std::string method;
    std::string temperature;
    std::string humidity;
    std::string calibrationDate;  // YYYY-MM-DD
    std::string issueDate;        // YYYY-MM-DD
    std::string calibratedBy;
    std::string authorisedBy;
};

// Puts the certificate's number on every page and its sections after the probe's.
void AddCertificateStatements(Certificate& certificate, const CertificateFacts& facts,
                              const Conformity& conformity);
