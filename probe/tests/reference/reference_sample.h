// The sample generators and the digest of reference_common.py, in C++, bit for
// bit: the tests draw the same x values and hash their results the same way.
#pragma once

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>

namespace probe_reference {

class SplitMix64 {
  public:
    explicit SplitMix64(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        state_ += 0x9E3779B97F4A7C15u;
        std::uint64_t z = state_;
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9u;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBu;
        return z ^ (z >> 31);
    }

  private:
    std::uint64_t state_;
};

// FNV-1a 64 over the little-endian bytes of each value; NaNs count as one.
class Fnv1a64 {
  public:
    void Add(std::uint64_t bits, int width) {
        for (int i = 0; i < width; ++i) {
            value_ = (value_ ^ (bits & 0xFF)) * 0x100000001B3u;
            bits >>= 8;
        }
    }
    void AddDouble(double x) {
        Add(std::isnan(x) ? 0x7FF8000000000000u : std::bit_cast<std::uint64_t>(x), 8);
    }
    void AddFloat(float x) {
        Add(std::isnan(x) ? 0x7FC00000u : std::bit_cast<std::uint32_t>(x), 4);
    }
    std::uint64_t value() const { return value_; }

  private:
    std::uint64_t value_ = 0xCBF29CE484222325u;
};

inline constexpr std::uint64_t kFraction64 = (std::uint64_t{1} << 52) - 1;
inline constexpr std::uint64_t kFraction32 = (std::uint64_t{1} << 23) - 1;

inline std::int64_t ThresholdExponent(std::uint64_t b) {
    std::int64_t k0 = 1 + static_cast<std::int64_t>(b % 15);
    switch ((b >> 8) % 3) {
        case 0:
            return 1024 / k0;
        case 1:
            return -((1022 + k0 - 1) / k0);
        default:
            return -((1074 + k0 - 1) / k0);
    }
}

inline std::uint64_t OddWithBits(std::uint64_t b, unsigned count) {
    std::uint64_t mask = count == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << count) - 1;
    return (b & mask) | 1 | (std::uint64_t{1} << (count - 1));
}

inline std::uint32_t Float32Sample(SplitMix64& rng) {
    std::uint64_t r = rng.Next();
    std::uint64_t b = rng.Next();
    std::uint32_t sign = static_cast<std::uint32_t>((r >> 8) & 1) << 31;
    switch (r % 8) {
        case 0:
            return static_cast<std::uint32_t>(b);
        case 1:
            return sign | static_cast<std::uint32_t>(b & kFraction32);
        case 2:
            return sign | std::bit_cast<std::uint32_t>(static_cast<float>(b % 65537));
        case 3: {
            std::uint64_t field = 126 + (b & 1);
            std::uint64_t fraction = (b >> 1) & kFraction32;
            if ((b >> 40) & 1) {
                fraction &= 0xFF;
            } else if ((b >> 41) & 1) {
                fraction = kFraction32 - (fraction & 0xFF);
            }
            return sign | static_cast<std::uint32_t>((field << 23) | fraction);
        }
        case 4: {
            unsigned count = 1 + static_cast<unsigned>(b % 24);
            std::uint64_t m = OddWithBits(b >> 8, count);
            std::uint64_t field = 1 + (b >> 40) % 254;
            return sign |
                   static_cast<std::uint32_t>((field << 23) | ((m << (24 - count)) & kFraction32));
        }
        case 5: {
            unsigned count = 1 + static_cast<unsigned>(b % 23);
            std::uint64_t m = OddWithBits(b >> 8, count);
            std::uint64_t shift = (b >> 40) % (24 - count);
            return sign | static_cast<std::uint32_t>(m << shift);
        }
        case 6: {
            std::int64_t field =
                127 + ThresholdExponent(b) + static_cast<std::int64_t>((b >> 16) % 3) - 1;
            field = std::clamp<std::int64_t>(field, 1, 254);
            return sign | static_cast<std::uint32_t>((static_cast<std::uint64_t>(field) << 23) |
                                                     ((b >> 24) & kFraction32));
        }
        default: {
            std::uint64_t field = 127 - 40 + b % 81;
            return sign | static_cast<std::uint32_t>((field << 23) | ((b >> 8) & kFraction32));
        }
    }
}

inline std::uint64_t DoubleSample(SplitMix64& rng) {
    std::uint64_t r = rng.Next();
    std::uint64_t b = rng.Next();
    std::uint64_t sign = ((r >> 8) & 1) << 63;
    switch (r % 4) {
        case 0:
            return b;
        case 1: {
            std::uint64_t field = 1023 - 80 + (r >> 16) % 161;
            return sign | (field << 52) | (b & kFraction64);
        }
        case 2: {
            std::int64_t field =
                1023 + ThresholdExponent(r >> 16) + static_cast<std::int64_t>((r >> 40) % 3) - 1;
            field = std::clamp<std::int64_t>(field, 1, 2046);
            return sign | (static_cast<std::uint64_t>(field) << 52) | (b & kFraction64);
        }
        default: {
            unsigned count = 1 + static_cast<unsigned>((r >> 16) % 53);
            std::uint64_t m = OddWithBits(b, count);
            std::uint64_t field = 1023 - 60 + (r >> 24) % 121;
            return sign | (field << 52) | ((m << (53 - count)) & kFraction64);
        }
    }
}

}  // namespace probe_reference
