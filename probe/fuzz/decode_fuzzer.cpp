// Arbitrary bytes as an EEPROM image for each probe type. Accepted images go
// through every query and the encoder; an image encoded in calibration mode from
// the library's own record must be accepted again and be a fixed point of
// decoding and encoding. Refused images go through the manufacture encoder.
#include <cstdint>
#include <cstring>

#include "block_memory.h"
#include "calibration.h"
#include "conversions.h"
#include "decoder.h"
#include "encoder.h"
#include "field_text.h"
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

// Real fields survive an encoding apart from the decimals their format drops, as
// long as their text ends inside its field (shorter than the field, so NUL-ended).
bool SameText(const char* format, float before, float after) {
    TextBuffer a{}, b{};
    FormatText(a, format, static_cast<double>(before));
    FormatText(b, format, static_cast<double>(after));
    return std::strcmp(a.data(), b.data()) == 0;
}

// Whether an integer reading that reached the end of its field stopped there, or
// could have run on into the next field's bytes.
bool EndsAt(const std::uint8_t* image, std::size_t next) {
    std::uint8_t c = image[next];
    bool continues =
        (c >= '0' && c <= '9') || c == '+' || c == '-' || c == ' ' || (c >= '\t' && c <= '\r');
    return !continues;
}

bool ShortText(float value) {
    return value > -9.99f && value < 99.99f;
}

bool SameCoefficients(ProbeBlockHandle a, ProbeBlockHandle b, unsigned order) {
    BlockLock first(a), second(b);
    return first.data() != nullptr && second.data() != nullptr &&
           std::memcmp(first.data(), second.data(), CoefficientBytes(order)) == 0;
}

// An image encoded in calibration mode from the library's own record is accepted
// again and decodes to the same record, apart from dropped decimals and handles.
void CheckCalibrationRoundTrip(const ProbeTraits& traits, const ProbeState& state) {
    ProbeParameters record{};
    record.Size = PROBE_PARAMETERS_SIZE;
    FUZZ_CHECK(GetParameters(state, &record) == ProbeStatusOk);
    std::uint8_t image[kImageSize];
    FUZZ_CHECK(SetParameters(traits, state, record, image, ProbeModeCalibration) == ProbeStatusOk);

    static ProbeState again;
    FUZZ_CHECK(DecodeImage(traits, again, image) == ProbeStatusOk);
    const ProbeParameters& decoded = again.Parameters;
    FUZZ_CHECK(decoded.Type == record.Type);
    FUZZ_CHECK(decoded.PositionOrder == record.PositionOrder &&
               decoded.ForceOrder == record.ForceOrder);
    // Integer readings run on into the next field when its first byte can continue
    // a number; where the original image let them, the rewritten tags stop them.
    const std::uint8_t* original = state.StoredImage;
    auto endOf = [](const FieldLayout& layout) { return layout.offset + layout.width; };
    FUZZ_CHECK(!EndsAt(original, endOf(field::kSerial)) || decoded.Serial == record.Serial);
    FUZZ_CHECK(!EndsAt(original, endOf(field::kNNumber)) || decoded.NNumber == record.NNumber);
    FUZZ_CHECK(!EndsAt(original, endOf(field::kUsageCount)) ||
               decoded.UsageCount == record.UsageCount);
    FUZZ_CHECK(!EndsAt(original, endOf(field::kGain)) || decoded.Gain == record.Gain);
    FUZZ_CHECK(SameCoefficients(decoded.PositionCoefficients, record.PositionCoefficients,
                                record.PositionOrder));
    if (traits.hasForceLaw) {
        FUZZ_CHECK(SameCoefficients(decoded.ForceCoefficients, record.ForceCoefficients,
                                    record.ForceOrder));
        const float ProbeParameters::*reals[] = {
            &ProbeParameters::ForceK,  &ProbeParameters::ForceX0, &ProbeParameters::ForceX1,
            &ProbeParameters::ForceF1, &ProbeParameters::ForceX2, &ProbeParameters::ForceF2};
        for (auto member : reals) {
            if (ShortText(record.*member))
                FUZZ_CHECK(SameText("%2.2f", record.*member, decoded.*member));
        }
    }
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
