// The image checksum: a reflected CRC-16 (polynomial 0x8409, initial value 0, no
// final XOR) computed bit by bit with the constant 0x9021, stored as a 32-bit word.
#pragma once

#include <cstddef>
#include <cstdint>

namespace probe {

std::uint32_t ProbeImageCrc(const std::uint8_t* bytes, std::size_t count);

std::uint32_t LoadLittleEndian32(const std::uint8_t* bytes);
void StoreLittleEndian32(std::uint8_t* bytes, std::uint32_t value);

}  // namespace probe
