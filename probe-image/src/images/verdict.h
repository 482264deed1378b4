// What a probe library says about an image, with the reason for a refusal in
// words. The reason reads only the two order fields and the checksum word; every
// value shown comes from the library itself.
#pragma once

#include <cstdint>
#include <string>

#include "bound_library.h"
#include "image_file.h"

struct Verdict {
    bool accepted = false;
    bool libraryFound = false;
    std::uint16_t status = 0;  // of ProbeInit (or ProbeGetParameters when that refused)
    std::string reason;        // empty when accepted
    ProbeParameters record{};  // valid when accepted; its blocks live until the next ProbeInit
};

// Has the bound library load the image (ProbeInit, then ProbeGetParameters).
Verdict JudgeImage(const LibraryBinding& binding, const ProbeImageBytes& image);

// The verdict of an image the command needs accepted; throws ToolError(ExitRefused)
// with the reason when the library refuses it.
Verdict RequireAccepted(const LibraryBinding& binding, const ProbeImageBytes& image);

// Why ProbeInit refused the image with this status, for a library of this type.
std::string ExplainRefusal(std::uint16_t status, int libraryType, const ProbeImageBytes& image);

// The probe type a library file serves, from its type character ('6' gives 6).
int LibraryType(const ProbeImageBytes& image);
