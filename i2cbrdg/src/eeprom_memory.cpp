#include "eeprom_memory.h"

namespace i2cbrdg {

namespace {

std::size_t Wrapped(std::uint32_t address) {
    return address % kEepromSize;
}

}  // namespace

void ReadEeprom(const Eeprom& eeprom, std::uint32_t address, std::size_t length,
                std::uint8_t* out) {
    std::size_t start = Wrapped(address);
    for (std::size_t i = 0; i < length; ++i)
        out[i] = eeprom[(start + i) % kEepromSize];
}

void WriteEeprom(Eeprom& eeprom, std::uint32_t address, std::size_t length,
                 const std::uint8_t* data) {
    std::size_t start = Wrapped(address);
    std::size_t page = start - start % kEepromPageSize;
    for (std::size_t i = 0; i < length; ++i)
        eeprom[page + (start + i) % kEepromPageSize] = data[i];
}

Eeprom BlankEeprom() {
    Eeprom eeprom;
    eeprom.fill(0xFF);
    return eeprom;
}

}  // namespace i2cbrdg
