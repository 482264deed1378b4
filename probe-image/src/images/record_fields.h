// The fields of the parameter record by name, as the public header names them:
// where each lies, how it is shown, and which ones a user may set.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "palvo.h"

enum class FieldKind {
    Int32,
    UInt32,
    UInt8,
    Float,
    Text,          // NUL-terminated; only textLength characters reach an image
    Words,         // five 16-bit words
    Coefficients,  // handle of a block of order + 1 floats
    Table,         // handle of the 65536-entry position table
};

struct RecordField {
    const char* name;
    FieldKind kind;
    std::size_t offset;
    std::size_t textLength;  // Text: characters kept by the image
    bool settable;
    std::size_t orderOffset;  // Coefficients: the order field that goes with the block
};

// Every field in record order.
std::span<const RecordField> RecordFields();
// Nothing when no field has that name.
const RecordField* FindRecordField(std::string_view name);

// Plain reads and writes of a field's value in a record.
long long IntegerValue(const ProbeParameters& record, const RecordField& field);
float FloatValue(const ProbeParameters& record, const RecordField& field);
std::string TextValue(const ProbeParameters& record, const RecordField& field);
unsigned OrderValue(const ProbeParameters& record, const RecordField& field);
ProbeBlockHandle HandleValue(const ProbeParameters& record, const RecordField& field);
std::array<std::uint16_t, 5> WordsValue(const ProbeParameters& record, const RecordField& field);

void SetIntegerValue(ProbeParameters& record, const RecordField& field, long long value);
void SetFloatValue(ProbeParameters& record, const RecordField& field, float value);
void SetTextValue(ProbeParameters& record, const RecordField& field, std::string_view text);
void SetOrderValue(ProbeParameters& record, const RecordField& field, unsigned order);
void SetHandleValue(ProbeParameters& record, const RecordField& field, ProbeBlockHandle handle);

// A text with every byte outside printable ASCII written as \xNN.
std::string PrintableText(std::string_view text);
