#include "record_fields.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "image_layout.h"

namespace {

#define FIELD(name, kind)                                                    \
    RecordField {                                                            \
#name, FieldKind::kind, offsetof(ProbeParameters, name), 0, false, 0 \
    }
#define SETTABLE(name, kind)                                                \
    RecordField {                                                           \
#name, FieldKind::kind, offsetof(ProbeParameters, name), 0, true, 0 \
    }
#define TEXT(name, length)                                                       \
    RecordField {                                                                \
#name, FieldKind::Text, offsetof(ProbeParameters, name), length, true, 0 \
    }
#define BLOCK(name, order)                                                        \
    RecordField {                                                                 \
#name, FieldKind::Coefficients, offsetof(ProbeParameters, name), 0, true, \
            offsetof(ProbeParameters, order)                                      \
    }

constexpr std::array kFields = {
    FIELD(Size, Int32),
    FIELD(Type, UInt8),
    SETTABLE(Serial, Int32),
    SETTABLE(NNumber, Int32),
    SETTABLE(UsageCount, Int32),
    SETTABLE(Gain, UInt8),
    FIELD(PositionOrder, UInt8),
    BLOCK(PositionCoefficients, PositionOrder),
    SETTABLE(FrValue, Float),
    TEXT(OText, probe::kOTextLength),
    TEXT(CalibrationDate, probe::kDateLength),
    TEXT(FabricationDate, probe::kDateLength),
    SETTABLE(ForceK, Float),
    SETTABLE(ForceX0, Float),
    SETTABLE(FValue, Float),
    SETTABLE(RValue, Float),
    FIELD(PresetReal0, Float),
    FIELD(PresetFlag0, UInt8),
    FIELD(PresetReal1, Float),
    FIELD(PresetReal2, Float),
    FIELD(PresetReal3, Float),
    FIELD(PresetReal4, Float),
    FIELD(PresetReal5, Float),
    FIELD(PresetReal6, Float),
    FIELD(PresetReal7, Float),
    FIELD(PresetReal8, Float),
    FIELD(UsageLimit, UInt32),
    FIELD(CalibrationMonths, UInt32),
    FIELD(PresetFlag1, UInt8),
    FIELD(PresetInt1, Int32),
    FIELD(PresetInt2, Int32),
    FIELD(PresetWordsA, Words),
    FIELD(PresetWordsB, Words),
    FIELD(PositionTable, Table),
    SETTABLE(ForceX1, Float),
    SETTABLE(ForceX2, Float),
    SETTABLE(ForceF2, Float),
    SETTABLE(ForceF1, Float),
    FIELD(ForceOrder, UInt8),
    BLOCK(ForceCoefficients, ForceOrder),
};

#undef FIELD
#undef SETTABLE
#undef TEXT
#undef BLOCK

template <typename Value>
Value Load(const ProbeParameters& record, std::size_t offset) {
    Value value;
    std::memcpy(&value, reinterpret_cast<const std::uint8_t*>(&record) + offset, sizeof value);
    return value;
}

template <typename Value>
void Store(ProbeParameters& record, std::size_t offset, Value value) {
    std::memcpy(reinterpret_cast<std::uint8_t*>(&record) + offset, &value, sizeof value);
}

}  // namespace

std::span<const RecordField> RecordFields() {
    return kFields;
}

const RecordField* FindRecordField(std::string_view name) {
    for (const RecordField& field : kFields)
        if (name == field.name)
            return &field;
    return nullptr;
}

long long IntegerValue(const ProbeParameters& record, const RecordField& field) {
    switch (field.kind) {
        case FieldKind::Int32:
            return Load<std::int32_t>(record, field.offset);
        case FieldKind::UInt32:
            return Load<std::uint32_t>(record, field.offset);
        case FieldKind::UInt8:
            return Load<std::uint8_t>(record, field.offset);
        default:
            return 0;
    }
}

float FloatValue(const ProbeParameters& record, const RecordField& field) {
    return Load<float>(record, field.offset);
}

std::string TextValue(const ProbeParameters& record, const RecordField& field) {
    const char* text = reinterpret_cast<const char*>(&record) + field.offset;
    return std::string(text, strnlen(text, PROBE_TEXT_SIZE));
}

unsigned OrderValue(const ProbeParameters& record, const RecordField& field) {
    return Load<std::uint8_t>(record, field.orderOffset);
}

ProbeBlockHandle HandleValue(const ProbeParameters& record, const RecordField& field) {
    return Load<ProbeBlockHandle>(record, field.offset);
}

std::array<std::uint16_t, 5> WordsValue(const ProbeParameters& record, const RecordField& field) {
    return Load<std::array<std::uint16_t, 5>>(record, field.offset);
}

void SetIntegerValue(ProbeParameters& record, const RecordField& field, long long value) {
    switch (field.kind) {
        case FieldKind::Int32:
            Store(record, field.offset, static_cast<std::int32_t>(value));
            break;
        case FieldKind::UInt32:
            Store(record, field.offset, static_cast<std::uint32_t>(value));
            break;
        case FieldKind::UInt8:
            Store(record, field.offset, static_cast<std::uint8_t>(value));
            break;
        default:
            break;
    }
}

void SetFloatValue(ProbeParameters& record, const RecordField& field, float value) {
    Store(record, field.offset, value);
}

void SetTextValue(ProbeParameters& record, const RecordField& field, std::string_view text) {
    char* target = reinterpret_cast<char*>(&record) + field.offset;
    std::memset(target, 0, PROBE_TEXT_SIZE);
    std::memcpy(target, text.data(), std::min<std::size_t>(text.size(), PROBE_TEXT_SIZE - 1));
}

void SetOrderValue(ProbeParameters& record, const RecordField& field, unsigned order) {
    Store(record, field.orderOffset, static_cast<std::uint8_t>(order));
}

void SetHandleValue(ProbeParameters& record, const RecordField& field, ProbeBlockHandle handle) {
    Store(record, field.offset, handle);
}

std::string PrintableText(std::string_view text) {
    std::string printable;
    for (char c : text) {
        if (c >= ' ' && c <= '~' && c != '\\') {
            printable += c;
        } else if (c == '\\') {
            printable += "\\\\";
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(c));
            printable += escaped;
        }
    }
    return printable;
}
