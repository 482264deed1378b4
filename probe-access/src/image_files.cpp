#include "image_files.h"

#include <fstream>

ImageFileResult ReadImageFile(const std::filesystem::path& path,
                              std::array<uint8_t, EepromSize>& image, std::size_t* bytesRead) {
    std::ifstream file(path, std::ios::in | std::ios::binary);
    if (!file.is_open())
        return ImageFileResult::Missing;
    std::array<uint8_t, EepromSize> bytes{};
    file.read(reinterpret_cast<char*>(bytes.data()), bytes.size());
    const auto count = file.gcount();
    if (file.bad())
        return ImageFileResult::Unreadable;
    if (count != static_cast<std::streamsize>(bytes.size())) {
        if (bytesRead != nullptr)
            *bytesRead = static_cast<std::size_t>(count);
        return ImageFileResult::TooShort;
    }
    image = bytes;
    return ImageFileResult::Read;
}

std::error_code WriteFileWhole(const std::filesystem::path& path, std::string_view bytes) {
    std::filesystem::path temporary = path;
    temporary += ".partial";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        file.close();
        if (file.fail()) {
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return std::make_error_code(std::errc::io_error);
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error) {
        std::error_code ignored;
        std::filesystem::remove(temporary, ignored);
    }
    return error;
}
