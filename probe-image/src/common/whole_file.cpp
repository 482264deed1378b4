#include "whole_file.h"

#include "image_files.h"
#include "tool_error.h"

std::string QuotedPath(const std::filesystem::path& path) {
    std::string text = "'";
    text += path.string();
    text += "'";
    return text;
}

void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes) {
    const std::error_code error = WriteFileWhole(path, bytes);
    if (error == std::errc::io_error)
        throw ToolError(ExitFile, "cannot write " + QuotedPath(path));
    if (error)
        throw ToolError(ExitFile, "cannot write " + QuotedPath(path) + ": " + error.message());
}
