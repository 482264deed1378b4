#include "exact_power.h"

#include <bit>

namespace probe {
namespace {

constexpr int kMantissaBits = 53;                // with the hidden bit
constexpr std::int64_t kMinLsbExponent = -1074;  // weight of the last bit of a subnormal
constexpr std::int64_t kOverflowExponent = 1024;
constexpr std::uint64_t kSignBit = std::uint64_t{1} << 63;
constexpr std::uint64_t kInfinityBits = 0x7FF0000000000000u;
constexpr std::uint64_t kQuietBit = std::uint64_t{1} << 51;
constexpr std::uint64_t kFractionMask = (std::uint64_t{1} << 52) - 1;

int BitLength(std::uint64_t v) {
    return 64 - std::countl_zero(v);
}

double FromBits(std::uint64_t bits, bool negative) {
    return std::bit_cast<double>(negative ? bits | kSignBit : bits);
}

// Rounds window * 2^windowExponent + tail to the nearest double, ties to even, where
// window has windowBits significant bits (1 to 64) and tail is below the window's
// last bit: zero when sticky is false, strictly between zero and that bit otherwise.
double Round(std::uint64_t window, int windowBits, std::int64_t windowExponent, bool sticky,
             bool negative) {
    std::int64_t top = windowExponent + windowBits;  // the value lies in [2^(top-1), 2^top)
    if (top > kOverflowExponent)
        return FromBits(kInfinityBits, negative);
    std::int64_t lsb = top - kMantissaBits;
    if (lsb < kMinLsbExponent)
        lsb = kMinLsbExponent;
    std::int64_t drop = lsb - windowExponent;  // bits of the window below the result's last bit
    std::uint64_t q;
    if (drop <= 0) {
        q = window << -drop;  // exact: fewer than 54 bits
    } else if (drop > 64) {
        q = 0;  // below half the smallest subnormal
    } else {
        q = drop == 64 ? 0 : window >> drop;
        std::uint64_t rest = drop == 64 ? window : window & ((std::uint64_t{1} << drop) - 1);
        std::uint64_t half = std::uint64_t{1} << (drop - 1);
        if (rest > half || (rest == half && (sticky || (q & 1) != 0)))
            ++q;
    }
    // q < 2^52 only at the subnormal exponent, where the biased exponent field is 0;
    // a carry into bit 53 moves into the exponent field by the same addition.
    std::uint64_t bits = (static_cast<std::uint64_t>(lsb - kMinLsbExponent) << 52) + q;
    if (bits >= kInfinityBits)
        bits = kInfinityBits;
    return FromBits(bits, negative);
}

}  // namespace

ExactPowerSequence::ExactPowerSequence(double x) {
    std::uint64_t bits = std::bit_cast<std::uint64_t>(x);
    negative_ = (bits & kSignBit) != 0;
    unsigned field = static_cast<unsigned>(bits >> 52) & 0x7FFu;
    std::uint64_t fraction = bits & kFractionMask;
    if (field == 0x7FFu) {
        kind_ = fraction != 0 ? Kind::kNaN : Kind::kInfinity;
        nanBits_ = bits | kQuietBit;
        return;
    }
    if (field == 0 && fraction == 0) {
        kind_ = Kind::kZero;
        return;
    }
    std::uint64_t m = field == 0 ? fraction : fraction | (std::uint64_t{1} << 52);
    std::int64_t e = field == 0 ? kMinLsbExponent : static_cast<std::int64_t>(field) - 1075;
    int zeros = std::countr_zero(m);
    m_ = m >> zeros;
    e_ = e + zeros;
    mBits_ = BitLength(m_);
    kind_ = m_ == 1 ? Kind::kPowerOfTwo : Kind::kGeneral;
}

void ExactPowerSequence::AdvanceTo(unsigned k) {
    if (kind_ != Kind::kGeneral || k > kMaxExactPowerExponent) {
        k_ = k;
        return;
    }
    while (k_ < k)
        Advance();
}

bool ExactPowerSequence::Determined(unsigned k) const {
    // m odd and above 1: 2^((e+b-1)k) < |x|^k < 2^((e+b)k), b the bit length of m.
    std::int64_t above = (e_ + mBits_ - 1) * static_cast<std::int64_t>(k);
    std::int64_t below = (e_ + mBits_) * static_cast<std::int64_t>(k);
    return above >= kOverflowExponent || below <= kMinLsbExponent - 1;
}

void ExactPowerSequence::Advance() {
    ++k_;
    if (kind_ != Kind::kGeneral || k_ > kMaxExactPowerExponent || determined_)
        return;
    if (Determined(k_)) {
        determined_ = true;  // stays so for every larger k; the digits are no longer needed
        return;
    }
    if (limbCount_ == 0) {
        if (BitLength(small_) + mBits_ <= 64) {
            small_ *= m_;
            return;
        }
        limbs_[0] = static_cast<std::uint32_t>(small_);
        limbs_[1] = static_cast<std::uint32_t>(small_ >> 32);
        limbCount_ = limbs_[1] != 0 ? 2 : 1;
    }
    MultiplyLimbs();
}

void ExactPowerSequence::MultiplyLimbs() {
    const std::uint32_t low = static_cast<std::uint32_t>(m_);
    const std::uint32_t high = static_cast<std::uint32_t>(m_ >> 32);
    unsigned n = limbCount_;
    if (high == 0) {
        std::uint64_t carry = 0;
        for (unsigned i = 0; i < n; ++i) {
            std::uint64_t t = static_cast<std::uint64_t>(limbs_[i]) * low + carry;
            limbs_[i] = static_cast<std::uint32_t>(t);
            carry = t >> 32;
        }
        if (carry != 0)
            limbs_[n++] = static_cast<std::uint32_t>(carry);
        limbCount_ = n;
        return;
    }
    // Two-limb multiplier: the product by the low limb, then the product by the
    // high limb added one limb up; each step stays below 2^64.
    std::uint32_t product[kMaxLimbs];
    std::uint64_t carry = 0;
    for (unsigned i = 0; i < n; ++i) {
        std::uint64_t t = static_cast<std::uint64_t>(limbs_[i]) * low + carry;
        product[i] = static_cast<std::uint32_t>(t);
        carry = t >> 32;
    }
    product[n] = static_cast<std::uint32_t>(carry);
    carry = 0;
    for (unsigned i = 0; i < n; ++i) {
        std::uint64_t t = static_cast<std::uint64_t>(limbs_[i]) * high + product[i + 1] + carry;
        product[i + 1] = static_cast<std::uint32_t>(t);
        carry = t >> 32;
    }
    product[n + 1] = static_cast<std::uint32_t>(carry);
    n += 2;
    while (product[n - 1] == 0)
        --n;
    for (unsigned i = 0; i < n; ++i)
        limbs_[i] = product[i];
    limbCount_ = n;
}

double ExactPowerSequence::Current() const {
    if (k_ == 0)
        return 1.0;
    switch (kind_) {
        case Kind::kNaN:
            return std::bit_cast<double>(nanBits_);
        case Kind::kZero:
            return FromBits(0, Negative());
        case Kind::kInfinity:
            return FromBits(kInfinityBits, Negative());
        case Kind::kPowerOfTwo:
            return Round(1, 1, e_ * static_cast<std::int64_t>(k_), false, Negative());
        case Kind::kGeneral:
            break;
    }
    if (determined_ || k_ > kMaxExactPowerExponent) {
        if (!Determined(k_))
            return std::bit_cast<double>(kInfinityBits | kQuietBit);
        bool overflow = e_ + mBits_ - 1 > 0;
        return FromBits(overflow ? kInfinityBits : 0, Negative());
    }
    std::int64_t exponent = e_ * static_cast<std::int64_t>(k_);
    if (limbCount_ == 0)
        return Round(small_, BitLength(small_), exponent, false, Negative());
    // The top 64 bits of m^k; m^k is odd, so whatever lies below them is not zero.
    unsigned n = limbCount_;
    int bits = static_cast<int>(32 * (n - 1)) + BitLength(limbs_[n - 1]);
    if (bits <= 64) {
        std::uint64_t v = limbs_[0] | (n > 1 ? static_cast<std::uint64_t>(limbs_[1]) << 32 : 0);
        return Round(v, bits, exponent, false, Negative());
    }
    int position = bits - 64;
    unsigned index = static_cast<unsigned>(position) / 32;
    int shift = position % 32;
    std::uint64_t low = limbs_[index] | static_cast<std::uint64_t>(limbs_[index + 1]) << 32;
    std::uint64_t window = low >> shift;
    if (shift != 0 && index + 2 < n) {
        window |= static_cast<std::uint64_t>(limbs_[index + 2]) << (64 - shift);
    }
    return Round(window, 64, exponent + position, true, Negative());
}

void SmallIntegerPowers(std::uint32_t x, unsigned count, double* powers) {
    // (high, low) is m^k as an unevaluated sum with |low| <= ulp(high) / 2. Each step
    // multiplies by m exactly up to the rounding of low * m and of the sum of the
    // small parts: a relative error below 3 * 2^-106 per step, so under 2^-98 after 64
    // steps. kSafety bounds it by 2^-94 high. high is then the correctly rounded
    // power unless low lies within that bound of half the gap to a neighbour.
    constexpr double kSplitter = 134217729.0;  // 2^27 + 1: high into two 26-bit halves
    constexpr double kSafety = 0x1p-94;
    if (count == 0)
        return;
    const double m = x;  // at most 16 bits: its products with 26-bit halves are exact
    double high = m;
    double low = 0.0;
    powers[1] = m;
    for (unsigned k = 2; k <= count; ++k) {
        double c = kSplitter * high;
        double highUpper = c - (c - high);
        double highLower = high - highUpper;
        double p = high * m;
        double error = (highUpper * m - p) + highLower * m;  // high * m - p, exactly
        double small = error + low * m;
        high = p + small;
        low = small - (high - p);
        std::uint64_t bits = std::bit_cast<std::uint64_t>(high);
        std::uint64_t exponent = bits & kInfinityBits;
        double halfGapAbove = std::bit_cast<double>(exponent - (std::uint64_t{53} << 52));
        double halfGapBelow = (bits & kFractionMask) == 0 ? halfGapAbove / 2 : halfGapAbove;
        double bound = high * kSafety;
        bool settled = exponent < (std::uint64_t{1023 + 53} << 52)  // below 2^53: exact
                       || (low + bound < halfGapAbove && low - bound > -halfGapBelow);
        powers[k] = settled ? high : ExactPower(m, k);
    }
}

double ExactPower(double x, unsigned k) {
    ExactPowerSequence powers(x);
    powers.AdvanceTo(k);
    return powers.Current();
}

}  // namespace probe
