// SHA-256 (FIPS 180-4) of bytes held in memory: the digest, and the digest as the
// 64 lowercase hexadecimal digits that sha256sum prints.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

using Sha256Digest = std::array<std::uint8_t, 32>;

Sha256Digest Sha256(std::span<const std::uint8_t> bytes);

std::string Sha256Hex(std::span<const std::uint8_t> bytes);
// The same for text held as characters, such as a file read whole.
std::string Sha256Hex(std::string_view bytes);
