// Where each field of a probe image lies. Decoder and encoder both read these.
#pragma once

#include <cstddef>

namespace probe {

inline constexpr std::size_t kImageSize = 256;

// A fixed-width text field: where it starts, how many bytes it holds, how many
// characters of tag precede its value, and the printf format that writes it.
struct FieldLayout {
    std::size_t offset;
    std::size_t width;
    std::size_t tagLength;
    const char* format;

    constexpr std::size_t ValueOffset() const { return offset + tagLength; }
};

// Fields at fixed offsets, common to every layout.
namespace field {
inline constexpr FieldLayout kType{0, 4, 1, "M%03d"};
inline constexpr FieldLayout kSerial{4, 8, 1, "S%07d"};
inline constexpr FieldLayout kOText{12, 8, 1, "O%-7.*s"};
inline constexpr FieldLayout kCalibrationDate{20, 8, 4, "DCAL%-4.*s"};
inline constexpr FieldLayout kFabricationDate{28, 8, 4, "DFAB%-4.*s"};
inline constexpr FieldLayout kNNumber{36, 8, 1, "N%07d"};
inline constexpr FieldLayout kGain{44, 4, 1, "G%03u"};
inline constexpr FieldLayout kFr{64, 8, 2, "FR%2.1f"};
inline constexpr FieldLayout kUsageCount{72, 8, 1, "C%07d"};
inline constexpr FieldLayout kPositionOrder{80, 4, 2, "PO%02u"};

// Force-law fields of types 3 and 6: offsets relative to ForceLawOffset(P).
inline constexpr FieldLayout kForceK{0, 8, 1, "k %2.2f"};  // the reading skips the blank
inline constexpr FieldLayout kForceX0{8, 8, 2, "x0%2.2f"};
inline constexpr FieldLayout kFValue{16, 8, 2, "F %2.2f"};
inline constexpr FieldLayout kRValue{24, 8, 2, "R %2.2f"};
inline constexpr FieldLayout kForceX1{32, 8, 2, "x1%2.2f"};
inline constexpr FieldLayout kForceF1{40, 8, 2, "f1%2.2f"};
inline constexpr FieldLayout kForceX2{48, 8, 2, "x2%2.2f"};
inline constexpr FieldLayout kForceF2{56, 8, 2, "f2%2.2f"};
inline constexpr FieldLayout kForceOrder{64, 4, 2, "PO%02u"};
}  // namespace field

inline constexpr std::size_t kOTextLength = 7;
inline constexpr std::size_t kDateLength = 4;
inline constexpr std::size_t kCoefficientSize = 4;
inline constexpr std::size_t kPositionCoefficientsOffset = 84;
inline constexpr std::size_t kForceCoefficientsOffset = 68;  // relative to ForceLawOffset(P)
inline constexpr unsigned kMaxOrder = 15;
inline constexpr unsigned kMaxOrderSum = 23;         // P + Q that still ends before the checksum
inline constexpr std::size_t kChecksumOffset = 252;  // types 3 and 6
inline constexpr std::size_t kChecksumSize = 4;

// Offset of the first field after the position coefficients: the force law in
// types 3 and 6, the checksum word in type 2.
constexpr std::size_t ForceLawOffset(unsigned positionOrder) {
    return kPositionCoefficientsOffset + kCoefficientSize * (positionOrder + 1);
}

constexpr std::size_t CoefficientBytes(unsigned order) {
    return kCoefficientSize * (order + 1);
}

}  // namespace probe
