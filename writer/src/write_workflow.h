// The write workflow behind the "Write" button: pick an image file and write its
// first 256 bytes into the probe's EEPROM.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>

#include "i2c_bridge.h"
#include "writer_view.h"

enum class ImageFileResult { Read, Missing, TooShort };

// Reads the first EepromSize bytes of the file; a longer file is accepted.
ImageFileResult ReadImageFile(const std::filesystem::path& path,
                              std::array<uint8_t, EepromSize>& image);

// Cancelling the file choice changes nothing; every other outcome sets one status
// text, and a write attempt also reports its result in a message.
void RunWriteWorkflow(I2cBridge& bridge, WriterView& view);
