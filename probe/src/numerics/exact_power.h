// x^k for a double x and a small integer k, correctly rounded (to nearest, ties
// to even): the value pow would give if it were exact. Platform pow is not, and
// differs between mathematics libraries, so it is used nowhere in the library.
//
// The power is multiplied out exactly: |x| = m * 2^e with m an odd integer of at
// most 53 bits, m^k in multi-word integer arithmetic (32-bit limbs, portable to
// 32-bit targets), the exponent e * k tracked apart, then rounded once.
#pragma once

#include <cstdint>

namespace probe {

// Largest exponent for which every x is supported. Beyond it the result is still
// exact where it does not depend on the digits of m (NaN, zeros, infinities,
// powers of two, and overflow or underflow that the bit length of m alone
// settles), and NaN otherwise.
inline constexpr unsigned kMaxExactPowerExponent = 64;

// The correctly rounded x^k. Special values follow pow: x^0 = 1 for every x
// (NaN included), (-0)^k and (-inf)^k are negative for odd k, NaN^k is NaN,
// overflow gives an infinity and underflow a subnormal or a zero.
double ExactPower(double x, unsigned k);

// Largest x for SmallIntegerPowers: the readings of the position table.
inline constexpr std::uint32_t kMaxSmallIntegerBase = 32768;

// powers[k] = ExactPower(x, k) for k = 1..count, bit for bit, for an integer x in
// 1..kMaxSmallIntegerBase and count <= kMaxExactPowerExponent. Fast: an error-bounded
// double-double product per power, with the exact path only where that bound does
// not settle the rounding (ties and near-ties).
void SmallIntegerPowers(std::uint32_t x, unsigned count, double* powers);

// The powers x^1, x^2, ... of one x in turn, each built exactly from the one
// before: Next() after n calls returns ExactPower(x, n + 1), bit for bit.
class ExactPowerSequence {
  public:
    explicit ExactPowerSequence(double x);

    // Steps to the next exponent and returns its power.
    double Next() {
        Advance();
        return Current();
    }
    // Steps to exponent k without rounding the powers on the way (k >= current).
    void AdvanceTo(unsigned k);
    // The correctly rounded power at the current exponent (1 before any step).
    double Current() const;

  private:
    enum class Kind : std::uint8_t { kNaN, kZero, kInfinity, kPowerOfTwo, kGeneral };
    static constexpr unsigned kMaxLimbs = (53 * kMaxExactPowerExponent + 31) / 32 + 2;

    void Advance();
    void MultiplyLimbs();
    bool Negative() const { return negative_ && (k_ & 1u) != 0; }
    // Whether |x|^k surely overflows or rounds to zero, whatever the digits of m.
    bool Determined(unsigned k) const;

    std::uint64_t nanBits_ = 0;
    Kind kind_ = Kind::kGeneral;
    bool negative_ = false;
    bool determined_ = false;  // from this k on; m^k is then no longer kept
    unsigned k_ = 0;
    std::uint64_t m_ = 1;  // odd
    int mBits_ = 1;
    std::int64_t e_ = 0;
    // m^k: in small_ while it fits in 64 bits, then in limbs_ (least significant first).
    std::uint64_t small_ = 1;
    unsigned limbCount_ = 0;
    std::uint32_t limbs_[kMaxLimbs];
};

}  // namespace probe
