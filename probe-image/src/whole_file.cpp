#include "whole_file.h"

#include <fstream>
#include <system_error>

#include "tool_error.h"

std::string QuotedPath(const std::filesystem::path& path) {
    std::string text = "'";
    text += path.string();
    text += "'";
    return text;
}

void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes) {
    std::filesystem::path temporary = path;
    temporary += ".partial";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        file.close();
        if (file.fail()) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            throw ToolError(ExitFile, "cannot write " + QuotedPath(path));
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw ToolError(ExitFile, "cannot write " + QuotedPath(path) + ": " + error.message());
    }
}
