// Images made by the probe library's own encoder: an edited record encoded in one
// mode, or a fresh image built in the sequence of passes the encoder needs, each
// result decoded again by the same library before it counts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bound_library.h"
#include "field_edits.h"
#include "image_file.h"

struct EncodedImage {
    ProbeImageBytes image{};
    std::vector<std::string> lostEdits;  // edits that did not come back as given
    std::vector<std::string> notes;      // what the user should know about the way taken
};

// ProbeSetParameters; throws ToolError(ExitRefused) naming the refusal.
ProbeImageBytes EncodeRecord(const BoundLibrary& library, const ProbeParameters& record,
                             std::int32_t mode);

// ProbeInit and ProbeGetParameters; throws ToolError(ExitRefused) with the reason
// when the library refuses the image. The record's blocks live until the next
// ProbeInit.
ProbeParameters DecodeImage(const BoundLibrary& library, const ProbeImageBytes& image);

// The image in the file with the edits encoded in the mode. A refused image is
// edited only in manufacture mode, starting from an empty record.
EncodedImage EditImage(const BoundLibrary& library, const ProbeImageBytes& original,
                       const std::vector<FieldEdit>& edits, std::int32_t mode);

// A fresh image of the library's type holding the edits.
EncodedImage NewImage(const BoundLibrary& library, int probeType,
                      const std::vector<FieldEdit>& edits);
