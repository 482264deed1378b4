// An EEPROM kept in a file of 256 bytes, so that its content outlives the process
// and other processes see every page as soon as it is written.
#pragma once

#include <filesystem>

#include "eeprom_memory.h"

namespace i2cbrdg {

// Reads the file; a missing file is created blank (0xFF), a short one reads as
// padded with 0xFF. False when the file can be neither read nor created.
bool LoadEepromFile(const std::filesystem::path& path, Eeprom& eeprom);

// Replaces the file in one step: the content goes to a temporary file beside it,
// which is then renamed over it, so no reader ever sees half a write.
bool SaveEepromFile(const std::filesystem::path& path, const Eeprom& eeprom);

}  // namespace i2cbrdg
