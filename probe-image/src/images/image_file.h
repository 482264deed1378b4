// Image files: read the first 256 bytes of a file, write 256 bytes so that no
// partial file is ever left under the target name.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>

#include "palvo.h"

using ProbeImageBytes = std::array<std::uint8_t, PROBE_IMAGE_SIZE>;

// Throws ToolError(ExitFile) when the file cannot be read or holds fewer than 256
// bytes; a longer file gives its first 256, as the writer takes it.
ProbeImageBytes ReadImageFile(const std::filesystem::path& path);

// Writes through a temporary file beside the target, renamed over it at the end.
// Throws ToolError(ExitFile) on failure, leaving the target as it was.
void WriteImageFile(const std::filesystem::path& path, const ProbeImageBytes& image);
