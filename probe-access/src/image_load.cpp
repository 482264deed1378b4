#include "image_load.h"

ImageLoad LoadImageRecord(const ProbeLibrary& library, const std::uint8_t* image,
                          ProbeParameters& record) {
    ImageLoad load;
    load.status = library.ProbeInit(image);
    if (load.status != ProbeStatusOk)
        return load;
    record = ProbeParameters{};
    record.Size = PROBE_PARAMETERS_SIZE;
    load.status = library.ProbeGetParameters(&record);
    load.stage =
        load.status == ProbeStatusOk ? ImageLoadStage::Accepted : ImageLoadStage::RecordRefused;
    return load;
}
