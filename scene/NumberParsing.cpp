#include "scene/NumberParsing.h"

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <string>

namespace talan {

namespace {

// isspace in the "C" locale.
inline bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

inline const char* SkipSpace(const char* p, const char* end) {
    while (p != end && IsCSpace(*p)) ++p;
    return p;
}

// The rare forms that from_chars does not read as strtod does: hexadecimal numbers
// and values out of the double range. strtod needs a terminated copy; the copy is
// cut at the first character that no number can contain, so it stays short.
double ParseWithStrtod(const char* p, const char* end) {
    const char* stop = p;
    while (stop != end && *stop != '\0' && *stop != ',' && *stop != '\n') ++stop;
    const std::string copy(p, stop);
    return std::strtod(copy.c_str(), nullptr);
}

}  // namespace

int32_t ParseIntLikeAtoi(std::string_view text) {
    const char* p = SkipSpace(text.data(), text.data() + text.size());
    const char* end = text.data() + text.size();
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    // Accumulate the magnitude as unsigned; once it passes the 64-bit range the
    // result is fixed at LONG_MAX or LONG_MIN, as strtol gives.
    constexpr uint64_t kPositiveLimit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max());
    const uint64_t limit = negative ? kPositiveLimit + 1 : kPositiveLimit;
    uint64_t magnitude = 0;
    bool saturated = false;
    for (; p != end && *p >= '0' && *p <= '9'; ++p) {
        if (saturated) continue;
        const uint64_t digit = static_cast<uint64_t>(*p - '0');
        if (magnitude > (limit - digit) / 10) {
            saturated = true;
            magnitude = limit;
        } else {
            magnitude = magnitude * 10 + digit;
        }
    }
    const uint64_t bits = negative ? (~magnitude + 1) : magnitude;  // two's complement of the long
    return static_cast<int32_t>(static_cast<uint32_t>(bits));       // keep the low 32 bits, as glibc's atoi
}


double ParseDoubleLikeAtof(std::string_view text) {
    const char* end = text.data() + text.size();
    const char* p = SkipSpace(text.data(), end);
    const char* numberStart = p;
    bool negative = false;
    if (p != end && (*p == '+' || *p == '-')) {
        negative = *p == '-';
        ++p;
    }
    if (p == end) return 0.0;
    if (*p == '0' && p + 1 != end && (p[1] == 'x' || p[1] == 'X')) {
        return ParseWithStrtod(numberStart, end);
    }
    // from_chars reads no sign of its own here: a second sign means no number.
    if (*p == '-' || *p == '+') return 0.0;
    double value = 0.0;
    const char* after = ParsePlainDecimal<true>(p, end, value);
    if (after != nullptr && (after == end || (*after != 'e' && *after != 'E'))) return negative ? -value : value;
    const auto result = std::from_chars(p, end, value, std::chars_format::general);
    if (result.ec == std::errc::invalid_argument) return 0.0;
    if (result.ec == std::errc::result_out_of_range) return ParseWithStrtod(numberStart, end);
    return negative ? -value : value;
}

int32_t TruncateToInt32Saturated(double value) {
    if (std::isnan(value)) return 0;
    const double t = std::trunc(value);
    if (t >= 2147483647.0) return std::numeric_limits<int32_t>::max();
    if (t <= -2147483648.0) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(t);
}

}  // namespace talan
