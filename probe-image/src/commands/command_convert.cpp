#include <cstdint>
#include <limits>

#include "bound_library.h"
#include "commands.h"
#include "image_file.h"
#include "movable_blocks.h"
#include "number_text.h"
#include "tool_error.h"
#include "verdict.h"

namespace {

constexpr std::int64_t kSampleOffset = 32768;  // table entry of the sample 0

const char* KindName(ConversionKind kind) {
    switch (kind) {
        case ConversionKind::Force:
            return "force";
        case ConversionKind::Pressure:
            return "pressure";
        case ConversionKind::Position:
            return "position";
        case ConversionKind::Sample:
            return "sample";
    }
    return "";
}

float RawInput(const Conversion& conversion) {
    const auto raw = ParseFloat(conversion.input);
    if (!raw)
        throw ToolError(ExitUsage, std::string("--") + KindName(conversion.kind) + " " +
                                       conversion.input + ": expected a number");
    return *raw;
}

std::int16_t SampleInput(const Conversion& conversion) {
    const auto sample = ParseInteger(conversion.input, std::numeric_limits<std::int16_t>::min(),
                                     std::numeric_limits<std::int16_t>::max());
    if (!sample)
        throw ToolError(ExitUsage, "--sample " + conversion.input +
                                       ": expected an integer from -32768 to 32767");
    return static_cast<std::int16_t>(*sample);
}

// Libraries without ProbeGetPosition2 still hold the table behind the record's
// handle; the entry is the one that export would return.
std::uint16_t SampleFromTable(ProbeBlockHandle table, std::int16_t sample, float* result) {
    const auto entries = ReadBlockFloats(table, kPositionTableEntries);
    if (!entries)
        return ProbeStatusLockFailed;
    *result = (*entries)[static_cast<std::size_t>(sample + kSampleOffset)];
    return ProbeStatusOk;
}

}  // namespace

int RunConvert(const ConvertOptions& options, Console& console) {
    // Every value is checked before the library is loaded.
    std::vector<float> raws;
    std::vector<std::int16_t> samples;
    for (const Conversion& conversion : options.conversions) {
        if (conversion.kind == ConversionKind::Sample)
            samples.push_back(SampleInput(conversion));
        else
            raws.push_back(RawInput(conversion));
    }

    const ProbeImageBytes image = ReadImageFile(options.file);
    const LibraryBinding binding(TypeCharacter(image));
    const Verdict verdict = RequireAccepted(binding, image);
    const BoundLibrary& library = binding.library();

    std::size_t nextRaw = 0;
    std::size_t nextSample = 0;
    for (const Conversion& conversion : options.conversions) {
        float result = 0;
        std::uint16_t status = ProbeStatusOk;
        std::string input;
        if (conversion.kind == ConversionKind::Sample) {
            const std::int16_t sample = samples[nextSample++];
            input = std::to_string(sample);
            status = library.ProbeGetPosition2 != nullptr
                         ? library.ProbeGetPosition2(sample, &result)
                         : SampleFromTable(verdict.record.PositionTable, sample, &result);
        } else {
            const float raw = raws[nextRaw++];
            input = FloatText(raw);
            if (conversion.kind == ConversionKind::Force)
                status = library.ProbeGetForce(raw, &result);
            else if (conversion.kind == ConversionKind::Pressure)
                status = library.core.ProbeGetPression(raw, &result);
            else
                status = library.ProbeGetPosition(raw, &result);
        }
        if (status != ProbeStatusOk)
            throw ToolError(ExitRefused, std::string(KindName(conversion.kind)) + " " + input +
                                             ": the library answers status " +
                                             std::to_string(status));
        console.out << KindName(conversion.kind) << " " << input << " = " << FloatText(result)
                    << "\n";
    }
    return ExitSuccess;
}
