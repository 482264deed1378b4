#include "position_argument.h"

#include <cmath>

namespace {

constexpr double kReadingSpan = 18900.0;
constexpr double kReadingOffset = 60.0;
constexpr double kDecibelsPerDecade = 20.0;

}  // namespace

double PositionArgument(float raw, std::uint8_t gain) {
    const float factor =
        gain == kUnityGain
            ? 1.0f
            : static_cast<float>(
                  std::pow(10.0, (gain - static_cast<double>(kUnityGain)) / kDecibelsPerDecade));
    const double a = factor;
    return static_cast<float>(a * kReadingSpan * raw + a * kReadingOffset);
}
