// Number conversion with exactly the C library's results ("C" locale), without
// needing a terminating NUL and without locale look-ups: fields are scanned in place
// inside the file buffer.
#pragma once

#include <cstdint>
#include <limits>
#include <string_view>

namespace talan {

// As atoi (strtol base 10, then narrowed to int the way glibc does): leading white
// space is skipped, an optional sign, then digits; anything else ends the number,
// and no number gives 0. Out-of-range values saturate to the 64-bit range and then
// keep their low 32 bits.
int32_t ParseIntLikeAtoi(std::string_view text);

// As atof (strtod): decimal and hexadecimal forms, "inf", "infinity", "nan" and
// "nan(...)", correctly rounded, overflow to infinity, underflow to subnormals or 0.
double ParseDoubleLikeAtof(std::string_view text);

// Double to float as the hardware rounds it, defined for every input (values beyond
// the float range round to the largest float or to infinity).
inline float NarrowToFloat(double value) {
    constexpr double kMax = static_cast<double>(std::numeric_limits<float>::max());
    // Halfway between the largest float and the next power of two: from there on the
    // round-to-nearest-even result is infinity.
    constexpr double kOverflowFrom = 0x1.ffffffp127;
    constexpr float kInfinity = std::numeric_limits<float>::infinity();
    if (value > kMax) return value >= kOverflowFrom ? kInfinity : std::numeric_limits<float>::max();
    if (value < -kMax) return value <= -kOverflowFrom ? -kInfinity : -std::numeric_limits<float>::max();
    return static_cast<float>(value);
}

// Float to signed 32-bit integer, truncated toward zero and saturated; NaN gives 0.
int32_t TruncateToInt32Saturated(double value);

}  // namespace talan
