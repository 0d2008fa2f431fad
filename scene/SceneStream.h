// The three reading operations every section reader is built from, over the scene
// file held in memory. They behave as getline on a text stream: a field runs up to
// the next ',' across line breaks, the rest of a line up to the next line feed, and
// `eof` is set once an operation reached the end of the file without its delimiter.
#pragma once

#include <cstring>
#include <string_view>

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

}  // namespace talan
