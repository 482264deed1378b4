// Arbitrary bytes as an EEPROM image for each probe type. Accepted images go
// through every query and the encoder; an image encoded in calibration mode from
// the library's own record must be accepted again and be a fixed point of
// decoding and encoding. Refused images go through the manufacture encoder.
#include <cstdint>
#include <cstring>

#include "calibration.h"
#include "conversions.h"
#include "decoder.h"
#include "encoder.h"
#include "fuzz_checks.h"
#include "image_layout.h"
#include "probe_state.h"
#include "probe_traits.h"

namespace {

using namespace probe;

const ProbeTraits* const kAllTraits[] = {&kProbeType2, &kProbeType3, &kProbeType6};
const std::int32_t kModes[] = {ProbeModeUsage, ProbeModeManufacture, ProbeModeCalibration, 0, -1};

// A raw reading taken from the input bytes past the image.
float RawValue(const std::uint8_t* data, std::size_t size, std::size_t index) {
    float value = 0.0f;
    std::size_t at = kImageSize + 4 * index;
    if (at + 4 <= size)
        std::memcpy(&value, data + at, 4);
    return value;
}

void QueryEverything(const ProbeTraits& traits, const ProbeState& state, const std::uint8_t* data,
                     std::size_t size) {
    float result = 0.0f;
    for (std::size_t i = 0; i < 4; ++i) {
        float raw = RawValue(data, size, i);
        FUZZ_CHECK(GetForce(traits, state, raw, &result) == ProbeStatusOk);
        FUZZ_CHECK(GetPression(traits, state, raw, &result) == ProbeStatusOk);
        FUZZ_CHECK(GetPosition(state, raw, &result) == ProbeStatusOk);
        std::int16_t sample = 0;
        std::memcpy(&sample, &raw, sizeof sample);
        FUZZ_CHECK(GetPosition2(state, sample, &result) == ProbeStatusOk);
    }
    std::int32_t calibrated = -1;
    FUZZ_CHECK(IsCalibrated(state, YearMonth{2026, 12}, &calibrated) == ProbeStatusOk);
    FUZZ_CHECK(calibrated == 0 || calibrated == 1);
}

void CheckCalibrationRoundTrip(const ProbeTraits& traits, const ProbeState& state) {
    ProbeParameters record{};
    record.Size = PROBE_PARAMETERS_SIZE;
    FUZZ_CHECK(GetParameters(state, &record) == ProbeStatusOk);
    std::uint8_t first[kImageSize];
    FUZZ_CHECK(SetParameters(traits, state, record, first, ProbeModeCalibration) == ProbeStatusOk);

    static ProbeState again;
    FUZZ_CHECK(DecodeImage(traits, again, first) == ProbeStatusOk);
    ProbeParameters decoded{};
    decoded.Size = PROBE_PARAMETERS_SIZE;
    FUZZ_CHECK(GetParameters(again, &decoded) == ProbeStatusOk);
    FUZZ_CHECK(decoded.Type == record.Type && decoded.Serial == record.Serial);
    FUZZ_CHECK(decoded.PositionOrder == record.PositionOrder &&
               decoded.ForceOrder == record.ForceOrder);
    FUZZ_CHECK(decoded.Gain == record.Gain);
    std::uint8_t second[kImageSize];
    FUZZ_CHECK(SetParameters(traits, again, decoded, second, ProbeModeCalibration) ==
               ProbeStatusOk);
    FUZZ_CHECK(std::memcmp(first, second, kImageSize) == 0);
    ResetProbeState(again);
}

void FuzzOneType(const ProbeTraits& traits, const std::uint8_t* image, const std::uint8_t* data,
                 std::size_t size) {
    static ProbeState state;
    std::uint16_t status = DecodeImage(traits, state, image);
    FUZZ_CHECK(status <= 3);
    FUZZ_CHECK((status == ProbeStatusOk) == (state.Ready == 1));
    FUZZ_CHECK(std::memcmp(state.StoredImage, image, kImageSize) == 0);

    static ProbeState snapshot;
    std::memcpy(&snapshot, &state, sizeof state);
    if (status == ProbeStatusOk) {
        FUZZ_CHECK(state.Parameters.Type == traits.type);
        QueryEverything(traits, state, data, size);
        for (std::int32_t mode : kModes) {
            std::uint8_t output[kImageSize];
            FUZZ_CHECK(SetParameters(traits, state, state.Parameters, output, mode) ==
                       ProbeStatusOk);
        }
        CheckCalibrationRoundTrip(traits, state);
    } else {
        std::uint8_t output[kImageSize];
        std::uint16_t encoded =
            SetParameters(traits, state, state.Parameters, output, ProbeModeManufacture);
        FUZZ_CHECK(encoded == ProbeStatusOk || encoded == ProbeStatusCannotEncode);
    }
    FUZZ_CHECK(std::memcmp(&snapshot, &state, sizeof state) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint8_t image[kImageSize] = {};
    std::memcpy(image, data, size < kImageSize ? size : kImageSize);
    for (const ProbeTraits* traits : kAllTraits)
        FuzzOneType(*traits, image, data, size);
    return 0;
}
