#include "image_file.h"

#include "image_files.h"
#include "tool_error.h"
#include "whole_file.h"

ProbeImageBytes ReadImageFile(const std::filesystem::path& path) {
    ProbeImageBytes image{};
    std::size_t count = 0;
    switch (ReadImageFile(path, image, &count)) {
        case ImageFileResult::Missing:
            throw ToolError(ExitFile, "cannot open " + QuotedPath(path));
        case ImageFileResult::Unreadable:
            throw ToolError(ExitFile, "cannot read " + QuotedPath(path));
        case ImageFileResult::TooShort:
            throw ToolError(ExitFile, QuotedPath(path) + " holds " + std::to_string(count) +
                                          " bytes; an image has " + std::to_string(image.size()));
        case ImageFileResult::Read:
            break;
    }
    return image;
}

void WriteImageFile(const std::filesystem::path& path, const ProbeImageBytes& image) {
    WriteWholeFile(path,
                   std::string_view(reinterpret_cast<const char*>(image.data()), image.size()));
}
