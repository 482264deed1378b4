// An image loaded into a bound probe library the way every host loads one:
// ProbeInit over the image, then ProbeGetParameters into a record sized for this
// interface. The status poll and the tool's verdict both load images so.
#pragma once

#include <cstdint>

#include "probe_library.h"

enum class ImageLoadStage {
    Accepted,       // the library holds the image and handed out its record
    ImageRefused,   // ProbeInit refused the image
    RecordRefused,  // ProbeInit took the image, ProbeGetParameters refused
};

struct ImageLoad {
    ImageLoadStage stage = ImageLoadStage::ImageRefused;
    std::uint16_t status = 0;  // of ProbeInit, or of ProbeGetParameters when that refused
};

// The record is cleared and sized before the library fills it; its blocks live
// until the library's next ProbeInit.
ImageLoad LoadImageRecord(const ProbeLibrary& library, const std::uint8_t* image,
                          ProbeParameters& record);
