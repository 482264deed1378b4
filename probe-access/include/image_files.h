// Image files: the first 256 bytes of a file read as an image, and files written
// whole, so that no partial file is ever left under the target's name.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string_view>
#include <system_error>

#include "probe_eeprom.h"

enum class ImageFileResult { Read, Missing, Unreadable, TooShort };

// Reads the first EepromSize bytes of the file; a longer file is accepted. On
// TooShort, bytesRead (where given) receives how many the file held.
ImageFileResult ReadImageFile(const std::filesystem::path& path,
                              std::array<uint8_t, EepromSize>& image,
                              std::size_t* bytesRead = nullptr);

// Writes through a temporary file beside the target, renamed over it at the end;
// the target is left as it was on failure. A failure to write the temporary file
// is std::errc::io_error; a failed rename gives the system's error.
std::error_code WriteFileWhole(const std::filesystem::path& path, std::string_view bytes);
