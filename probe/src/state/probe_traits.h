// What the probe type changes, gathered in one table. The decoder, conversions
// and encoder read the traits of their library instead of branching on the type.
#pragma once

#include <cstdint>

namespace probe {

struct ProbePresets {
    float fValue;   // type 2 only: 4.0
    float rValue;   // type 2 only: 5.7
    float real[9];  // PresetReal0 .. PresetReal8
    std::uint32_t usageLimit;
    std::uint32_t calibrationMonths;
    std::int32_t int1;
    std::int32_t int2;
    std::uint16_t wordsA[5];
    std::uint16_t wordsB[5];
};

// Modes in which the encoder writes a field, as a set of ModeBit values.
enum ModeBit : std::uint8_t {
    kInUsage = 1,
    kInManufacture = 2,
    kInCalibration = 4,
    kInOtherModes = 8,
    kInAllModes = 15,
};

// Per field of the image, the modes in which ProbeSetParameters writes it.
struct EncodedFields {
    std::uint8_t type, serial, oText, calibrationDate, fabricationDate, nNumber, gain, fr,
        usageCount, position, forceKX0, fValue, rValue, thresholds, force;
};

struct ProbeTraits {
    std::uint8_t type;
    bool hasForceLaw;        // force law fields, force polynomial and checksum at 252
    double pressureDivisor;  // 9.81, or 9.81 rounded to float32 in type 6
    ProbePresets presets;
    // PresetWordsB once the image is accepted (types 3 and 6), by FValue < 3.0.
    std::uint16_t wordsBBelow3[5];
    std::uint16_t wordsBOtherwise[5];
    EncodedFields encoded;
};

inline constexpr ProbeTraits kProbeType2{
    2,
    false,
    9.81,
    {4.0f,
     5.7f,
     {50.0f, 35.0f, 9.0f, 7.0f, -9.0f, 9.0f, 1.2f, 20.0f, 15.0f},
     20000,
     6,
     0,
     1,
     {225, 320, 0, 1, 75},
     {6, 10, 0, 1, 128}},
    {6, 10, 0, 1, 128},
    {6, 10, 0, 1, 128},
    {kInAllModes, kInAllModes, kInAllModes, kInCalibration, kInAllModes, kInUsage, kInCalibration,
     kInAllModes, kInUsage, kInCalibration, 0, 0, 0, 0, 0},
};

inline constexpr ProbeTraits kProbeType3{
    3,
    true,
    9.81,
    {0.0f,
     0.0f,
     {50.0f, 35.0f, 9.0f, 7.0f, 0.0f, 12.0f, 1.2f, 20.0f, 0.0f},
     20000,
     6,
     1,
     1,
     {1, 0, 0, 0, 0},
     {1, 0, 0, 0, 0}},
    {256, 2, 0, 400, 25600},
    {256, 3, 0, 400, 25600},
    {kInManufacture, kInManufacture, kInManufacture, kInCalibration, kInManufacture, kInUsage,
     kInCalibration, kInManufacture, kInUsage, kInCalibration, kInCalibration, kInAllModes,
     kInManufacture, kInCalibration, kInCalibration},
};

inline constexpr ProbeTraits kProbeType6{
    6,
    true,
    static_cast<double>(9.81f),
    {0.0f,
     0.0f,
     {50.0f, 50.0f, 13.0f, 10.0f, 0.0f, 12.0f, 1.2f, 20.0f, 0.0f},
     20000,
     6,
     1,
     1,
     {1, 0, 0, 0, 0},
     {1, 0, 0, 0, 0}},
    {1, 21, 0, 1, 22},
    {256, 3, 0, 400, 25600},
    {kInAllModes, kInAllModes, kInManufacture, kInCalibration, kInManufacture, kInUsage,
     kInCalibration, kInManufacture, kInUsage | kInCalibration, kInCalibration, kInCalibration,
     kInAllModes, kInAllModes, kInCalibration, kInCalibration},
};

constexpr const ProbeTraits& TraitsFor(int type) {
    return type == 2 ? kProbeType2 : type == 3 ? kProbeType3 : kProbeType6;
}

}  // namespace probe
