// The factory content of the simulated EEPROM, laid out at compile time: a type-6
// probe with position polynomial 0 + 1·x, a linear force law without thresholds
// and a constant zero force polynomial.
#include <cstddef>
#include <cstdint>

#include "eeprom_memory.h"

namespace i2cbrdg {

namespace {

constexpr std::uint8_t kFloatZero[4] = {0x00, 0x00, 0x00, 0x00};
constexpr std::uint8_t kFloatOne[4] = {0x00, 0x00, 0x80, 0x3F};
constexpr std::size_t kChecksumOffset = 252;

// Field text of exactly `width` bytes; texts shorter than their field carry the
// terminating NUL and zero fill in the literal itself.
template <std::size_t N>
constexpr void Put(Eeprom& image, std::size_t offset, std::size_t width, const char (&text)[N]) {
    for (std::size_t i = 0; i < width; ++i)
        image[offset + i] = static_cast<std::uint8_t>(text[i]);
}

constexpr void PutBytes(Eeprom& image, std::size_t offset, const std::uint8_t (&bytes)[4]) {
    for (std::size_t i = 0; i < 4; ++i)
        image[offset + i] = bytes[i];
}

// Bit-wise CRC, constant 0x9021 after the shift, initial value 0.
constexpr std::uint32_t ImageCrc(const Eeprom& image, std::size_t count) {
    std::uint32_t crc = 0;
    for (std::size_t i = 0; i < count; ++i) {
        crc ^= image[i];
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1u) ? (crc >> 1) ^ 0x9021u : crc >> 1;
    }
    return crc;
}

constexpr Eeprom BuildSampleImage() {
    Eeprom image{};
    for (auto& byte : image)
        byte = 0xFF;
    Put(image, 0, 4, "M006");
    Put(image, 4, 8, "S1000001");
    Put(image, 12, 8, "OSIMULAT");
    Put(image, 20, 8, "DCAL2512");
    Put(image, 28, 8, "DFAB2506");
    Put(image, 36, 8, "N0000001");
    Put(image, 44, 4, "G052");
    Put(image, 64, 8, "FR3.5\0\0\0");
    Put(image, 72, 8, "C0000000");
    Put(image, 80, 4, "PO01");  // position order 1: two coefficients
    PutBytes(image, 84, kFloatZero);
    PutBytes(image, 88, kFloatOne);
    Put(image, 92, 8, "k 2.00\0\0");
    Put(image, 100, 8, "x00.50\0\0");
    Put(image, 108, 8, "F 3.50\0\0");
    Put(image, 116, 8, "R 5.70\0\0");
    Put(image, 124, 8, "--------");  // x1, f1, x2, f2 absent
    Put(image, 132, 8, "--------");
    Put(image, 140, 8, "--------");
    Put(image, 148, 8, "--------");
    Put(image, 156, 4, "PO00");  // force order 0: one coefficient
    PutBytes(image, 160, kFloatZero);
    std::uint32_t crc = ImageCrc(image, kChecksumOffset);
    for (std::size_t i = 0; i < 4; ++i)
        image[kChecksumOffset + i] = static_cast<std::uint8_t>(crc >> (8 * i));
    return image;
}

constexpr Eeprom kSampleImage = BuildSampleImage();

static_assert(ImageCrc(kSampleImage, kChecksumOffset) != 0, "checksum computed");
static_assert(kSampleImage[254] == 0 && kSampleImage[255] == 0, "16-bit checksum in a 32-bit word");

}  // namespace

Eeprom SampleProbeImage() {
    return kSampleImage;
}

}  // namespace i2cbrdg
