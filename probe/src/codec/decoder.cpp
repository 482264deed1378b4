#include "decoder.h"

#include <cstring>

#include "block_memory.h"
#include "field_text.h"
#include "image_crc.h"
#include "polynomial.h"

namespace probe {
namespace {

void ApplyPresets(const ProbeTraits& traits, ProbeParameters& record) {
    const ProbePresets& presets = traits.presets;
    record.Size = PROBE_PARAMETERS_SIZE;
    record.FValue = presets.fValue;
    record.RValue = presets.rValue;
    record.PresetReal0 = presets.real[0];
    record.PresetReal1 = presets.real[1];
    record.PresetReal2 = presets.real[2];
    record.PresetReal3 = presets.real[3];
    record.PresetReal4 = presets.real[4];
    record.PresetReal5 = presets.real[5];
    record.PresetReal6 = presets.real[6];
    record.PresetReal7 = presets.real[7];
    record.PresetReal8 = presets.real[8];
    record.UsageLimit = presets.usageLimit;
    record.CalibrationMonths = presets.calibrationMonths;
    record.PresetInt1 = presets.int1;
    record.PresetInt2 = presets.int2;
    std::memcpy(record.PresetWordsA, presets.wordsA, sizeof record.PresetWordsA);
    std::memcpy(record.PresetWordsB, presets.wordsB, sizeof record.PresetWordsB);
}

// Readings of one image, bounded by its 256 bytes.
class ImageReader {
  public:
    explicit ImageReader(const std::uint8_t* image) : image_(image) {}

    std::int32_t Integer(std::size_t offset) const {
        return ReadInteger(image_ + offset, kImageSize - offset);
    }
    float Real(std::size_t offset) const {
        return static_cast<float>(ReadReal(image_ + offset, kImageSize - offset));
    }
    std::uint8_t Order(std::size_t offset) const {
        return static_cast<std::uint8_t>(ReadOrder(image_ + offset));
    }
    // An optional field's value, taken only when the field's own tag (the format's
    // leading characters, case and all) opens its slot.
    float OptionalReal(std::size_t base, const FieldLayout& layout, float missing) const {
        bool tagged =
            std::memcmp(image_ + base + layout.offset, layout.format, layout.tagLength) == 0;
        return tagged ? Real(base + layout.ValueOffset()) : missing;
    }
    void Text(std::size_t offset, std::size_t length, char* destination) const {
        std::memcpy(destination, image_ + offset, length);
        destination[length] = '\0';
    }
    const std::uint8_t* At(std::size_t offset) const { return image_ + offset; }

