#include "eeprom_file.h"

#include <fstream>
#include <system_error>

namespace i2cbrdg {

namespace {

bool WriteWhole(const std::filesystem::path& path, const Eeprom& eeprom) {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(eeprom.data()), eeprom.size());
    file.close();
    return !file.fail();
}

}  // namespace

bool LoadEepromFile(const std::filesystem::path& path, Eeprom& eeprom) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) {
        if (error)
            return false;
        eeprom = BlankEeprom();
        return SaveEepromFile(path, eeprom);
    }
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return false;
    Eeprom content = BlankEeprom();
    file.read(reinterpret_cast<char*>(content.data()), content.size());
    if (file.bad())
        return false;
    eeprom = content;
    return true;
}

bool SaveEepromFile(const std::filesystem::path& path, const Eeprom& eeprom) {
    std::filesystem::path temporary = path;
    temporary += ".tmp";
    if (!WriteWhole(temporary, eeprom))
        return false;
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (!error)
        return true;
    std::filesystem::remove(temporary, error);
    return false;
}

}  // namespace i2cbrdg
