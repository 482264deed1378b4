#include "report_sources.h"

#include <fstream>
#include <iterator>

#include "project_version.h"
#include "sha256.h"
#include "tool_error.h"
#include "whole_file.h"

ReportProvenance ProvenanceAt(const std::tm& utc, const std::string& operatorName,
                              const std::string& libraryFile) {
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S UTC", &utc);
    // The libraries are built from the same source and version as the tool.
    return {stamp, operatorName, std::string("probe-image ") + kProjectVersion,
            libraryFile + " " + kProjectVersion};
}

ReportProvenance ProvenanceNow(const std::string& operatorName, const std::string& libraryFile) {
    const std::time_t now = std::time(nullptr);
    return ProvenanceAt(*std::gmtime(&now), operatorName, libraryFile);
}

ReportImage ReportImageOf(const std::filesystem::path& file, const ProbeParameters& record) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    if (!in && !in.eof())
        throw ToolError(ExitFile, "cannot read " + QuotedPath(file));
    return {file.string(), Sha256Hex(bytes), record};
}
