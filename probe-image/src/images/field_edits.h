// Field=value assignments from the command line: parsed against the record's
// field table, applied to a record, and checked against what came back from the
// image the library encoded.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "movable_blocks.h"
#include "record_fields.h"

struct FieldEdit {
    const RecordField* field = nullptr;
    std::string given;                // the value text as typed
    long long integer = 0;            // Int32, UInt8
    float real = 0;                   // Float
    std::vector<float> coefficients;  // Coefficients: c0 first, order = size - 1
};

// Throws ToolError(ExitUsage) for an unknown or read-only field or a bad value.
FieldEdit ParseFieldEdit(std::string_view assignment);
std::vector<FieldEdit> ParseFieldEdits(const std::vector<std::string>& assignments);

bool HasEdit(const std::vector<FieldEdit>& edits, std::string_view name);

// Writes the edits into the record. Coefficient lists go into blocks the tool
// allocates; they are added to blocks and must outlive every use of the record.
void ApplyEdits(ProbeParameters& record, const std::vector<FieldEdit>& edits,
                std::vector<HostBlock>& blocks);

// One line per edit whose value did not come back as given from the decoded
// record, e.g. "ForceK=0.123 comes back as 0.12".
std::vector<std::string> LostEdits(const ProbeParameters& decoded,
                                   const std::vector<FieldEdit>& edits);
