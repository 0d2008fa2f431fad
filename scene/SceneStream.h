// The three reading operations every section reader is built from, over the scene
// file held in memory. They behave as getline on a text stream: a field runs up to
// the next ',' across line breaks, the rest of a line up to the next line feed, and
// `eof` is set once an operation reached the end of the file without its delimiter.
#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

#include "scene/NumberParsing.h"

namespace talan {

struct SceneStream {
    const char* cursor = nullptr;
    const char* end = nullptr;
    bool eof = false;

    bool AtEnd() const { return cursor == end; }
    size_t Remaining() const { return static_cast<size_t>(end - cursor); }
};

inline SceneStream MakeSceneStream(std::string_view text) {
    return SceneStream{text.data(), text.data() + text.size(), false};
}

// Reads up to (not including) `delimiter`, which is consumed.
inline std::string_view ReadUpTo(SceneStream& s, char delimiter) {
    const char* start = s.cursor;
    const void* hit = std::memchr(start, delimiter, static_cast<size_t>(s.end - start));
    if (hit == nullptr) {
        s.cursor = s.end;
        s.eof = true;
        return std::string_view(start, static_cast<size_t>(s.end - start));
    }
    const char* stop = static_cast<const char*>(hit);
    s.cursor = stop + 1;
    return std::string_view(start, static_cast<size_t>(stop - start));
}

// Read a field: the characters up to the next ',', even across line breaks.
inline std::string_view ReadField(SceneStream& s) { return ReadUpTo(s, ','); }

// Read the rest of the line: the characters up to the end of the current line.
inline std::string_view ReadRestOfLine(SceneStream& s) { return ReadUpTo(s, '\n'); }

// Skip a line: read the rest of the line and discard it.
inline void SkipLine(SceneStream& s) { (void)ReadUpTo(s, '\n'); }

// Read up to `delimiter` and convert as atof would, narrowed to float. The plain
// decimal that nearly every coordinate is, ending right at its delimiter, is read in
// one pass; anything else goes the general way with the same result.
inline float ReadFloatUpTo(SceneStream& s, char delimiter) {
    static constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                              1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const char* p = s.cursor;
    const bool negative = p != s.end && *p == '-';
    p += negative;
    uint64_t mantissa = 0;
    int digits = 0, fractionDigits = 0;
    for (; p != s.end && static_cast<unsigned>(*p - '0') < 10 && digits < 16; ++p, ++digits) {
        mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    }
    if (p != s.end && *p == '.') {
        for (++p; p != s.end && static_cast<unsigned>(*p - '0') < 10 && digits < 16; ++p, ++digits, ++fractionDigits) {
            mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
        }
    }
    if (digits == 0 || digits > 15 || p == s.end || *p != delimiter) {
        return NarrowToFloat(ParseDoubleLikeAtof(ReadUpTo(s, delimiter)));
    }
    s.cursor = p + 1;
    // Both operands are exact doubles, so the one rounding of the division gives
    // strtod's correctly rounded result.
    const double value = static_cast<double>(mantissa) / kPowersOfTen[fractionDigits];
    return NarrowToFloat(negative ? -value : value);
}

// Read up to `delimiter` and convert as atoi would.
inline int32_t ReadIntUpTo(SceneStream& s, char delimiter) {
    const char* p = s.cursor;
    const bool negative = p != s.end && *p == '-';
    p += negative;
    int32_t value = 0;
    int digits = 0;
    for (; p != s.end && static_cast<unsigned>(*p - '0') < 10 && digits < 9; ++p, ++digits) {
        value = value * 10 + (*p - '0');
    }
    if (digits == 0 || p == s.end || *p != delimiter) return ParseIntLikeAtoi(ReadUpTo(s, delimiter));
    s.cursor = p + 1;
    return negative ? -value : value;
}

}  // namespace talan
