#include "field_edits.h"

#include <cmath>
#include <cstdint>
#include <limits>

#include "comma_list.h"
#include "image_layout.h"
#include "joined_text.h"
#include "number_text.h"
#include "tool_error.h"

namespace {

constexpr std::size_t kMaxCoefficients = probe::kMaxOrder + 1;

[[noreturn]] void Refuse(std::string_view assignment, const std::string& why) {
    throw ToolError(ExitUsage, "--set " + std::string(assignment) + ": " + why);
}

std::vector<float> ParseCoefficients(std::string_view assignment, std::string_view list) {
    std::vector<float> values;
    for (std::string_view item : SplitCommaList(list)) {
        const auto value = ParseFloat(item);
        if (!value)
            Refuse(assignment, "a coefficient is not a number");
        values.push_back(*value);
    }
    if (values.size() > kMaxCoefficients)
        Refuse(assignment, "at most " + std::to_string(kMaxCoefficients) + " coefficients");
    return values;
}

bool SameFloat(float a, float b) {
    return a == b || (std::isnan(a) && std::isnan(b));
}

// What a text field holds after the image when it keeps the text whole: the text
// blank-padded to the field's width. A longer text never comes back whole.
std::string PaddedText(const std::string& given, std::size_t width) {
    std::string text = given;
    if (text.size() < width)
        text.resize(width, ' ');
    return text;
}

std::string CoefficientList(const std::vector<float>& values) {
    return JoinedText(values, ",", ShortestText);
}

std::string QuotedText(const std::string& text) {
    std::string quoted = "\"";
    quoted += PrintableText(text);
    quoted += "\"";
    return quoted;
}

std::string Lost(const FieldEdit& edit, const std::string& stored) {
    return std::string(edit.field->name) + "=" + edit.given + " comes back as " + stored;
}

}  // namespace

FieldEdit ParseFieldEdit(std::string_view assignment) {
    const std::size_t equals = assignment.find('=');
    if (equals == std::string_view::npos)
        Refuse(assignment, "expected Field=value");
    FieldEdit edit;
    edit.field = FindRecordField(assignment.substr(0, equals));
    if (edit.field == nullptr)
        Refuse(assignment, "no such field");
    if (!edit.field->settable)
        Refuse(assignment, "this field is not set from the command line");
    edit.given = std::string(assignment.substr(equals + 1));
    switch (edit.field->kind) {
        case FieldKind::Int32: {
            const auto value = ParseInteger(edit.given, std::numeric_limits<std::int32_t>::min(),
                                            std::numeric_limits<std::int32_t>::max());
            if (!value)
                Refuse(assignment, "expected a 32-bit integer");
            edit.integer = *value;
            break;
        }
        case FieldKind::UInt8: {
            const auto value = ParseInteger(edit.given, 0, 255);
            if (!value)
                Refuse(assignment, "expected an integer from 0 to 255");
            edit.integer = *value;
            break;
        }
        case FieldKind::Float: {
            const auto value = ParseFloat(edit.given);
            if (!value)
                Refuse(assignment, "expected a number");
            edit.real = *value;
            break;
        }
        case FieldKind::Text:
            if (edit.given.size() >= PROBE_TEXT_SIZE)
                Refuse(assignment, "text longer than " + std::to_string(PROBE_TEXT_SIZE - 1));
            break;
        case FieldKind::Coefficients:
            edit.coefficients = ParseCoefficients(assignment, edit.given);
            break;
        default:
            Refuse(assignment, "this field is not set from the command line");
    }
    return edit;
}

std::vector<FieldEdit> ParseFieldEdits(const std::vector<std::string>& assignments) {
    std::vector<FieldEdit> edits;
    for (const std::string& assignment : assignments)
        edits.push_back(ParseFieldEdit(assignment));
    return edits;
}

bool HasEdit(const std::vector<FieldEdit>& edits, std::string_view name) {
    for (const FieldEdit& edit : edits)
        if (name == edit.field->name)
            return true;
    return false;
}

void ApplyEdits(ProbeParameters& record, const std::vector<FieldEdit>& edits,
                std::vector<HostBlock>& blocks) {
    for (const FieldEdit& edit : edits) {
        const RecordField& field = *edit.field;
        switch (field.kind) {
            case FieldKind::Float:
                SetFloatValue(record, field, edit.real);
                break;
            case FieldKind::Text:
                SetTextValue(record, field, edit.given);
                break;
            case FieldKind::Coefficients:
                blocks.emplace_back(edit.coefficients);
                SetHandleValue(record, field, blocks.back().handle());
                SetOrderValue(record, field, static_cast<unsigned>(edit.coefficients.size() - 1));
                break;
            default:
                SetIntegerValue(record, field, edit.integer);
                break;
        }
    }
}

std::vector<std::string> LostEdits(const ProbeParameters& decoded,
                                   const std::vector<FieldEdit>& edits) {
    std::vector<std::string> lost;
    for (const FieldEdit& edit : edits) {
        const RecordField& field = *edit.field;
        switch (field.kind) {
            case FieldKind::Float: {
                const float stored = FloatValue(decoded, field);
                if (!SameFloat(stored, edit.real))
                    lost.push_back(Lost(edit, ShortestText(stored)));
                break;
            }
            case FieldKind::Text: {
                const std::string stored = TextValue(decoded, field);
                if (stored != PaddedText(edit.given, field.textLength))
                    lost.push_back(Lost(edit, QuotedText(stored)));
                break;
            }
            case FieldKind::Coefficients: {
                const unsigned order = OrderValue(decoded, field);
                const auto stored = ReadBlockFloats(HandleValue(decoded, field), order + 1);
                const bool same = stored && stored->size() == edit.coefficients.size() &&
                                  std::equal(stored->begin(), stored->end(),
                                             edit.coefficients.begin(), SameFloat);
                if (!same)
                    lost.push_back(Lost(edit, stored ? CoefficientList(*stored) : "(none)"));
                break;
            }
            default: {
                const long long stored = IntegerValue(decoded, field);
                if (stored != edit.integer)
                    lost.push_back(Lost(edit, std::to_string(stored)));
                break;
            }
        }
    }
    return lost;
}
