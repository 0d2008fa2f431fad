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

// The plain decimal that nearly every coordinate is, without its sign: at most 15
// digits, a '.' among them or not. The digits make an integer below 10^15 and the
// fraction a power of ten up to 10^15, both exact doubles, so the one correctly
// rounded division gives strtod's result (the build keeps every double operation
// rounded on its own). Returns the position after the digits with the value, or
// null for anything else (no digits, more than 15); what follows is for the caller
// to judge. kCheckEnd false lets the caller promise 20 readable bytes at `p`.
template <bool kCheckEnd>
inline const char* ParsePlainDecimal(const char* p, const char* end, double& value) {
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const auto isDigit = [end](const char* q) { return (!kCheckEnd || q != end) && static_cast<unsigned>(*q - '0') < 10; };
    uint64_t mantissa = 0;
    int digits = 0, fractionDigits = 0;
    for (; isDigit(p) && digits < 16; ++p, ++digits) mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    if ((!kCheckEnd || p != end) && *p == '.') {
        for (++p; isDigit(p) && digits < 16; ++p, ++digits, ++fractionDigits) {
            mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
        }
    }
    if (digits == 0 || digits > 15) return nullptr;
    value = static_cast<double>(mantissa) / kPowersOfTen[fractionDigits];
    return p;
}

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
