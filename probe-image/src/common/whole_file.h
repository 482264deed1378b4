// Files written whole: through a temporary file beside the target, renamed over
// it at the end, so that no partial file is ever left under the target's name.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

// Throws ToolError(ExitFile) on failure, leaving the target as it was.
void WriteWholeFile(const std::filesystem::path& path, std::string_view bytes);

// The path in quotes, for messages.
std::string QuotedPath(const std::filesystem::path& path);
