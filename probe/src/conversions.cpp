#include "conversions.h"

#include "block_memory.h"
#include "gain_table.h"
#include "polynomial.h"

namespace probe {
namespace {

float ForceLaw(const ProbeState& state, float raw) {
    const ProbeParameters& record = state.Parameters;
    if (record.ForceX1 == record.ForceX2) {
        return static_cast<float>((static_cast<double>(raw) - record.ForceX0) * record.ForceK);
    }
    if (raw >= record.ForceX1) return record.ForceF1;
    if (raw >= record.ForceX2) return EvaluatePolynomial(raw, state.ForcePolynomial, record.ForceOrder);
    return record.ForceF2;
}

}  // namespace

float GainFactor(std::uint8_t gain) { return kGainFactors[gain]; }

std::uint16_t GetForce(const ProbeTraits& traits, const ProbeState& state, float raw, float* result) {
    if (!state.Ready) return ProbeStatusNotReady;
    if (result == nullptr) return ProbeStatusOk;
    const ProbeParameters& record = state.Parameters;
    *result = traits.hasForceLaw
                  ? ForceLaw(state, raw)
                  : static_cast<float>(static_cast<double>(raw) / record.RValue * record.FValue);
    return ProbeStatusOk;
}

std::uint16_t GetPression(const ProbeTraits& traits, const ProbeState& state, float raw, float* result) {
    if (!state.Ready) return ProbeStatusNotReady;
    if (result == nullptr) return ProbeStatusOk;
    float force = 0.0f;
    GetForce(traits, state, raw, &force);
    *result = static_cast<float>(static_cast<double>(force) / traits.pressureDivisor * 1000.0);
    return ProbeStatusOk;
}

std::uint16_t GetPosition(const ProbeState& state, float raw, float* result) {
    if (!state.Ready) return ProbeStatusNotReady;
    const ProbeParameters& record = state.Parameters;
    BlockLock coefficients(record.PositionCoefficients);
    if (coefficients.data() == nullptr) return ProbeStatusLockFailed;
    if (result != nullptr) {
        double a = GainFactor(record.Gain);
        float x = static_cast<float>(a * 18900.0 * raw + a * 60.0);
        float v = EvaluatePolynomial(x, coefficients.as<float>(), record.PositionOrder);
        *result = static_cast<float>(-static_cast<double>(v) * 1.5 / 50.0);
    }
    return ProbeStatusOk;
}

std::uint16_t GetPosition2(const ProbeState& state, std::int16_t sample, float* result) {
    if (!state.Ready) return ProbeStatusNotReady;
    BlockLock table(state.Parameters.PositionTable);
    if (table.data() == nullptr) return ProbeStatusLockFailed;
    if (result != nullptr) *result = table.as<float>()[sample + 32768];
    return ProbeStatusOk;
}

}  // namespace probe
