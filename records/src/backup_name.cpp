#include "backup_name.h"

#include <string>
#include <system_error>

namespace {

// Names beyond this many copies mean something else is wrong.
constexpr int kMostCopies = 10000;

std::filesystem::path Copy(const std::string& stem, int copy) {
    return copy == 1 ? stem + ".bin" : stem + "-" + std::to_string(copy) + ".bin";
}

}  // namespace

std::string DefaultBackupStem(const std::filesystem::path& file, const std::tm& time) {
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%d-%H%M%S", &time);
    return file.string() + ".backup-" + stamp;
}

std::string AsFoundBackupStem(const std::filesystem::path& folder, const std::string& serial,
                              const std::tm& utcTime) {
    std::string name = serial.empty() ? "unknown" : serial;
    for (char& c : name)
        if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
              c == '-' || c == '_'))
            c = '_';
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y%m%dT%H%M%SZ", &utcTime);
    return (folder / (name + "-" + stamp + "-as-found")).string();
}

std::filesystem::path FreeBackupName(const std::string& stem) {
    std::error_code error;
    int copy = 1;
    while (std::filesystem::exists(Copy(stem, copy), error))
        ++copy;
    return Copy(stem, copy);
}

std::filesystem::path SaveBackup(const std::string& stem, std::string_view bytes,
                                 std::string& failure) {
    for (int copy = 1; copy <= kMostCopies; ++copy) {
        const std::filesystem::path path = Copy(stem, copy);
        std::string why;
        switch (WriteNewFile(path, bytes, why)) {
            case NewFile::Written:
                return path;
            case NewFile::Exists:
                continue;
            case NewFile::Failed:
                failure = "cannot write '" + path.string() + "': " + why;
                return {};
        }
    }
    failure = "cannot write a backup beside '" + stem + "': " + std::to_string(kMostCopies) +
              " names are taken";
    return {};
}

std::filesystem::path DefaultBackupPath(const std::filesystem::path& file, const std::tm& time) {
    return FreeBackupName(DefaultBackupStem(file, time));
}

std::filesystem::path AsFoundBackupPath(const std::filesystem::path& folder,
                                        const std::string& serial, const std::tm& utcTime) {
    return FreeBackupName(AsFoundBackupStem(folder, serial, utcTime));
}
