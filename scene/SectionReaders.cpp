#include "scene/SectionReaders.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

#include "scene/ElementParts.h"
#include "scene/NumberParsing.h"

namespace talan {

namespace {

constexpr char kBlockModelName[] = "Bloques";

struct Colour {
    float r, g, b, a;
};

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

// One section in progress: what the framework registered.
struct Section {
    int32_t declaredCount = 0;      // N from the tag line
    int64_t reservedElements = 0;   // elements the storage has room for
    bool growBounds = false;        // the file declared no bounds
    int64_t elementsShown = 0;      // elements the progress bar has been moved for
    int lastPercent = 0;
};

// Moves the progress bar on to 100·(i + 1)/N for every element i below `done`, telling
// the observer each new position once: every whole percent from N = 100 elements on,
// else the position after each element.
void ShowProgress(SceneLoadObserver& observer, Section& section, int64_t done) {
    const int64_t n = section.declaredCount;
    if (n >= 100) {
        const int percent = static_cast<int>(done * 100 / n);
        while (section.lastPercent < percent) observer.ProgressChanged(++section.lastPercent);
    } else {
        for (; section.elementsShown < done; ++section.elementsShown) {
            section.lastPercent = static_cast<int>((section.elementsShown + 1) * 100 / n);
            observer.ProgressChanged(section.lastPercent);
        }
    }
}

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
// and make room for its elements. A section whose count is negative, whose vertices
// would not fit a 32-bit count, or whose memory cannot be had is refused before
// anything of it is registered; the reader then consumes nothing, so the loader goes
// on with the line after the tag line. Returns why a section was refused, or None.
ReadProblem BeginSection(SectionContext& ctx, ObjectKind kind, int32_t verticesPerElement, Section& section) {
    const size_t countPosition = static_cast<size_t>(CountFieldPosition(kind));
    std::string_view countField;
    if (ctx.currentLine.size() > countPosition) {
        countField = ctx.currentLine.substr(countPosition);
        countField = countField.substr(0, countField.find(','));
    }
    const int32_t count = ParseIntLikeAtoi(countField);
    if (count < 0) return ReadProblem::CountRefused;
    const int64_t total = int64_t{VerticesOfObjects(ctx.scene)} + int64_t{count} * verticesPerElement;
    if (total > std::numeric_limits<int32_t>::max()) return ReadProblem::CountRefused;

    // Trust the declared count only as far as the rest of the file could hold it, so
    // that memory follows what the file really holds.
    const int64_t possible = static_cast<int64_t>(ctx.stream.Remaining() / MinimumElementBytes(kind)) + 1;
    const int64_t reserve = std::min<int64_t>(count, possible);
    if (!ReserveObjectStorage(ctx.scene, verticesPerElement, reserve)) return ReadProblem::OutOfMemory;

    ctx.scene.kindCount[static_cast<int>(kind)] += 1;
    section.declaredCount = count;
    section.reservedElements = reserve;
    section.growBounds = !ctx.scene.boundsFromFile;
    BeginObject(ctx.scene, kind, count, verticesPerElement);
    return ReadProblem::None;
}

// Makes the object known: its name joins objectNames, its menu entries are announced
// and both menu-id counters rise by 2 whatever the kind.
void AnnounceObject(SectionContext& ctx, ObjectKind kind, std::string_view field) {
    SceneModel& scene = ctx.scene;
    const int32_t index = static_cast<int32_t>(scene.objectNames.size());
    scene.objectNames.push_back(TextModeBytes(field));
    const int32_t transparencyId = KindHasTransparencyEntry(kind) ? scene.nextTransparencyMenuId : -1;
    ctx.observer->ObjectAnnounced(index, kind, scene.objectNames.back(), scene.nextObjectMenuId, transparencyId);
    scene.nextObjectMenuId += 2;
    scene.nextTransparencyMenuId += 2;
}

SceneVertex* ObjectVertices(SceneModel& scene) {
    return scene.sceneVertices.data() + scene.firstStored.back();
}

// Reads the section's elements into place and ends the section: the object keeps the
// elements the file really held, and the progress bar moves through 100·(i + 1)/N.
template <typename Element>
void ReadSectionElements(SectionContext& ctx, Section& section, const Element& element) {
    SceneLoadObserver& observer = *ctx.observer;
    ElementBounds bounds;
    const int64_t read =
        ReadElements(ctx.stream, std::min<int64_t>(section.declaredCount, section.reservedElements), ctx.workers,
                     element, bounds, [&](int64_t done) { ShowProgress(observer, section, done); });
    if (section.growBounds) bounds.MergeInto(ctx.scene.boundsMin, ctx.scene.boundsMax);
    EndObject(ctx.scene, static_cast<int32_t>(read));
    observer.ProgressClosed();
}

// One segment of a LIN or SUP section: x1, y1, z1, x2, y2 as fields and z2 as the
// rest of the line.
struct SegmentElement {
    SceneVertex* out;
    Colour colour;
    bool growBounds;
    void operator()(SceneStream& s, int64_t i, ElementBounds& bounds) const {
        const float x1 = ReadFloatUpTo(s, ',');
        const float y1 = ReadFloatUpTo(s, ',');
        const float z1 = ReadFloatUpTo(s, ',');
        const float x2 = ReadFloatUpTo(s, ',');
        const float y2 = ReadFloatUpTo(s, ',');
        const float z2 = ReadFloatUpTo(s, '\n');
        SceneVertex* v = out + 2 * i;
        WriteVertex(v[0], x1, y1, z1, 0, 0, 0, colour);
        WriteVertex(v[1], x2, y2, z2, 0, 0, 0, colour);
        if (growBounds) {
            bounds.Grow(x1, y1, z1);
            bounds.Grow(x2, y2, z2);
        }
    }
};

// LIN and SUP differ only in the line LIN skips before its first segment.
ReadProblem ReadSegmentSection(SectionContext& ctx, ObjectKind kind, bool skipLineBeforeSegments) {
    Section section;
    const ReadProblem refused = BeginSection(ctx, kind, 2, section);
    if (refused != ReadProblem::None) return refused;
    SceneStream& s = ctx.stream;
    const Colour colour = ColourFromInteger(ReadIntUpTo(s, ','));
    SkipLine(s);
    const std::string_view name = ReadField(s);
    AnnounceObject(ctx, kind, name);
    SkipLine(s);
    if (skipLineBeforeSegments) SkipLine(s);
    ctx.observer->ProgressShown(ctx.scene.objectNames.back());
    ReadSectionElements(ctx, section, SegmentElement{ObjectVertices(ctx.scene), colour, section.growBounds});
    return ReadProblem::None;
}

// One triangle: nine coordinates, in colour modes other than 1 an unused field and
// the triangle's colour, then the rest of the line is skipped.
struct TriangleElement {
    SceneVertex* out;
    Colour objectColour;
    bool oneColour;
    bool growBounds;
    void operator()(SceneStream& s, int64_t i, ElementBounds& bounds) const {
        float p[9];  // x1, y1, z1, x2, y2, z2, x3, y3, z3 in file order
        for (float& value : p) value = ReadFloatUpTo(s, ',');

        // Face normal from the corners in stored order (x, elevation, y).
        const float a[3] = {p[0], p[2], p[1]}, b[3] = {p[3], p[5], p[4]}, c[3] = {p[6], p[8], p[7]};
        float nx, ny, nz;
        FaceNormal(a, b, c, nx, ny, nz);

        Colour colour = objectColour;
        if (!oneColour) {
            (void)ReadField(s);  // a value the viewer does not use
            colour = ColourFromInteger(ReadIntUpTo(s, ','));
        }
        SceneVertex* v = out + 3 * i;
        for (int corner = 0; corner < 3; ++corner) {
            const float* c = p + 3 * corner;
            WriteVertex(v[corner], c[0], c[1], c[2], nx, ny, nz, colour);
            if (growBounds) bounds.Grow(c[0], c[1], c[2]);
        }
        SkipLine(s);
    }
};

// One block: its centre and colour; the rest of the line is skipped. The record keeps
// the faces of its box, each a single-precision sum of the centre and the half size.
struct BlockElement {
    BlockRecord* out;
    float half[3];
    bool growBounds;
    void operator()(SceneStream& s, int64_t i, ElementBounds& bounds) const {
        const float x = ReadFloatUpTo(s, ',');
        const float y = ReadFloatUpTo(s, ',');
        const float z = ReadFloatUpTo(s, ',');
        const ColourBytes colour = SplitColour(ReadIntUpTo(s, ','));
        SkipLine(s);
        BlockRecord& block = out[i];
        block.low[0] = x - half[0];
        block.low[1] = y - half[1];
        block.low[2] = z - half[2];
        block.high[0] = x + half[0];
        block.high[1] = y + half[1];
        block.high[2] = z + half[2];
        block.colour[0] = static_cast<uint8_t>(colour.r);
        block.colour[1] = static_cast<uint8_t>(colour.g);
        block.colour[2] = static_cast<uint8_t>(colour.b);
        block.colour[3] = 0;
        if (growBounds) bounds.Grow(x, y, z);  // the centre only, not the box
    }
};

// One point: x and y as fields, z as the rest of the line.
struct PointElement {
    SceneVertex* out;
    Colour colour;
    bool growBounds;
    void operator()(SceneStream& s, int64_t i, ElementBounds& bounds) const {
        const float x = ReadFloatUpTo(s, ',');
        const float y = ReadFloatUpTo(s, ',');
        const float z = ReadFloatUpTo(s, '\n');
        WriteVertex(out[i], x, y, z, 0, 0, 0, colour);
        if (growBounds) bounds.Grow(x, y, z);
    }
};

// One drill-hole interval: six coordinates as fields, its colour as the rest of the line.
struct IntervalElement {
    SceneVertex* out;
    bool growBounds;
    void operator()(SceneStream& s, int64_t i, ElementBounds& bounds) const {
        float p[6];  // x1, y1, z1, x2, y2, z2
        for (float& value : p) value = ReadFloatUpTo(s, ',');
        const Colour colour = ColourFromInteger(ReadIntUpTo(s, '\n'));
        SceneVertex* v = out + 2 * i;
        WriteVertex(v[0], p[0], p[1], p[2], 0, 0, 0, colour);
        WriteVertex(v[1], p[3], p[4], p[5], 0, 0, 0, colour);
        if (growBounds) {
            bounds.Grow(p[0], p[1], p[2]);
            bounds.Grow(p[3], p[4], p[5]);
        }
    }
};

}  // namespace

ReadProblem ReadTriangulatedSurfaceSection(SectionContext& ctx) {
    Section section;
    const ReadProblem refused = BeginSection(ctx, ObjectKind::T3, 3, section);
    if (refused != ReadProblem::None) return refused;
    SceneStream& s = ctx.stream;
    const int32_t colourMode = ReadIntUpTo(s, ',');
    const int32_t colourA = ReadIntUpTo(s, ',');
    const int32_t colourB = ReadIntUpTo(s, ',');
    SkipLine(s);
    const std::string_view name = ReadField(s);
    AnnounceObject(ctx, ObjectKind::T3, name);
    SkipLine(s);
    ctx.observer->ProgressShown(ctx.scene.objectNames.back());
    ReadSectionElements(ctx, section,
                        TriangleElement{ObjectVertices(ctx.scene), MeanColour(colourA, colourB), colourMode == 1,
                                        section.growBounds});
    return ReadProblem::None;
}

ReadProblem ReadLineSection(SectionContext& ctx) { return ReadSegmentSection(ctx, ObjectKind::LIN, true); }

ReadProblem ReadSurfaceSection(SectionContext& ctx) { return ReadSegmentSection(ctx, ObjectKind::SUP, false); }

ReadProblem ReadBlockModelSection(SectionContext& ctx) {
    Section section;
    const ReadProblem refused = BeginSection(ctx, ObjectKind::BLKKDX, kVerticesPerBlock, section);
    if (refused != ReadProblem::None) return refused;
    SceneStream& s = ctx.stream;
    BlockElement element{ctx.scene.blockRecords.data() + ctx.scene.firstStored.back(), {}, section.growBounds};
    for (float& h : element.half) {
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
    ReadSectionElements(ctx, section, element);
    return ReadProblem::None;
}

ReadProblem ReadPointsSection(SectionContext& ctx) {
    Section section;
    const ReadProblem refused = BeginSection(ctx, ObjectKind::PTS, 1, section);
    if (refused != ReadProblem::None) return refused;
    SceneStream& s = ctx.stream;
    const Colour colour = ColourFromInteger(ReadIntUpTo(s, ','));
    SkipLine(s);
    const std::string_view name = ReadField(s);
    AnnounceObject(ctx, ObjectKind::PTS, name);
    SkipLine(s);
    SkipLine(s);
    ctx.observer->ProgressShown(ctx.scene.objectNames.back());
    ReadSectionElements(ctx, section, PointElement{ObjectVertices(ctx.scene), colour, section.growBounds});
    return ReadProblem::None;
}

ReadProblem ReadDrillHoleSection(SectionContext& ctx) {
    Section section;
    const ReadProblem refused = BeginSection(ctx, ObjectKind::SONKDX, 2, section);
    if (refused != ReadProblem::None) return refused;
    SceneStream& s = ctx.stream;
    const std::string_view name = ReadField(s);
    AnnounceObject(ctx, ObjectKind::SONKDX, name);
    SkipLine(s);
    SkipLine(s);
    ctx.observer->ProgressShown(ctx.scene.objectNames.back());
    ReadSectionElements(ctx, section, IntervalElement{ObjectVertices(ctx.scene), section.growBounds});
    return ReadProblem::None;
}

}  // namespace talan
