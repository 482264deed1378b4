#include "verdict.h"

#include <cstdio>

#include "field_text.h"
#include "image_crc.h"
#include "image_layout.h"
#include "image_load.h"
#include "probe_types.h"
#include "tool_error.h"

namespace {

std::string Hex(std::uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%04X", static_cast<unsigned>(value));
    return text;
}

// The order as the library stores it: the reading's low 8 bits.
unsigned OrderAt(const ProbeImageBytes& image, std::size_t offset) {
    return static_cast<std::uint8_t>(probe::ReadOrder(image.data() + offset));
}

std::string TypeFieldText(const ProbeImageBytes& image) {
    std::string text;
    for (std::size_t i = 0; i < probe::field::kType.width; ++i) {
        const char c = static_cast<char>(image[probe::field::kType.offset + i]);
        text += (c >= ' ' && c <= '~') ? c : '?';
    }
    return text;
}

std::string ExplainOrders(int libraryType, const ProbeImageBytes& image) {
    const unsigned p = OrderAt(image, probe::field::kPositionOrder.ValueOffset());
    if (p > probe::kMaxOrder)
        return "position order " + std::to_string(p) + " is above " +
               std::to_string(probe::kMaxOrder);
    if (libraryType == kTypeWithRatioLaw)
        return "a polynomial order is out of range";
    const unsigned q =
        OrderAt(image, probe::ForceLawOffset(p) + probe::field::kForceOrder.ValueOffset());
    if (q > probe::kMaxOrder)
        return "force order " + std::to_string(q) + " is above " + std::to_string(probe::kMaxOrder);
    return "position order " + std::to_string(p) + " and force order " + std::to_string(q) +
           " are too large together (their sum may be at most " +
           std::to_string(probe::kMaxOrderSum) + ")";
}

std::string ExplainChecksum(int libraryType, const ProbeImageBytes& image) {
    std::size_t covered = probe::kChecksumOffset;
    if (libraryType == kTypeWithRatioLaw)
        covered = probe::ForceLawOffset(OrderAt(image, probe::field::kPositionOrder.ValueOffset()));
    const std::uint32_t stored = probe::LoadLittleEndian32(image.data() + covered);
    const std::uint32_t computed = probe::ProbeImageCrc(image.data(), covered);
    return "checksum mismatch: stored " + Hex(stored) + " at offset " + std::to_string(covered) +
           ", computed " + Hex(computed) + " over bytes 0 to " + std::to_string(covered - 1);
}

}  // namespace

int LibraryType(const ProbeImageBytes& image) {
    return TypeCharacter(image) - '0';
}

std::string ExplainRefusal(std::uint16_t status, int libraryType, const ProbeImageBytes& image) {
    switch (status) {
        case ProbeStatusWrongType:
            return "wrong type: the type field reads \"" + TypeFieldText(image) + "\" but Palvo" +
                   std::to_string(libraryType) + " takes only type " + std::to_string(libraryType);
        case ProbeStatusBadChecksum:
            return ExplainChecksum(libraryType, image);
        case ProbeStatusBadOrder:
            return ExplainOrders(libraryType, image);
        case ProbeStatusNoMemory:
            return "the library could not get memory for its tables";
        default:
            return "refused with status " + std::to_string(status);
    }
}

Verdict JudgeImage(const LibraryBinding& binding, const ProbeImageBytes& image) {
    Verdict verdict;
    if (!binding.Bound()) {
        verdict.reason = binding.failure();
        return verdict;
    }
    verdict.libraryFound = true;
    const ImageLoad load = LoadImageRecord(binding.library().core, image.data(), verdict.record);
    verdict.status = load.status;
    switch (load.stage) {
        case ImageLoadStage::Accepted:
            verdict.accepted = true;
            break;
        case ImageLoadStage::ImageRefused:
            verdict.reason = ExplainRefusal(verdict.status, LibraryType(image), image);
            break;
        case ImageLoadStage::RecordRefused:
            verdict.reason =
                "the library accepted the image but refused to hand out its record "
                "(status " +
                std::to_string(verdict.status) + ")";
            break;
    }
    return verdict;
}

Verdict RequireAccepted(const LibraryBinding& binding, const ProbeImageBytes& image) {
    Verdict verdict = JudgeImage(binding, image);
    if (!verdict.accepted)
        throw ToolError(ExitRefused, "image refused: " + verdict.reason);
    return verdict;
}
