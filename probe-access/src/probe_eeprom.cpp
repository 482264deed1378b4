#include "probe_eeprom.h"

#include <cstring>

int WriteSelectedPages(ProbeEeprom& eeprom, const uint8_t* image,
                       const std::vector<unsigned>& offsets, const PageWritten& written) {
    int first = BridgeSuccess;
    for (unsigned offset : offsets) {
        const int status = eeprom.WritePage(offset, image + offset);
        if (written)
            written(offset, status);
        if (first == BridgeSuccess)
            first = status;
    }
    return first;
}

int WriteImagePages(ProbeEeprom& eeprom, const uint8_t* image, const PageWritten& written) {
    std::vector<unsigned> offsets;
    for (unsigned offset = 0; offset < EepromSize; offset += EepromPageSize)
        offsets.push_back(offset);
    return WriteSelectedPages(eeprom, image, offsets, written);
}

std::vector<unsigned> DifferentPages(const uint8_t* a, const uint8_t* b) {
    std::vector<unsigned> pages;
    for (unsigned offset = 0; offset < EepromSize; offset += EepromPageSize)
        if (std::memcmp(a + offset, b + offset, EepromPageSize) != 0)
            pages.push_back(offset);
    return pages;
}

VerifiedRead ReadImageVerified(ProbeEeprom& eeprom, unsigned tries) {
    VerifiedRead result;
    std::vector<std::array<uint8_t, EepromSize>> reads;
    while (result.reads < tries) {
        std::array<uint8_t, EepromSize> image{};
        result.status = eeprom.ReadImage(image.data());
        ++result.reads;
        if (result.status != BridgeSuccess)
            return result;
        for (std::size_t earlier = 0; earlier < reads.size(); ++earlier) {
            if (reads[earlier] == image) {
                result.agreed = true;
                result.first = static_cast<unsigned>(earlier + 1);
                result.second = result.reads;
                result.image = image;
                return result;
            }
        }
        reads.push_back(image);
    }
    return result;
}
