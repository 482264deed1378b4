// Where the EEPROM's old content goes before a write when no name is given.
#pragma once

#include <ctime>
#include <filesystem>

// "<file>.backup-YYYYMMDD-HHMMSS.bin" beside the file, with "-2", "-3"... added
// before ".bin" while that name is taken.
std::filesystem::path DefaultBackupPath(const std::filesystem::path& file, const std::tm& time);
