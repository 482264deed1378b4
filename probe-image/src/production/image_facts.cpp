#include "image_facts.h"

#include "bound_library.h"
#include "field_text.h"
#include "image_layout.h"
#include "sha256.h"
#include "verdict.h"

namespace {

using probe::FieldLayout;
namespace field = probe::field;

std::string TypeText(const ProbeImageBytes& image) {
    FieldLayout whole = field::kType;
    whole.tagLength = 0;
    return probe::FieldValueText(image.data(), whole);
}

// A serial is a number: its field's leading zeros are dropped.
std::string SerialDigits(std::string digits) {
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos)
        return digits;
    const std::size_t first = digits.find_first_not_of('0');
    return first == std::string::npos ? "0" : digits.substr(first);
}

}  // namespace

ImageFacts FactsOfImage(const ProbeImageBytes& image, std::string* library) {
    ImageFacts facts;
    facts.sha256 = Sha256Hex(image.data(), image.size());
    facts.type = TypeText(image);
    facts.serial = SerialDigits(probe::FieldValueText(image.data(), field::kSerial));
    facts.calibrationDate = probe::FieldValueText(image.data(), field::kCalibrationDate);
    const LibraryBinding binding(TypeCharacter(image));
    if (!binding.Bound()) {
        facts.verdict = "refused: " + binding.failure();
        return facts;
    }
    const Verdict verdict = JudgeImage(binding, image);
    facts.verdict = verdict.accepted ? "accepted" : "refused: " + verdict.reason;
    if (library != nullptr)
        *library = binding.library().fileName;
    return facts;
}
