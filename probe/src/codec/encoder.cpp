#include "encoder.h"

#include <cstring>
#include <optional>

#include "block_memory.h"
#include "field_text.h"
#include "image_crc.h"
#include "image_layout.h"

namespace probe {
namespace {

std::uint8_t ModeBitOf(std::int32_t mode) {
    switch (mode) {
        case ProbeModeUsage:
            return kInUsage;
        case ProbeModeManufacture:
            return kInManufacture;
        case ProbeModeCalibration:
            return kInCalibration;
        default:
            return kInOtherModes;
    }
}

int TextLength(const char (&text)[PROBE_TEXT_SIZE]) {
    return static_cast<int>(strnlen(text, PROBE_TEXT_SIZE));
}

// Formats fields into one buffer that is not cleared between them, and copies the
// first W bytes of each into the image.
class FieldWriter {
  public:
    FieldWriter(std::uint8_t* image, std::uint8_t modeBit) : image_(image), modeBit_(modeBit) {}

    template <typename... Values>
    void Write(std::uint8_t modes, const FieldLayout& layout, std::size_t base, Values... values) {
        if ((modes & modeBit_) == 0)
            return;
        FormatText(buffer_, layout.format, values...);
        std::memcpy(image_ + base + layout.offset, buffer_.data(), layout.width);
    }

  private:
    std::uint8_t* image_;
    std::uint8_t modeBit_;
    TextBuffer buffer_{};
};

bool OrdersFit(const ProbeTraits& traits, const ProbeParameters& record, std::uint8_t modeBit) {
    if (record.PositionOrder > kMaxOrder)
        return false;
    if (!traits.hasForceLaw || modeBit != kInCalibration)
        return true;
    return record.ForceOrder <= kMaxOrder &&
           record.PositionOrder + record.ForceOrder <= kMaxOrderSum;
}

// A coefficient block of the record, locked for the length of one encoding. Not
// usable when the handle is 0, the block is smaller than the order needs, or the
// lock yields no address; nothing stays locked then.
class CoefficientSource {
  public:
    CoefficientSource(ProbeBlockHandle handle, unsigned order) : bytes_(CoefficientBytes(order)) {
        if (BlockSize(handle) >= bytes_)
            lock_.emplace(handle);
    }
    bool ok() const { return lock_ && lock_->data() != nullptr; }
    void CopyTo(std::uint8_t* destination) const {
        std::memcpy(destination, lock_->data(), bytes_);
    }

  private:
    std::size_t bytes_;
    std::optional<BlockLock> lock_;
};

}  // namespace

std::uint16_t GetParameters(const ProbeState& state, ProbeParameters* record) {
    if (!state.Ready)
        return ProbeStatusNotReady;
    if (record == nullptr || record->Size != PROBE_PARAMETERS_SIZE)
        return ProbeStatusBadSize;
    std::memcpy(record, &state.Parameters, sizeof *record);
    return ProbeStatusOk;
}

std::uint16_t SetParameters(const ProbeTraits& traits, const ProbeState& state,
                            const ProbeParameters& record, std::uint8_t* image, std::int32_t mode) {
    if (record.Size != PROBE_PARAMETERS_SIZE)
        return ProbeStatusBadSize;
    const bool manufacture = mode == ProbeModeManufacture;
    if (!state.Ready && !manufacture)
        return ProbeStatusNotReady;
    if (image == nullptr)
        return ProbeStatusCannotEncode;
    std::memcpy(image, state.StoredImage, kImageSize);
    const ProbeParameters& library = state.Parameters;
    if (!manufacture && record.Type != library.Type)
        return ProbeStatusWrongType;
    if (!manufacture && record.Serial != library.Serial)
        return ProbeStatusSerialMismatch;

    const std::uint8_t modeBit = ModeBitOf(mode);
    if (!OrdersFit(traits, record, modeBit))
        return ProbeStatusCannotEncode;
    const bool calibration = modeBit == kInCalibration;
    // The coefficient blocks are locked before any field is written, so a block
    // that cannot be read leaves the output as the copy of StoredImage.
    std::optional<CoefficientSource> position;
    std::optional<CoefficientSource> force;
    if (calibration) {
        position.emplace(record.PositionCoefficients, record.PositionOrder);
        if (!position->ok())
            return ProbeStatusCannotEncode;
        if (traits.hasForceLaw) {
            force.emplace(record.ForceCoefficients, record.ForceOrder);
            if (!force->ok())
                return ProbeStatusCannotEncode;
        }
    }

    // Identity fields come from the caller's record in manufacture, else from the library's.
    const ProbeParameters& identity = manufacture ? record : library;
    const EncodedFields& in = traits.encoded;
    FieldWriter out(image, modeBit);
    out.Write(in.type, field::kType, 0, int{traits.type});
    out.Write(in.serial, field::kSerial, 0, identity.Serial);
    out.Write(in.oText, field::kOText, 0, TextLength(identity.OText), identity.OText);
    out.Write(in.calibrationDate, field::kCalibrationDate, 0, TextLength(record.CalibrationDate),
              record.CalibrationDate);
    out.Write(in.fabricationDate, field::kFabricationDate, 0, TextLength(identity.FabricationDate),
              identity.FabricationDate);
    out.Write(in.nNumber, field::kNNumber, 0, record.NNumber);
    out.Write(in.gain, field::kGain, 0, unsigned{record.Gain});
    out.Write(in.fr, field::kFr, 0, static_cast<double>(identity.FrValue));
    out.Write(in.usageCount, field::kUsageCount, 0, record.UsageCount);
    out.Write(in.position, field::kPositionOrder, 0, unsigned{record.PositionOrder});
    if (position)
        position->CopyTo(image + kPositionCoefficientsOffset);

    const std::size_t p = ForceLawOffset(record.PositionOrder);
    std::size_t checksumOffset = p;
    if (traits.hasForceLaw) {
        out.Write(in.forceKX0, field::kForceK, p, static_cast<double>(record.ForceK));
        out.Write(in.forceKX0, field::kForceX0, p, static_cast<double>(record.ForceX0));
        out.Write(in.fValue, field::kFValue, p, static_cast<double>(identity.FValue));
        out.Write(in.rValue, field::kRValue, p, static_cast<double>(identity.RValue));
        out.Write(in.thresholds, field::kForceX1, p, static_cast<double>(record.ForceX1));
        out.Write(in.thresholds, field::kForceF1, p, static_cast<double>(record.ForceF1));
        out.Write(in.thresholds, field::kForceX2, p, static_cast<double>(record.ForceX2));
        out.Write(in.thresholds, field::kForceF2, p, static_cast<double>(record.ForceF2));
        out.Write(in.force, field::kForceOrder, p, unsigned{record.ForceOrder});
        if (force)
            force->CopyTo(image + p + kForceCoefficientsOffset);
        checksumOffset = kChecksumOffset;
    }
    StoreLittleEndian32(image + checksumOffset, ProbeImageCrc(image, checksumOffset));
    return ProbeStatusOk;
}

}  // namespace probe
