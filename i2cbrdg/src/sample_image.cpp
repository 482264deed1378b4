// The factory content of the simulated EEPROM: a type-6 probe with position
// polynomial 0 + 1·x, a linear force law without thresholds and a constant zero
// force polynomial, laid out and checksummed as the image format has it.
#include <cstddef>
#include <cstdint>

#include "eeprom_memory.h"
#include "image_crc.h"
#include "image_layout.h"

namespace i2cbrdg {

namespace {

namespace field = probe::field;
using probe::FieldLayout;

constexpr std::uint32_t kFloatZero = 0x00000000;
constexpr std::uint32_t kFloatOne = 0x3F800000;  // 1.0f
constexpr unsigned kPositionOrder = 1;           // two coefficients
constexpr std::size_t kForceLaw = probe::ForceLawOffset(kPositionOrder);

// The text of a field, exactly its width; a text shorter than its value carries
// the NUL and zero fill in the literal itself.
template <const FieldLayout& layout, std::size_t N>
void Put(Eeprom& image, std::size_t base, const char (&text)[N]) {
    static_assert(N - 1 == layout.width, "a field's text fills the field");
    for (std::size_t i = 0; i < layout.width; ++i)
        image[base + layout.offset + i] = static_cast<std::uint8_t>(text[i]);
}

Eeprom BuildSampleImage() {
    Eeprom image{};
    image.fill(0xFF);
    Put<field::kType>(image, 0, "M006");
    Put<field::kSerial>(image, 0, "S1000001");
    Put<field::kOText>(image, 0, "OSIMULAT");
    Put<field::kCalibrationDate>(image, 0, "DCAL2512");
    Put<field::kFabricationDate>(image, 0, "DFAB2506");
    Put<field::kNNumber>(image, 0, "N0000001");
    Put<field::kGain>(image, 0, "G052");
    Put<field::kFr>(image, 0, "FR3.5\0\0\0");
    Put<field::kUsageCount>(image, 0, "C0000000");
    Put<field::kPositionOrder>(image, 0, "PO01");
    probe::StoreLittleEndian32(image.data() + probe::kPositionCoefficientsOffset, kFloatZero);
    probe::StoreLittleEndian32(
        image.data() + probe::kPositionCoefficientsOffset + probe::kCoefficientSize, kFloatOne);
    Put<field::kForceK>(image, kForceLaw, "k 2.00\0\0");
    Put<field::kForceX0>(image, kForceLaw, "x00.50\0\0");
    Put<field::kFValue>(image, kForceLaw, "F 3.50\0\0");
    Put<field::kRValue>(image, kForceLaw, "R 5.70\0\0");
    Put<field::kForceX1>(image, kForceLaw, "--------");  // no thresholds
    Put<field::kForceF1>(image, kForceLaw, "--------");
    Put<field::kForceX2>(image, kForceLaw, "--------");
    Put<field::kForceF2>(image, kForceLaw, "--------");
    Put<field::kForceOrder>(image, kForceLaw, "PO00");  // one coefficient
    probe::StoreLittleEndian32(image.data() + kForceLaw + probe::kForceCoefficientsOffset,
                               kFloatZero);
    probe::StoreLittleEndian32(image.data() + probe::kChecksumOffset,
                               probe::ProbeImageCrc(image.data(), probe::kChecksumOffset));
    return image;
}

}  // namespace

Eeprom SampleProbeImage() {
    static const Eeprom image = BuildSampleImage();
    return image;
}

}  // namespace i2cbrdg
