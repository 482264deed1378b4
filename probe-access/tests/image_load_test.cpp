// An image loaded into a probe library: ProbeInit first, ProbeGetParameters only
// after it accepted, into a cleared record of this interface's size.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "image_load.h"

namespace {

struct FakeLibrary {
    std::uint16_t initStatus = ProbeStatusOk;
    std::uint16_t parametersStatus = ProbeStatusOk;
    std::vector<const char*> calls;
    const std::uint8_t* initImage = nullptr;
    std::uint32_t givenSize = 0;
    bool givenCleared = false;
};

FakeLibrary* fake = nullptr;

std::uint16_t PALVO_CALL FakeInit(const std::uint8_t* image) {
    fake->calls.push_back("ProbeInit");
    fake->initImage = image;
    return fake->initStatus;
}

std::uint16_t PALVO_CALL FakeGetParameters(ProbeParameters* record) {
    fake->calls.push_back("ProbeGetParameters");
    fake->givenSize = record->Size;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(record);
    fake->givenCleared = std::all_of(bytes + sizeof record->Size, bytes + sizeof *record,
                                     [](std::uint8_t b) { return b == 0; });
    record->Serial = 1234;
    return fake->parametersStatus;
}

struct LoadCase {
    std::uint16_t initStatus;
    std::uint16_t parametersStatus;
    ImageLoadStage stage;
    std::uint16_t status;
    std::size_t calls;
};

TEST(ImageLoad, InitThenParametersAndTheStageThatRefused) {
    const LoadCase cases[] = {
        {ProbeStatusOk, ProbeStatusOk, ImageLoadStage::Accepted, ProbeStatusOk, 2},
        {ProbeStatusBadChecksum, ProbeStatusOk, ImageLoadStage::ImageRefused,
         ProbeStatusBadChecksum, 1},
        {ProbeStatusWrongType, ProbeStatusOk, ImageLoadStage::ImageRefused, ProbeStatusWrongType,
         1},
        {ProbeStatusOk, ProbeStatusBadSize, ImageLoadStage::RecordRefused, ProbeStatusBadSize, 2},
    };
    for (const LoadCase& c : cases) {
        FakeLibrary library;
        library.initStatus = c.initStatus;
        library.parametersStatus = c.parametersStatus;
        fake = &library;
        ProbeLibrary bound;
        bound.ProbeInit = FakeInit;
        bound.ProbeGetParameters = FakeGetParameters;
        const std::uint8_t image[PROBE_IMAGE_SIZE] = {'M', '0', '0', '6'};
        ProbeParameters record{};
        std::fill_n(reinterpret_cast<std::uint8_t*>(&record), sizeof record, 0xA5);
        const ImageLoad load = LoadImageRecord(bound, image, record);
        EXPECT_EQ(load.stage, c.stage) << c.initStatus << "/" << c.parametersStatus;
        EXPECT_EQ(load.status, c.status);
        ASSERT_EQ(library.calls.size(), c.calls);
        EXPECT_EQ(library.initImage, image);
        if (c.calls == 2) {
            EXPECT_EQ(library.givenSize, PROBE_PARAMETERS_SIZE);
            EXPECT_TRUE(library.givenCleared);
            EXPECT_EQ(record.Serial, 1234);
        }
        fake = nullptr;
    }
}

}  // namespace
