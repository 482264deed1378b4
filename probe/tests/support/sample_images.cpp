#include "sample_images.h"

#include <cstdio>
#include <cstring>

#include "image_crc.h"

namespace probe_test {
namespace {

void Put(Image& image, std::size_t offset, std::size_t width, const char* text) {
    char field[300] = {};
    std::snprintf(field, sizeof field, "%s", text);
    std::memcpy(image.data() + offset, field, width);
}

template <typename... Values>
void PutFormatted(Image& image, std::size_t offset, std::size_t width, const char* format,
                  Values... values) {
    char field[300] = {};
    std::snprintf(field, sizeof field, format, values...);
    std::memcpy(image.data() + offset, field, width);
}

void PutFloats(Image& image, std::size_t offset, const std::vector<float>& values) {
    std::memcpy(image.data() + offset, values.data(), values.size() * sizeof(float));
}

void PutOptional(Image& image, std::size_t offset, const char* format,
                 const std::optional<double>& value) {
    if (value)
        PutFormatted(image, offset, 8, format, *value);
    else
        Put(image, offset, 8, "--------");
}

}  // namespace

std::size_t ChecksumOffset(const Image& image, int type) {
    if (type != 2)
        return 252;
    int order = (image[82] - '0') * 10 + (image[83] - '0');
    return 88 + 4 * static_cast<std::size_t>(order);
}

void Reseal(Image& image, int type) {
    std::size_t at = ChecksumOffset(image, type);
    probe::StoreLittleEndian32(image.data() + at, probe::ProbeImageCrc(image.data(), at));
}

Image BuildImage(const ImageContents& contents) {
    Image image;
    image.fill(contents.filler);
    PutFormatted(image, 0, 4, "M%03d", contents.type);
    PutFormatted(image, 4, 8, "S%07d", contents.serial);
    PutFormatted(image, 12, 8, "O%-7s", contents.oText.c_str());
    PutFormatted(image, 20, 8, "DCAL%-4s", contents.calibrationDate.c_str());
    PutFormatted(image, 28, 8, "DFAB%-4s", contents.fabricationDate.c_str());
    PutFormatted(image, 36, 8, "N%07d", contents.nNumber);
    PutFormatted(image, 44, 4, "G%03d", contents.gain);
    PutFormatted(image, 64, 8, "FR%2.1f", contents.fr);
    PutFormatted(image, 72, 8, "C%07d", contents.usageCount);
    int p = static_cast<int>(contents.position.size()) - 1;
    PutFormatted(image, 80, 4, "PO%02d", p);
    PutFloats(image, 84, contents.position);
    std::size_t base = 88 + 4 * static_cast<std::size_t>(p);
    if (contents.type != 2) {
        const ForceLawContents& f = contents.force;
        PutFormatted(image, base, 8, "k %2.2f", f.k);
        PutFormatted(image, base + 8, 8, "x0%2.2f", f.x0);
        PutFormatted(image, base + 16, 8, "F %2.2f", f.f);
        PutFormatted(image, base + 24, 8, "R %2.2f", f.r);
        PutOptional(image, base + 32, "x1%2.2f", f.x1);
        PutOptional(image, base + 40, "f1%2.2f", f.f1);
        PutOptional(image, base + 48, "x2%2.2f", f.x2);
        PutOptional(image, base + 56, "f2%2.2f", f.f2);
        PutFormatted(image, base + 64, 4, "PO%02d", static_cast<int>(f.polynomial.size()) - 1);
        PutFloats(image, base + 68, f.polynomial);
    }
    Reseal(image, contents.type);
    return image;
}

}  // namespace probe_test
