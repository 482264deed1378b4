// Where the EEPROM's old content goes before a write when no name is given. Each
// kind of name has a stem; the names are "<stem>.bin", then "<stem>-2.bin",
// "<stem>-3.bin"... A backup is created under the first name no file holds, as a
// new file, so that programs saving at once never take the same name.
#pragma once

#include <ctime>
#include <filesystem>
#include <string>
#include <string_view>

// "<file>.backup-YYYYMMDD-HHMMSS" beside the file.
std::string DefaultBackupStem(const std::filesystem::path& file, const std::tm& time);

// "<serial>-YYYYMMDDTHHMMSSZ-as-found" in the folder, from the UTC time.
// Characters of the serial other than letters, digits, '-' and '_' become '_'.
std::string AsFoundBackupStem(const std::filesystem::path& folder, const std::string& serial,
                              const std::tm& utcTime);

// The first name of the stem that no file holds now (what a dry run would take).
std::filesystem::path FreeBackupName(const std::string& stem);

// Creates the first name of the stem that no file holds and writes the bytes
// into it, flushed; an empty path, and failure says why, when it cannot.
std::filesystem::path SaveBackup(const std::string& stem, std::string_view bytes,
                                 std::string& failure);

std::filesystem::path DefaultBackupPath(const std::filesystem::path& file, const std::tm& time);
std::filesystem::path AsFoundBackupPath(const std::filesystem::path& folder,
                                        const std::string& serial, const std::tm& utcTime);

// The platform's part: the file created only where none of that name exists.
enum class NewFile { Written, Exists, Failed };
NewFile WriteNewFile(const std::filesystem::path& path, std::string_view bytes,
                     std::string& failure);
