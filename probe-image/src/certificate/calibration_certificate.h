// The contents of a calibration report, from what check and fit computed: the probe,
// when, by whom and with what it was calibrated, the measurement files and their
// digests, the errors as found and as left, the uncertainties and the plots.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "certificate_html.h"
#include "fit_report.h"
#include "image_check.h"
#include "palvo.h"

struct ReportProvenance {
    std::string created;  // date and time, UTC
    std::string operatorName;
    std::string tool;     // program and version
    std::string library;  // the library file and its version
};

// An image file and the record its library decoded from it.
struct ReportImage {
    std::string file;
    std::string sha256;
    ProbeParameters record{};
};

Certificate CheckCertificate(const ReportProvenance& provenance, const ReportImage& image,
                             const ImageCheck& check, const std::string& plot);

// asFound and its plot where the old image was checked.
Certificate FitCertificate(const ReportProvenance& provenance, const FitReportContext& report,
                           const ReportImage& asLeft, const std::string& asLeftPlot,
                           const std::optional<ReportImage>& asFound,
                           const std::string& asFoundPlot);
