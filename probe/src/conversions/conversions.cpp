#include "conversions.h"

#include "block_memory.h"
#include "gain_table.h"
#include "polynomial.h"

namespace probe {
namespace {

// Every step is done in double and rounded to float only where a float is stored;
// the order of the operations is part of the result.

constexpr double kPressurePerForce = 1000.0;  // after the division by g
constexpr double kSensorSpan = 18900.0;       // raw reading to polynomial argument
constexpr double kSensorOffset = 60.0;
constexpr double kPositionScale = 1.5;  // position = -v * 1.5 / 50
constexpr double kPositionDivisor = 50.0;

// Types 3 and 6: linear when the thresholds coincide, otherwise F1 from X1 up, the
// force polynomial from X2 up to X1, F2 below X2 (and for a reading that is NaN).
float ForceLaw(const ProbeState& state, float raw) {
    const ProbeParameters& record = state.Parameters;
    if (record.ForceX1 == record.ForceX2) {
        return static_cast<float>((static_cast<double>(raw) - record.ForceX0) * record.ForceK);
    }
    if (raw >= record.ForceX1)
        return record.ForceF1;
    if (raw >= record.ForceX2) {
        return EvaluatePolynomial(raw, state.ForcePolynomial, record.ForceOrder);
    }
    return record.ForceF2;
}

// Type 2: the division first.
float ResistorLaw(const ProbeParameters& record, float raw) {
    return static_cast<float>(static_cast<double>(raw) / record.RValue * record.FValue);
}

float Position(const ProbeParameters& record, const float* coefficients, float raw) {
    const double a = GainFactor(record.Gain);
    const auto x = static_cast<float>(a * kSensorSpan * raw + a * kSensorOffset);
    const float v = EvaluatePolynomial(x, coefficients, record.PositionOrder);
    return static_cast<float>(-static_cast<double>(v) * kPositionScale / kPositionDivisor);
}

}  // namespace

float GainFactor(std::uint8_t gain) {
    return kGainFactors[gain];
}

std::uint16_t GetForce(const ProbeTraits& traits, const ProbeState& state, float raw,
                       float* result) {
    if (!state.Ready)
        return ProbeStatusNotReady;
    if (result == nullptr)
        return ProbeStatusOk;
    *result = traits.hasForceLaw ? ForceLaw(state, raw) : ResistorLaw(state.Parameters, raw);
    return ProbeStatusOk;
}

std::uint16_t GetPression(const ProbeTraits& traits, const ProbeState& state, float raw,
                          float* result) {
    if (!state.Ready)
        return ProbeStatusNotReady;
    if (result == nullptr)
        return ProbeStatusOk;
    float force = 0.0f;
    GetForce(traits, state, raw, &force);  // cannot fail here
    *result =
        static_cast<float>(static_cast<double>(force) / traits.pressureDivisor * kPressurePerForce);
    return ProbeStatusOk;
}

std::uint16_t GetPosition(const ProbeState& state, float raw, float* result) {
    if (!state.Ready)
        return ProbeStatusNotReady;
    const ProbeParameters& record = state.Parameters;
    BlockLock coefficients(record.PositionCoefficients);
    if (coefficients.data() == nullptr)
        return ProbeStatusLockFailed;
    if (result != nullptr)
        *result = Position(record, coefficients.as<float>(), raw);
    return ProbeStatusOk;
}

std::uint16_t GetPosition2(const ProbeState& state, std::int16_t sample, float* result) {
    if (!state.Ready)
        return ProbeStatusNotReady;
    BlockLock table(state.Parameters.PositionTable);
    if (table.data() == nullptr)
        return ProbeStatusLockFailed;
    // Every int16 sample has its entry: -32768 is entry 0, 32767 entry 65535.
    if (result != nullptr)
        *result = table.as<const float>()[sample + kPositionTableZero];
    return ProbeStatusOk;
}

}  // namespace probe