  private:
    const std::uint8_t* image_;
};

// A new block holding a copy of the given bytes; 0 when it cannot be had.
ProbeBlockHandle CopyToNewBlock(const void* bytes, std::size_t count) {
    ProbeBlockHandle handle = AllocateBlock(count);
    if (handle == 0)
        return 0;
    {
        BlockLock lock(handle);
        if (lock.data() != nullptr) {
            std::memcpy(lock.data(), bytes, count);
            return handle;
        }
    }
    FreeBlock(handle);
    return 0;
}

// A block that cannot be had refuses the image: every block goes, and with the
// force block the force polynomial it mirrors, so nothing is left half built.
std::uint16_t DropBlocks(ProbeState& state) {
    ProbeParameters& record = state.Parameters;
    FreeBlock(record.PositionCoefficients);
    FreeBlock(record.ForceCoefficients);
    FreeBlock(record.PositionTable);
    std::memset(state.ForcePolynomial, 0, sizeof state.ForcePolynomial);
    return ProbeStatusNoMemory;
}

bool ChecksumMatches(const ImageReader& image, std::size_t checksumOffset) {
    return LoadLittleEndian32(image.At(checksumOffset)) ==
           ProbeImageCrc(image.At(0), checksumOffset);
}

// Force law fields and force coefficients of types 3 and 6; p is where they begin.
std::uint16_t DecodeForceLaw(const ImageReader& image, std::size_t p, ProbeState& state) {
    ProbeParameters& record = state.Parameters;
    record.ForceK = image.Real(p + field::kForceK.ValueOffset());
    record.ForceX0 = image.Real(p + field::kForceX0.ValueOffset());
    record.FValue = image.Real(p + field::kFValue.ValueOffset());
    record.RValue = image.Real(p + field::kRValue.ValueOffset());
    record.ForceX1 = image.OptionalReal(p, field::kForceX1, record.ForceX0);
    record.ForceF1 = image.OptionalReal(p, field::kForceF1, 0.0f);
    record.ForceX2 = image.OptionalReal(p, field::kForceX2, record.ForceX0);
    record.ForceF2 = image.OptionalReal(p, field::kForceF2, 0.0f);

    record.ForceOrder = image.Order(p + field::kForceOrder.ValueOffset());
    // Orders beyond the layout would put the force coefficients over the checksum
    // word or past the end of the image.
    if (record.ForceOrder > kMaxOrder || record.PositionOrder + record.ForceOrder > kMaxOrderSum) {
        return ProbeStatusBadOrder;
    }
    std::memset(state.ForcePolynomial, 0, sizeof state.ForcePolynomial);
    std::size_t bytes = CoefficientBytes(record.ForceOrder);
    std::memcpy(state.ForcePolynomial, image.At(p + kForceCoefficientsOffset), bytes);
    record.ForceCoefficients = CopyToNewBlock(state.ForcePolynomial, bytes);
    if (record.ForceCoefficients == 0)
        return DropBlocks(state);
    return ProbeStatusOk;
}

}  // namespace

std::uint16_t DecodeImage(const ProbeTraits& traits, ProbeState& state,
                          const std::uint8_t* source) {
    ResetProbeState(state);
    if (source == nullptr)
        return ProbeStatusWrongType;
    std::memcpy(state.StoredImage, source, kImageSize);
    const ImageReader image(state.StoredImage);
    ProbeParameters& record = state.Parameters;
    ApplyPresets(traits, record);

    record.Type = static_cast<std::uint8_t>(image.Integer(field::kType.ValueOffset()));
    if (record.Type != traits.type)
        return ProbeStatusWrongType;
    record.Serial = image.Integer(field::kSerial.ValueOffset());
    image.Text(field::kOText.ValueOffset(), kOTextLength, record.OText);
    image.Text(field::kCalibrationDate.ValueOffset(), kDateLength, record.CalibrationDate);
    image.Text(field::kFabricationDate.ValueOffset(), kDateLength, record.FabricationDate);
    record.NNumber = image.Integer(field::kNNumber.ValueOffset());
    record.Gain = static_cast<std::uint8_t>(image.Integer(field::kGain.ValueOffset()));
    record.FrValue = image.Real(field::kFr.ValueOffset());
    record.UsageCount = image.Integer(field::kUsageCount.ValueOffset());

    record.PositionOrder = image.Order(field::kPositionOrder.ValueOffset());
    if (record.PositionOrder > kMaxOrder)
        return ProbeStatusBadOrder;
    float positionPolynomial[kMaxOrder + 1] = {};
    std::size_t positionBytes = CoefficientBytes(record.PositionOrder);
    std::memcpy(positionPolynomial, image.At(kPositionCoefficientsOffset), positionBytes);
    record.PositionCoefficients = CopyToNewBlock(positionPolynomial, positionBytes);
    if (record.PositionCoefficients == 0)
        return DropBlocks(state);

    std::size_t p = ForceLawOffset(record.PositionOrder);
    std::size_t checksumOffset = p;
    if (traits.hasForceLaw) {
        if (std::uint16_t status = DecodeForceLaw(image, p, state); status != ProbeStatusOk)
            return status;
        checksumOffset = kChecksumOffset;
    }
    if (!ChecksumMatches(image, checksumOffset))
        return ProbeStatusBadChecksum;

    record.PositionTable = AllocateBlock(kPositionTableSize * sizeof(float));
    if (record.PositionTable == 0)
        return DropBlocks(state);
    {
        BlockLock table(record.PositionTable);
        if (table.data() == nullptr)
            return DropBlocks(state);
        BuildPositionTable(positionPolynomial, record.PositionOrder, table.as<float>());
    }

    if (traits.hasForceLaw) {
        const std::uint16_t* words =
            record.FValue < 3.0f ? traits.wordsBBelow3 : traits.wordsBOtherwise;
        std::memcpy(record.PresetWordsB, words, sizeof record.PresetWordsB);
    }
    state.Ready = 1;
    return ProbeStatusOk;
}

}  // namespace probe
