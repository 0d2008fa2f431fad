#include "scene/SceneFileReader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "scene/LargeAllocation.h"
#include "scene/NumberParsing.h"
#include "scene/PageFaultAhead.h"
#include "scene/SectionReaders.h"
#include "scene/SceneStream.h"

namespace talan {

namespace {

constexpr std::string_view kSignature = "Tavrin";

// Text-mode reading: a CR before a LF never reaches a field. A lone CR stays.
size_t RemoveCarriageReturnsBeforeLineFeeds(char* data, size_t size) {
    char* const end = data + size;
    char* read = static_cast<char*>(std::memchr(data, '\r', size));
    if (read == nullptr) return size;
    char* write = read;
    while (read != end) {
        char* cr = static_cast<char*>(std::memchr(read, '\r', static_cast<size_t>(end - read)));
        char* stop = cr != nullptr ? cr : end;
        const size_t run = static_cast<size_t>(stop - read);
        std::memmove(write, read, run);
        write += run;
        read = stop;
        if (cr == nullptr) break;
        // Drop the CR when a LF follows; keep it otherwise.
        if (cr + 1 == end || cr[1] != '\n') *write++ = '\r';
        read = cr + 1;
    }
    return static_cast<size_t>(write - data);
}

bool HasAt(std::string_view line, size_t position, std::string_view text) {
    return line.size() >= position + text.size() && line.substr(position, text.size()) == text;
}

// A tag line spells one of the six tags from position 10; the first match wins.
bool MatchTag(std::string_view line, ObjectKind& kind) {
    static constexpr ObjectKind kOrder[kObjectKindCount] = {ObjectKind::T3,     ObjectKind::LIN, ObjectKind::SUP,
                                                            ObjectKind::BLKKDX, ObjectKind::PTS, ObjectKind::SONKDX};
    for (ObjectKind candidate : kOrder) {
        if (HasAt(line, 10, ObjectKindTag(candidate))) {
            kind = candidate;
            return true;
        }
    }
    return false;
}

// The lines that end a run of skipped lines: a double quotation mark first, or the
// signature's first three letters at positions 1, 2 or 3.
bool IsHeaderLine(std::string_view line) {
    return (line.size() > 0 && line[0] == '"') || (line.size() > 1 && line[1] == kSignature[0]) ||
           (line.size() > 2 && line[2] == kSignature[1]) || (line.size() > 3 && line[3] == kSignature[2]);
}

bool ReadSection(SectionContext& ctx, ObjectKind kind) {
    switch (kind) {
        case ObjectKind::T3: return ReadTriangulatedSurfaceSection(ctx);
        case ObjectKind::LIN: return ReadLineSection(ctx);
        case ObjectKind::SUP: return ReadSurfaceSection(ctx);
        case ObjectKind::BLKKDX: return ReadBlockModelSection(ctx);
        case ObjectKind::PTS: return ReadPointsSection(ctx);
        case ObjectKind::SONKDX: return ReadDrillHoleSection(ctx);
    }
    return true;
}

// The MAX block: three lines "largest,smallest" for x, y and z. They only ever widen
// the bounds, so an Open (Add) keeps what the scene held.
void ReadBoundsBlock(SceneModel& scene, SceneStream& s) {
    for (int axis = 0; axis < 3; ++axis) {
        const float largest = NarrowToFloat(ParseDoubleLikeAtof(ReadField(s)));
        const float smallest = NarrowToFloat(ParseDoubleLikeAtof(ReadRestOfLine(s)));
        if (largest > scene.boundsMax[axis]) scene.boundsMax[axis] = largest;
        if (smallest < scene.boundsMin[axis]) scene.boundsMin[axis] = smallest;
    }
}

}  // namespace

SceneReadResult ReadSceneBuffer(SceneModel& scene, char* data, size_t size, SceneLoadObserver* observer) {
    SceneLoadObserver silent;
    if (observer == nullptr) observer = &silent;
    // An empty file carries no signature. Its buffer may also have no storage at all
    // (an empty vector's data() is null), which memchr must never be given.
    if (size == 0) return {};
    size = RemoveCarriageReturnsBeforeLineFeeds(data, size);
    SceneStream stream = MakeSceneStream(std::string_view(data, size));

    std::string_view currentLine = ReadRestOfLine(stream);
    SceneReadResult result;
    if (!HasAt(currentLine, 1, kSignature)) return result;
    result.read = true;

    scene.boundsFromFile = false;
    if (HasAt(currentLine, 10, "MAX")) {
        scene.boundsFromFile = true;
        ReadBoundsBlock(scene, stream);
        currentLine = ReadRestOfLine(stream);
    }

    while (!stream.eof) {
        ObjectKind kind;
        if (MatchTag(currentLine, kind)) {
            SectionContext ctx{scene, stream, currentLine, observer};
            if (!ReadSection(ctx, kind)) result.sectionRefused = true;
            currentLine = ReadRestOfLine(stream);
        } else {
            // Skip up to the next header line; a line that ends the file unterminated
            // is never examined.
            currentLine = ReadRestOfLine(stream);
            if (stream.eof) break;
            while (!IsHeaderLine(currentLine)) {
                currentLine = ReadRestOfLine(stream);
                if (stream.eof) break;
            }
        }
        scene.objectCount = CountObjects(scene);
    }
    scene.objectCount = CountObjects(scene);
    return result;
}

SceneReadResult ReadSceneText(SceneModel& scene, std::string_view text, SceneLoadObserver* observer) {
    std::vector<char> copy(text.begin(), text.end());
    return ReadSceneBuffer(scene, copy.data(), copy.size(), observer);
}

namespace {

// Reads the whole regular file behind `fd` into fresh memory, whose pages a second
// core faults in ahead of the copy. Returns null when the file is not a regular file
// (a device or a pipe could go on for ever) or cannot be read.
char* ReadWholeFile(int fd, size_t& size) {
    struct stat info {};
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return nullptr;
    const size_t capacity = static_cast<size_t>(info.st_size);
    char* data = static_cast<char*>(AllocateLarge(capacity));
    if (data == nullptr) return nullptr;
    PageFaultAhead faultAhead(data, capacity);
    constexpr size_t kChunk = size_t{8} << 20;
    size = 0;
    while (size < capacity) {
        faultAhead.WrittenUpTo(size);
        const ssize_t got = read(fd, data + size, std::min(kChunk, capacity - size));
        if (got == 0) break;  // the file shrank meanwhile: read what is there
        if (got < 0) {
            if (errno == EINTR) continue;
            faultAhead.Stop();
            FreeLarge(data);
            return nullptr;
        }
        size += static_cast<size_t>(got);
    }
    return data;
}

}  // namespace

SceneReadResult ReadSceneFile(SceneModel& scene, const std::string& path, SceneLoadObserver* observer) {
    // Opened without blocking: a FIFO with no writer would otherwise hold the open
    // for ever, before the regular-file check can turn it away. Regular files ignore
    // the flag.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {};
    size_t size = 0;
    char* data = ReadWholeFile(fd, size);
    close(fd);
    if (data == nullptr) return {};
    const SceneReadResult result = ReadSceneBuffer(scene, data, size, observer);
    FreeLarge(data);
    return result;
}

}  // namespace talan
