#include <cstdint>
#include <limits>
#include <memory>

#include <CLI/CLI.hpp>

#include "bound_library.h"
#include "command.h"
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

namespace {

struct ConvertInputs {
    std::vector<std::string> force, pressure, position, sample;
    CLI::Option* forceOption = nullptr;
    CLI::Option* pressureOption = nullptr;
    CLI::Option* positionOption = nullptr;
    CLI::Option* sampleOption = nullptr;
};

// The conversions in the order they were typed: the parser records one entry per
// value taken, naming the option that took it.
std::vector<Conversion> ConversionsInOrder(const CLI::App& command, const ConvertInputs& inputs) {
    std::vector<Conversion> conversions;
    std::size_t next[4] = {};
    const std::pair<CLI::Option*, std::pair<ConversionKind, const std::vector<std::string>*>>
        options[] = {
            {inputs.forceOption, {ConversionKind::Force, &inputs.force}},
            {inputs.pressureOption, {ConversionKind::Pressure, &inputs.pressure}},
            {inputs.positionOption, {ConversionKind::Position, &inputs.position}},
            {inputs.sampleOption, {ConversionKind::Sample, &inputs.sample}},
        };
    for (const CLI::Option* taken : command.parse_order()) {
        for (std::size_t i = 0; i < std::size(options); ++i) {
            const auto& [option, target] = options[i];
            if (option == taken && next[i] < target.second->size())
                conversions.push_back({target.first, (*target.second)[next[i]++]});
        }
    }
    return conversions;
}

struct ConvertCommandLine {
    ConvertOptions options;
    ConvertInputs inputs;
};

CommandRun DeclareConvert(CLI::App& command, const CommandLine&) {
    const auto line = std::make_shared<ConvertCommandLine>();
    ConvertInputs& inputs = line->inputs;
    command.add_option("FILE", line->options.file, "image file")->required();
    inputs.forceOption =
        command.add_option("--force", inputs.force, "raw force reading (ProbeGetForce)");
    inputs.pressureOption =
        command.add_option("--pressure", inputs.pressure, "raw force reading (ProbeGetPression)");
    inputs.positionOption = command.add_option("--position", inputs.position,
                                               "raw position reading (ProbeGetPosition)");
    inputs.sampleOption = command.add_option(
        "--sample", inputs.sample, "16-bit position sample (ProbeGetPosition2 or the table)");
    return [line, &command](Console& console) {
        line->options.conversions = ConversionsInOrder(command, line->inputs);
        return RunConvert(line->options, console);
    };
}

}  // namespace

extern const Command kConvertCommand;
const Command kConvertCommand{
    "convert", "Raw readings converted by the library of the image's type, one per line",
    DeclareConvert};
