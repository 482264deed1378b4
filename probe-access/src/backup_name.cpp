#include "backup_name.h"

#include <string>
#include <system_error>

namespace {

std::filesystem::path FreeName(const std::string& stem) {
    std::filesystem::path path = stem + ".bin";
    std::error_code error;
    for (int copy = 2; std::filesystem::exists(path, error); ++copy)
        path = stem + "-" + std::to_string(copy) + ".bin";
    return path;
}

}  // namespace

std::filesystem::path DefaultBackupPath(const std::filesystem::path& file, const std::tm& time) {
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &time);
    return FreeName(file.string() + ".backup-" + stamp);
}

std::filesystem::path AsFoundBackupPath(const std::filesystem::path& folder,
                                        const std::string& serial, const std::tm& utcTime) {
    std::string name = serial.empty() ? "unknown" : serial;
    for (char& c : name)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
              c == '-' || c == '_'))
            c = '_';
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utcTime);
    return FreeName((folder / (name + "-" + stamp + "-as-found")).string());
}
