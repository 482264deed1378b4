// The memory array of a 256-byte serial EEPROM with one-byte addresses and 16-byte
// write pages, and the probe image the simulated part carries from the factory.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace i2cbrdg {

inline constexpr std::size_t kEepromSize = 256;
inline constexpr std::size_t kEepromPageSize = 16;

using Eeprom = std::array<std::uint8_t, kEepromSize>;

// Sequential read: the address counter rolls over from 255 to 0, for any length.
void ReadEeprom(const Eeprom& eeprom, std::uint32_t address, std::size_t length, std::uint8_t* out);

// Page write: the counter rolls over inside the page that holds the start address,
// so bytes beyond the page's end land at its beginning.
void WriteEeprom(Eeprom& eeprom, std::uint32_t address, std::size_t length,
                 const std::uint8_t* data);

// A blank part: every byte 0xFF.
Eeprom BlankEeprom();

// A sound type-6 probe image with its checksum, the content of the in-memory part.
Eeprom SampleProbeImage();

}  // namespace i2cbrdg
