#include "backup_name.h"

#include <string>
#include <system_error>

std::filesystem::path DefaultBackupPath(const std::filesystem::path& file, const std::tm& time) {
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &time);
    const std::string stem = file.string() + ".backup-" + stamp;
    std::filesystem::path path = stem + ".bin";
    std::error_code error;
    for (int copy = 2; std::filesystem::exists(path, error); ++copy)
        path = stem + "-" + std::to_string(copy) + ".bin";
    return path;
}
