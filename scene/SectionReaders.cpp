#include "scene/SectionReaders.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>

#include "scene/NumberParsing.h"
#include "scene/PageFaultAhead.h"

namespace talan {

namespace {

constexpr float kByteToUnit = 0.003921569f;  // the float nearest 1/255
constexpr char kBlockModelName[] = "Bloques";

struct Colour {
    float r, g, b, a;
};

// The three bytes of a 0x00BBGGRR colour integer. The shifts are signed divisions
// truncating toward zero, so a negative integer gives the bytes the format always gave.
struct ColourBytes {
    int r, g, b;
};
ColourBytes SplitColour(int32_t c) {
    return {c & 0xFF, (c / 256) & 0xFF, (c / 65536) & 0xFF};
}

Colour ColourFromInteger(int32_t c) {
    const ColourBytes bytes = SplitColour(c);
    return {static_cast<float>(bytes.r) * kByteToUnit, static_cast<float>(bytes.g) * kByteToUnit,
            static_cast<float>(bytes.b) * kByteToUnit, 1.0f};
}

// The one colour of a T3 object in colour mode 1: the mean of colours A and B.
Colour MeanColour(int32_t a, int32_t b) {
    const ColourBytes x = SplitColour(a), y = SplitColour(b);
    auto mean = [](int p, int q) { return static_cast<float>(p + q) * kByteToUnit * 0.5f; };
    return {mean(x.r, y.r), mean(x.g, y.g), mean(x.b, y.b), 1.0f};
}


// Writes one vertex given in file axes; the stored position puts the elevation second.
inline void WriteVertex(SceneVertex& v, float x, float y, float z, float nx, float ny, float nz, const Colour& c) {
    v.position[0] = x;
    v.position[1] = z;
    v.position[2] = y;
    v.normal[0] = nx;
    v.normal[1] = ny;
    v.normal[2] = nz;
    v.colour[0] = c.r;
    v.colour[1] = c.g;
    v.colour[2] = c.b;
    v.colour[3] = c.a;
}

// Unit length in float; the zero vector stays zero.
inline void NormalizeInPlace(float& x, float& y, float& z) {
    const float length = std::sqrt(x * x + y * y + z * z);
    if (length == 0.0f) {
        x = y = z = 0.0f;
        return;
    }
    x = x / length;
    y = y / length;
    z = z / length;
}

// One section in progress: what the framework registered and how far the reader got.
struct Section {
    ObjectKind kind;
    int32_t declaredCount = 0;  // N from the tag line
    int32_t first = 0;          // first vertex index of the object
    int32_t verticesPerElement = 0;
    int64_t reservedElements = 0;  // elements the vertex storage has room for
    int lastPercent = 0;
    std::unique_ptr<PageFaultAhead> faultAhead;  // clears the object's fresh pages on a second core
};

// Where the count field starts in the tag line of each kind: 7 positions after the
// tag's last character.
int CountFieldPosition(ObjectKind kind) {
    switch (kind) {
        case ObjectKind::T3: return 18;
        case ObjectKind::LIN:
        case ObjectKind::SUP:
        case ObjectKind::PTS: return 19;
        case ObjectKind::BLKKDX:
        case ObjectKind::SONKDX: return 22;
    }
    return 0;
}

// The fewest bytes an element of each kind takes when another element follows it:
// its comma-ended fields plus the line feed that ends it. A file of R bytes can
// therefore begin at most R / this + 1 elements.
int MinimumElementBytes(ObjectKind kind) {
    switch (kind) {
        case ObjectKind::T3: return 10;      // nine coordinates with commas, line end
        case ObjectKind::LIN:
        case ObjectKind::SUP: return 6;      // five commas, line end
        case ObjectKind::BLKKDX: return 5;   // four commas, line end
        case ObjectKind::PTS: return 3;      // two commas, line end
        case ObjectKind::SONKDX: return 7;   // six commas, line end
    }
    return 1;
}

// The start of every section: read the count from the tag line, register the object
// and make room for its vertices. A section whose count is negative, whose vertices
// would not fit a 32-bit count, or whose memory cannot be had is refused before
// anything of it is registered; the reader then consumes nothing, so the loader goes
// on with the line after the tag line.
bool BeginSection(SectionContext& ctx, ObjectKind kind, int32_t verticesPerElement, Section& section) {
    const size_t countPosition = static_cast<size_t>(CountFieldPosition(kind));
    std::string_view countField;
    if (ctx.currentLine.size() > countPosition) {
        countField = ctx.currentLine.substr(countPosition);
        countField = countField.substr(0, countField.find(','));
    }
    const int32_t count = ParseIntLikeAtoi(countField);
    if (count < 0) return false;
    const int64_t total = int64_t{VerticesOfObjects(ctx.scene)} + int64_t{count} * verticesPerElement;
    if (total > std::numeric_limits<int32_t>::max()) return false;

    // Trust the declared count only as far as the rest of the file could hold it, so
    // that memory follows what the file really holds.
    const int64_t possible = static_cast<int64_t>(ctx.stream.Remaining() / MinimumElementBytes(kind)) + 1;
    const int64_t reserve = std::min<int64_t>(count, possible);
    if (!ReserveObjectVertices(ctx.scene, reserve * verticesPerElement)) return false;

    ctx.scene.kindCount[static_cast<int>(kind)] += 1;
    section.kind = kind;
    section.declaredCount = count;
    section.verticesPerElement = verticesPerElement;
    section.reservedElements = reserve;
    section.first = BeginObject(ctx.scene, kind, count, verticesPerElement);
    section.faultAhead = std::make_unique<PageFaultAhead>(ctx.scene.sceneVertices.data() + section.first,
                                                          static_cast<size_t>(reserve * verticesPerElement) *
                                                              sizeof(SceneVertex));
    return true;
}

// Makes the object known: its name joins objectNames, its menu entries are announced
// and both menu-id counters rise by 2 whatever the kind.
void AnnounceObject(SectionContext& ctx, ObjectKind kind, std::string_view name) {
    SceneModel& scene = ctx.scene;
    const int32_t index = static_cast<int32_t>(scene.objectNames.size());
    scene.objectNames.emplace_back(name);
    const int32_t transparencyId = KindHasTransparencyEntry(kind) ? scene.nextTransparencyMenuId : -1;
    ctx.observer->ObjectAnnounced(index, kind, name, scene.nextObjectMenuId, transparencyId);
    scene.nextObjectMenuId += 2;
    scene.nextTransparencyMenuId += 2;
}

// Called before element i is read. Returns false when the file has no byte left, so
// the element is not made. Memory was reserved for every element the rest of the
// file can hold; the growth below is only a guard should that bound ever be wrong.
bool StartElement(SectionContext& ctx, Section& section, int32_t i) {
    if (ctx.stream.AtEnd()) return false;
    section.faultAhead->WrittenUpTo(static_cast<size_t>(i) * static_cast<size_t>(section.verticesPerElement) *
                                    sizeof(SceneVertex));
    if (i >= section.reservedElements) {
        section.faultAhead->Stop();  // the array is about to move
        const int64_t more = std::min<int64_t>(section.declaredCount - int64_t{i}, section.reservedElements + 1);
        const int64_t have = int64_t{i} * section.verticesPerElement;
        // Reserve is relative to the vertices before the object; ask for all of it.
        if (!ctx.scene.sceneVertices.Reserve(static_cast<size_t>(section.first + have + more * section.verticesPerElement),
                                             static_cast<size_t>(section.first + have))) {
            return false;
        }
        section.reservedElements = i + more;
    }
    return true;
}

// The progress bar position after element i: 100·(i + 1)/N, reported when it changes.
inline void ReportProgress(SectionContext& ctx, Section& section, int32_t i) {
    const int percent = static_cast<int>((int64_t{i} + 1) * 100 / section.declaredCount);
    if (percent != section.lastPercent) {
        section.lastPercent = percent;
        ctx.observer->ProgressChanged(percent);
    }
}

// Ends the section: the object keeps the elements the file really held.
void FinishSection(SectionContext& ctx, Section& section, int32_t elementsRead) {
    section.faultAhead->Stop();
    EndObject(ctx.scene, elementsRead);
    ctx.observer->ProgressClosed();
}

// The element loop shared by LIN and SUP sections: one segment a line, x1, y1, z1,
// x2, y2 as fields and z2 as the rest of the line.
int32_t ReadSegmentElements(SectionContext& ctx, Section& section, const Colour& colour) {
    SceneStream& s = ctx.stream;
    SceneVertex* vertices = nullptr;
    int32_t i = 0;
    for (; i < section.declaredCount; ++i) {
        if (!StartElement(ctx, section, i)) break;
        const float x1 = ReadFloatUpTo(s, ',');
        const float y1 = ReadFloatUpTo(s, ',');
        const float z1 = ReadFloatUpTo(s, ',');
        ReportProgress(ctx, section, i);
        const float x2 = ReadFloatUpTo(s, ',');
        const float y2 = ReadFloatUpTo(s, ',');
        const float z2 = ReadFloatUpTo(s, '\n');
        vertices = ctx.scene.sceneVertices.data() + section.first + 2 * int64_t{i};
        WriteVertex(vertices[0], x1, y1, z1, 0, 0, 0, colour);
        WriteVertex(vertices[1], x2, y2, z2, 0, 0, 0, colour);
        if (!ctx.scene.boundsFromFile) {
            GrowBounds(ctx.scene, x1, y1, z1);
            GrowBounds(ctx.scene, x2, y2, z2);
        }
    }
    return i;
}

// LIN and SUP differ only in the line LIN skips before its first segment.
bool ReadSegmentSection(SectionContext& ctx, ObjectKind kind, bool skipLineBeforeSegments) {
    Section section;
    if (!BeginSection(ctx, kind, 2, section)) return false;
    SceneStream& s = ctx.stream;
    const Colour colour = ColourFromInteger(ReadIntUpTo(s, ','));
    SkipLine(s);
    const std::string_view name = ReadField(s);
    AnnounceObject(ctx, kind, name);
    SkipLine(s);
    if (skipLineBeforeSegments) SkipLine(s);
    ctx.observer->ProgressShown(name);
    FinishSection(ctx, section, ReadSegmentElements(ctx, section, colour));
    return true;
}

// The six faces of a block as corners a, b, c, d (triangles a-b-c and a-c-d), each
// corner a bit set over the file axes: 1 = x+, 2 = y+, 4 = z+ (clear bits are the
// minus faces). Normals are in stored axes (x, elevation, y) and point outwards.
struct BoxFace {
    float normal[3];
    uint8_t corners[4];
};
constexpr BoxFace kBoxFaces[6] = {
    {{0, 0, -1}, {0, 4, 5, 1}},   // y = y-
    {{0, 1, 0}, {4, 6, 7, 5}},    // z = z+ (top)
    {{1, 0, 0}, {1, 5, 7, 3}},    // x = x+
    {{0, 0, 1}, {3, 7, 6, 2}},    // y = y+
    {{-1, 0, 0}, {2, 6, 4, 0}},   // x = x-
    {{0, -1, 0}, {1, 3, 2, 0}},   // z = z- (bottom)
};

void WriteBlock(SceneVertex* out, float x, float y, float z, const float half[3], const Colour& colour) {
    const float xs[2] = {x - half[0], x + half[0]};
    const float ys[2] = {y - half[1], y + half[1]};
    const float zs[2] = {z - half[2], z + half[2]};
    for (const BoxFace& face : kBoxFaces) {
        static constexpr int kOrder[6] = {0, 1, 2, 0, 2, 3};
        for (int k : kOrder) {
            const int c = face.corners[k];
            WriteVertex(*out++, xs[c & 1], ys[(c >> 1) & 1], zs[(c >> 2) & 1], face.normal[0], face.normal[1],
                        face.normal[2], colour);
        }
    }
}

}  // namespace

bool ReadTriangulatedSurfaceSection(SectionContext& ctx) {
    Section section;
    if (!BeginSection(ctx, ObjectKind::T3, 3, section)) return false;
    SceneStream& s = ctx.stream;
    const int32_t colourMode = ReadIntUpTo(s, ',');
    const int32_t colourA = ReadIntUpTo(s, ',');
    const int32_t colourB = ReadIntUpTo(s, ',');
    SkipLine(s);
    const std::string_view name = ReadField(s);
    AnnounceObject(ctx, ObjectKind::T3, name);
    SkipLine(s);
    ctx.observer->ProgressShown(name);

    const bool oneColour = colourMode == 1;
    const Colour objectColour = MeanColour(colourA, colourB);
    int32_t i = 0;
    for (; i < section.declaredCount; ++i) {
        if (!StartElement(ctx, section, i)) break;
        float p[9];  // x1, y1, z1, x2, y2, z2, x3, y3, z3 in file order
        for (int k = 0; k < 3; ++k) p[k] = ReadFloatUpTo(s, ',');
        ReportProgress(ctx, section, i);
        for (int k = 3; k < 9; ++k) p[k] = ReadFloatUpTo(s, ',');

        // Face normal from the corners in stored order (x, elevation, y).
        const float e1x = p[3] - p[0], e1y = p[5] - p[2], e1z = p[4] - p[1];
        const float e2x = p[6] - p[0], e2y = p[8] - p[2], e2z = p[7] - p[1];
        float nx = e1y * e2z - e1z * e2y;
        float ny = e1z * e2x - e1x * e2z;
        float nz = e1x * e2y - e1y * e2x;
        NormalizeInPlace(nx, ny, nz);

        Colour colour = objectColour;
        if (!oneColour) {
            (void)ReadField(s);  // a value the viewer does not use
            colour = ColourFromInteger(ReadIntUpTo(s, ','));
        }
        SceneVertex* v = ctx.scene.sceneVertices.data() + section.first + 3 * int64_t{i};
        for (int corner = 0; corner < 3; ++corner) {
            const float* c = p + 3 * corner;
            WriteVertex(v[corner], c[0], c[1], c[2], nx, ny, nz, colour);
            if (!ctx.scene.boundsFromFile) GrowBounds(ctx.scene, c[0], c[1], c[2]);
        }
        SkipLine(s);
    }
    FinishSection(ctx, section, i);
    return true;
}

bool ReadLineSection(SectionContext& ctx) { return ReadSegmentSection(ctx, ObjectKind::LIN, true); }

bool ReadSurfaceSection(SectionContext& ctx) { return ReadSegmentSection(ctx, ObjectKind::SUP, false); }

bool ReadBlockModelSection(SectionContext& ctx) {
    Section section;
    if (!BeginSection(ctx, ObjectKind::BLKKDX, 36, section)) return false;
    SceneStream& s = ctx.stream;
    float half[3];
    for (float& h : half) {
        // Whole-number sizes drawn at 0.92 so that neighbouring blocks stand apart.
        const int32_t size = ReadIntUpTo(s, ',');
        const float edge = static_cast<float>(static_cast<double>(size) * 0.92);
        h = edge * 0.5f;
    }
    AnnounceObject(ctx, ObjectKind::BLKKDX, kBlockModelName);
    SkipLine(s);
    SkipLine(s);
    SkipLine(s);
    ctx.observer->ProgressShown(kBlockModelName);

    int32_t i = 0;
    for (; i < section.declaredCount; ++i) {
        if (!StartElement(ctx, section, i)) break;
        const float x = ReadFloatUpTo(s, ',');
        const float y = ReadFloatUpTo(s, ',');
        const float z = ReadFloatUpTo(s, ',');
        const Colour colour = ColourFromInteger(ReadIntUpTo(s, ','));
        SkipLine(s);
        ReportProgress(ctx, section, i);
        WriteBlock(ctx.scene.sceneVertices.data() + section.first + 36 * int64_t{i}, x, y, z, half, colour);
        if (!ctx.scene.boundsFromFile) GrowBounds(ctx.scene, x, y, z);
    }
    FinishSection(ctx, section, i);
    return true;
}

bool ReadPointsSection(SectionContext& ctx) {
    Section section;
    if (!BeginSection(ctx, ObjectKind::PTS, 1, section)) return false;
    SceneStream& s = ctx.stream;
    const Colour colour = ColourFromInteger(ReadIntUpTo(s, ','));
    SkipLine(s);
    const std::string_view name = ReadField(s);
    AnnounceObject(ctx, ObjectKind::PTS, name);
    SkipLine(s);
    SkipLine(s);
    ctx.observer->ProgressShown(name);

    int32_t i = 0;
    for (; i < section.declaredCount; ++i) {
        if (!StartElement(ctx, section, i)) break;
        const float x = ReadFloatUpTo(s, ',');
        const float y = ReadFloatUpTo(s, ',');
        const float z = ReadFloatUpTo(s, '\n');
        ReportProgress(ctx, section, i);
        WriteVertex(ctx.scene.sceneVertices[static_cast<size_t>(section.first) + static_cast<size_t>(i)], x, y, z, 0, 0,
                    0, colour);
        if (!ctx.scene.boundsFromFile) GrowBounds(ctx.scene, x, y, z);
    }
    FinishSection(ctx, section, i);
    return true;
}

bool ReadDrillHoleSection(SectionContext& ctx) {
    Section section;
    if (!BeginSection(ctx, ObjectKind::SONKDX, 2, section)) return false;
    SceneStream& s = ctx.stream;
    const std::string_view name = ReadField(s);
    AnnounceObject(ctx, ObjectKind::SONKDX, name);
    SkipLine(s);
    SkipLine(s);
    ctx.observer->ProgressShown(name);

    int32_t i = 0;
    for (; i < section.declaredCount; ++i) {
        if (!StartElement(ctx, section, i)) break;
        float p[6];  // x1, y1, z1, x2, y2, z2
        for (float& value : p) value = ReadFloatUpTo(s, ',');
        const Colour colour = ColourFromInteger(ReadIntUpTo(s, '\n'));
        ReportProgress(ctx, section, i);
        SceneVertex* v = ctx.scene.sceneVertices.data() + section.first + 2 * int64_t{i};
        WriteVertex(v[0], p[0], p[1], p[2], 0, 0, 0, colour);
        WriteVertex(v[1], p[3], p[4], p[5], 0, 0, 0, colour);
        if (!ctx.scene.boundsFromFile) {
            GrowBounds(ctx.scene, p[0], p[1], p[2]);
            GrowBounds(ctx.scene, p[3], p[4], p[5]);
        }
    }
    FinishSection(ctx, section, i);
    return true;
}

}  // namespace talan
