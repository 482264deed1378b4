// Where the EEPROM's old content goes before a write when no name is given.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>

// "<file>.backup-YYYYMMDD-HHMMSS.bin" beside the file, with "-2", "-3"... added
// before ".bin" while that name is taken.
std::filesystem::path DefaultBackupPath(const std::filesystem::path& file, const std::tm& time);

// "<serial>-YYYYMMDDTHHMMSSZ-as-found.bin" in the folder, from the UTC time, with
// "-2", "-3"... added before ".bin" while that name is taken. Characters of the
// serial other than letters, digits, '-' and '_' become '_'.
std::filesystem::path AsFoundBackupPath(const std::filesystem::path& folder,
                                        const std::string& serial, const std::tm& utcTime);
