// Number conversion with exactly the C library's results ("C" locale), without
// needing a terminating NUL and without locale look-ups: fields are scanned in place
// inside the file buffer.
#pragma once

#include <cstdint>
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
float NarrowToFloat(double value);

// Float to signed 32-bit integer, truncated toward zero and saturated; NaN gives 0.
int32_t TruncateToInt32Saturated(double value);

}  // namespace talan
