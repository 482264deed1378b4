#include "image_file.h"

#include <fstream>
#include <system_error>

#include "tool_error.h"

namespace {

std::string Quoted(const std::filesystem::path& path) {
    std::string text = "'";
    text += path.string();
    text += "'";
    return text;
}

}  // namespace

ProbeImageBytes ReadImageFile(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file)
        throw ToolError(ExitFile, "cannot open " + Quoted(path));
    ProbeImageBytes image{};
    file.read(reinterpret_cast<char*>(image.data()), image.size());
    const auto count = file.gcount();
    if (file.bad())
        throw ToolError(ExitFile, "cannot read " + Quoted(path));
    if (count < static_cast<std::streamsize>(image.size()))
        throw ToolError(ExitFile, Quoted(path) + " holds " + std::to_string(count) +
                                      " bytes; an image has " + std::to_string(image.size()));
    return image;
}

void WriteImageFile(const std::filesystem::path& path, const ProbeImageBytes& image) {
    std::filesystem::path temporary = path;
    temporary += ".partial";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file.write(reinterpret_cast<const char*>(image.data()), image.size());
        file.close();
        if (file.fail()) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            throw ToolError(ExitFile, "cannot write " + Quoted(path));
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
        throw ToolError(ExitFile, "cannot write " + Quoted(path) + ": " + error.message());
    }
}
