// Probe images for tests, laid out by hand from the format, not by the encoder.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace probe_test {

using Image = std::array<std::uint8_t, 256>;

struct ForceLawContents {
    double k = 2.0;
    double x0 = 0.5;
    double f = 3.5;
    double r = 5.7;
    std::optional<double> x1, f1, x2, f2;
    std::vector<float> polynomial{0.0f};
};

struct ImageContents {
    int type = 6;
    int serial = 1234567;
    std::string oText = "ABCDEFG";
    std::string calibrationDate = "2512";
    std::string fabricationDate = "2406";
    int nNumber = 7654321;
    int gain = 52;
    double fr = 3.5;
    int usageCount = 42;
    std::vector<float> position{0.0f, 1.0f};
    ForceLawContents force;      // ignored for type 2
    std::uint8_t filler = 0xFF;  // bytes no field covers
};

// A sound image with a correct checksum (types 3 and 6 at 252, type 2 after the
// position coefficients).
Image BuildImage(const ImageContents& contents);

// Recomputes and stores the checksum of an image of the given type.
void Reseal(Image& image, int type);

// Offset of the type-2 checksum, or 252.
std::size_t ChecksumOffset(const Image& image, int type);

}  // namespace probe_test
