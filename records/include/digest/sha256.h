// SHA-256 (FIPS 180-4) of a byte string: the fingerprint records give an image.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

std::array<uint8_t, 32> Sha256(const void* data, std::size_t size);

// The digest as 64 lowercase hexadecimal digits.
std::string Sha256Hex(const void* data, std::size_t size);
inline std::string Sha256Hex(std::string_view bytes) {
    return Sha256Hex(bytes.data(), bytes.size());
}
