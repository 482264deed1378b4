#include "library_trials.h"

#include "encoding.h"
#include "library_curves.h"
#include "probe_types.h"
#include "tool_error.h"

CalibrationValues ValuesOf(const ProbeParameters& record) {
    CalibrationValues values;
    values.position = ReadBlockFloats(record.PositionCoefficients, record.PositionOrder + 1u)
                          .value_or(std::vector<float>{});
    if (record.Type != kTypeWithRatioLaw)
        values.force = ReadBlockFloats(record.ForceCoefficients, record.ForceOrder + 1u)
                           .value_or(std::vector<float>{});
    values.forceK = record.ForceK;
    values.forceX0 = record.ForceX0;
    return values;
}

LibraryTrials::LibraryTrials(const BoundLibrary& library, const ProbeImageBytes& base)
    : library_(library),
      base_(DecodeImage(library, base)),
      loaded_(base_),
      baseValues_(ValuesOf(base_)) {}

const ProbeParameters& LibraryTrials::Load(const CalibrationValues& values) {
    if (values.position.size() != base_.PositionOrder + 1u ||
        (base_.Type != kTypeWithRatioLaw && values.force.size() != base_.ForceOrder + 1u))
        throw ToolError(ExitRefused, "a candidate calibration changes a polynomial's order");
    // The record names blocks the tool owns; the library's own blocks of the base
    // record are gone after the first load.
    std::vector<HostBlock> blocks;
    blocks.emplace_back(values.position);
    ProbeParameters record = base_;
    record.PositionCoefficients = blocks.back().handle();
    if (base_.Type != kTypeWithRatioLaw) {
        blocks.emplace_back(values.force);
        record.ForceCoefficients = blocks.back().handle();
        record.ForceK = values.forceK;
        record.ForceX0 = values.forceX0;
    }
    const ProbeImageBytes image = EncodeRecord(library_, record, ProbeModeCalibration);
    loaded_ = DecodeImage(library_, image);
    blocks_ = std::move(blocks);
    return loaded_;
}

std::vector<float> LibraryTrials::Positions(const std::vector<float>& raws) const {
    return PositionReadings(library_, raws).values;
}

std::vector<float> LibraryTrials::Forces(const std::vector<float>& raws) const {
    return ForceCurve(library_, raws).values;
}
