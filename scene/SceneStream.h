// The three reading operations every section reader is built from, over the scene
// file held in memory. They behave as getline on a stream opened in text mode: a
// field runs up to the next ',' across line breaks, the rest of a line up to the next
// line feed, and `eof` is set once an operation reached the end of the file without
// its delimiter. The text is never changed: a CR just before a LF belongs to the line
// end, so the rest of a line leaves it out, number conversion stops at it as at the
// LF, and names that run over a line end drop it (TextModeBytes). A lone CR stays.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
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
inline std::string_view ReadRestOfLine(SceneStream& s) {
    std::string_view line = ReadUpTo(s, '\n');
    if (!s.eof && !line.empty() && line.back() == '\r') line.remove_suffix(1);
    return line;
}

// A field's bytes as text mode reads them: every CR LF within it becomes LF.
inline std::string TextModeBytes(std::string_view field) {
    std::string bytes(field);
    size_t write = 0;
    for (size_t read = 0; read < bytes.size(); ++read) {
        if (bytes[read] == '\r' && read + 1 < bytes.size() && bytes[read + 1] == '\n') continue;
        bytes[write++] = bytes[read];
    }
    bytes.resize(write);
    return bytes;
}

// Whether the number ending at `p` ends exactly at `delimiter`; a line end may be CR LF.
// Returns the position after the delimiter, or null.
inline const char* AfterDelimiter(const SceneStream& s, const char* p, char delimiter) {
    if (p == s.end) return nullptr;
    if (*p == delimiter) return p + 1;
    if (delimiter == '\n' && *p == '\r' && p + 1 != s.end && p[1] == '\n') return p + 2;
    return nullptr;
}

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
    const char* next = AfterDelimiter(s, p, delimiter);
    if (digits == 0 || digits > 15 || next == nullptr) {
        return NarrowToFloat(ParseDoubleLikeAtof(ReadUpTo(s, delimiter)));
    }
    s.cursor = next;
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
    const char* next = AfterDelimiter(s, p, delimiter);
    if (digits == 0 || next == nullptr) return ParseIntLikeAtoi(ReadUpTo(s, delimiter));
    s.cursor = next;
    return negative ? -value : value;
}

}  // namespace talan
