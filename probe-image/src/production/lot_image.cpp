#include "lot_image.h"

#include <cstdio>

#include "field_edits.h"
#include "field_text.h"
#include "image_layout.h"
#include "palvo.h"
#include "tool_error.h"

namespace {

namespace field = probe::field;

std::vector<FieldEdit> IdentityEdits(long serial, const std::string& fabricationDate) {
    return {ParseFieldEdit("Serial=" + std::to_string(serial)),
            ParseFieldEdit("FabricationDate=" + fabricationDate)};
}

// The serial field's digits as a number; nullopt for anything else.
std::optional<long> SerialOf(const ProbeImageBytes& image) {
    const std::string digits = probe::FieldValueText(image.data(), field::kSerial);
    if (digits.empty() || digits.size() > 7 ||
        digits.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stol(digits);
}

}  // namespace

std::string FabricationMonth(probe::YearMonth month) {
    char text[8];
    std::snprintf(text, sizeof text, "%02d%02d", ((month.year % 100) + 100) % 100,
                  month.month % 100);
    return text;
}

EncodedImage LotImage(const BoundLibrary& library, const ProbeImageBytes& templateImage,
                      long serial, const std::string& fabricationDate) {
    return EditImage(library, templateImage, IdentityEdits(serial, fabricationDate),
                     ProbeModeManufacture);
}

std::optional<long> LotSerialHeld(const BoundLibrary& library, const ProbeImageBytes& templateImage,
                                  const ProbeImageBytes& found, const SerialRange& range) {
    if (TypeCharacter(found) != TypeCharacter(templateImage))
        return std::nullopt;
    const std::optional<long> serial = SerialOf(found);
    if (!serial || !range.Holds(*serial))
        return std::nullopt;
    const std::string fabrication = probe::FieldValueText(found.data(), field::kFabricationDate);
    try {
        const EncodedImage expected = LotImage(library, templateImage, *serial, fabrication);
        if (!expected.lostEdits.empty() || expected.image != found)
            return std::nullopt;
    } catch (const ToolError&) {
        return std::nullopt;  // a date the field cannot hold is no image of the lot
    }
    return serial;
}
