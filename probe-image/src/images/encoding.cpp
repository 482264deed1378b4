#include "encoding.h"

#include "field_text.h"
#include "image_layout.h"
#include "tool_error.h"
#include "verdict.h"

namespace {

std::string SetParametersRefusal(std::uint16_t status) {
    switch (status) {
        case ProbeStatusBadSize:
            return "the record's Size is not 1188";
        case ProbeStatusNotReady:
            return "the library holds no accepted image (only manufacture mode can start "
                   "from a refused one)";
        case ProbeStatusWrongType:
            return "the record's Type differs from the image's";
        case ProbeStatusSerialMismatch:
            return "the record's Serial differs from the image's (only manufacture mode "
                   "changes it)";
        case ProbeStatusCannotEncode:
            return "the polynomial orders do not fit the image (position order and force "
                   "order at most 15 each and 23 together), or a coefficient block cannot "
                   "be read";
        default:
            return "status " + std::to_string(status);
    }
}

ProbeParameters EmptyRecord() {
    ProbeParameters record{};
    record.Size = PROBE_PARAMETERS_SIZE;
    return record;
}

// The blocks a record needs before the calibration pass can copy them.
void AddMissingCoefficients(ProbeParameters& record, const std::vector<FieldEdit>& edits,
                            std::vector<HostBlock>& blocks) {
    for (const char* name : {"PositionCoefficients", "ForceCoefficients"}) {
        if (HasEdit(edits, name))
            continue;
        const RecordField& field = *FindRecordField(name);
        blocks.emplace_back(std::vector<float>{0.0f});
        SetHandleValue(record, field, blocks.back().handle());
        SetOrderValue(record, field, 0);
    }
}

// Without thresholds of its own a new image carries x0 in both, which is what an
// image without the optional threshold fields decodes to.
void DefaultThresholds(ProbeParameters& record, const std::vector<FieldEdit>& edits) {
    if (!HasEdit(edits, "ForceX1"))
        record.ForceX1 = record.ForceX0;
    if (!HasEdit(edits, "ForceX2"))
        record.ForceX2 = record.ForceX0;
}

// One pass: encode, then have the library accept the result. The identity the
// library now holds becomes the record's, so that a later pass is not refused for
// a serial the image could not keep.
ProbeImageBytes Pass(const BoundLibrary& library, ProbeParameters& record, std::int32_t mode) {
    const ProbeImageBytes image = EncodeRecord(library, record, mode);
    const ProbeParameters decoded = DecodeImage(library, image);
    record.Type = decoded.Type;
    record.Serial = decoded.Serial;
    return image;
}

}  // namespace

ProbeImageBytes EncodeRecord(const BoundLibrary& library, const ProbeParameters& record,
                             std::int32_t mode) {
    ProbeImageBytes image{};
    const std::uint16_t status = library.core.ProbeSetParameters(record, image.data(), mode);
    if (status != ProbeStatusOk)
        throw ToolError(ExitRefused, "the library refuses to encode the record: " +
                                         SetParametersRefusal(status));
    return image;
}

ProbeParameters DecodeImage(const BoundLibrary& library, const ProbeImageBytes& image) {
    const std::uint16_t status = library.core.ProbeInit(image.data());
    if (status != ProbeStatusOk)
        throw ToolError(ExitRefused, "the library would refuse the result: " +
                                         ExplainRefusal(status, LibraryType(image), image));
    ProbeParameters record = EmptyRecord();
    const std::uint16_t copied = library.core.ProbeGetParameters(&record);
    if (copied != ProbeStatusOk)
        throw ToolError(ExitRefused, "the library refuses to hand out the record (status " +
                                         std::to_string(copied) + ")");
    return record;
}

EncodedImage EditImage(const BoundLibrary& library, const ProbeImageBytes& original,
                       const std::vector<FieldEdit>& edits, std::int32_t mode) {
    EncodedImage result;
    ProbeParameters record = EmptyRecord();
    const std::uint16_t status = library.core.ProbeInit(original.data());
    if (status == ProbeStatusOk) {
        library.core.ProbeGetParameters(&record);
    } else if (mode == ProbeModeManufacture) {
        // The encoder places F and R (and, in type 2, the checksum) by the record's
        // position order: keep the image's own where it can be read.
        const std::uint8_t order = static_cast<std::uint8_t>(
            probe::ReadOrder(original.data() + probe::field::kPositionOrder.ValueOffset()));
        if (order <= probe::kMaxOrder)
            record.PositionOrder = order;
        result.notes.push_back("the image is refused (" +
                               ExplainRefusal(status, LibraryType(original), original) +
                               "); starting from an empty record, so manufacture fields not "
                               "set are written as zero or blank");
    } else {
        throw ToolError(ExitRefused, "the image is refused (" +
                                         ExplainRefusal(status, LibraryType(original), original) +
                                         "); only manufacture mode edits a refused image");
    }
    std::vector<HostBlock> blocks;
    ApplyEdits(record, edits, blocks);
    result.image = EncodeRecord(library, record, mode);
    result.lostEdits = LostEdits(DecodeImage(library, result.image), edits);
    return result;
}

EncodedImage NewImage(const BoundLibrary& library, int probeType,
                      const std::vector<FieldEdit>& edits) {
    EncodedImage result;
    ProbeParameters record = EmptyRecord();
    record.Type = static_cast<std::uint8_t>(probeType);
    std::vector<HostBlock> blocks;
    ApplyEdits(record, edits, blocks);
    AddMissingCoefficients(record, edits, blocks);
    DefaultThresholds(record, edits);

    // An image the library refuses empties its stored image: the first pass then
    // starts from 256 zero bytes whatever the library held before.
    const ProbeImageBytes zeros{};
    library.core.ProbeInit(zeros.data());

    // Zero bytes read as position order 0, so the identity pass places its fields
    // for order 0; the calibration pass then writes the orders and blocks, and a
    // second identity pass puts F and R where the real position order places them.
    ProbeParameters identity = record;
    identity.PositionOrder = 0;
    Pass(library, identity, ProbeModeManufacture);
    record.Serial = identity.Serial;
    Pass(library, record, ProbeModeCalibration);
    Pass(library, record, ProbeModeManufacture);
    result.image = Pass(library, record, ProbeModeUsage);
    result.lostEdits = LostEdits(DecodeImage(library, result.image), edits);
    return result;
}
