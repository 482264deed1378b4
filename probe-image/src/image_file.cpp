#include "image_file.h"

#include <fstream>

#include "tool_error.h"
#include "whole_file.h"

ProbeImageBytes ReadImageFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw ToolError(ExitFile, "cannot open " + QuotedPath(path));
    ProbeImageBytes image{};
    file.read(reinterpret_cast<char*>(image.data()), image.size());
    const auto count = file.gcount();
    if (file.bad())
        throw ToolError(ExitFile, "cannot read " + QuotedPath(path));
    if (count < static_cast<std::streamsize>(image.size()))
        throw ToolError(ExitFile, QuotedPath(path) + " holds " + std::to_string(count) +
                                      " bytes; an image has " + std::to_string(image.size()));
    return image;
}

void WriteImageFile(const std::filesystem::path& path, const ProbeImageBytes& image) {
    WriteWholeFile(path,
                   std::string_view(reinterpret_cast<const char*>(image.data()), image.size()));
}
