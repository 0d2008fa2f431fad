// The scene model: every object read from scene files, as parallel per-object
// lists, the vertices and block records they draw from, and the scene bounds.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "scene/SceneStorage.h"
#include "scene/Status.h"

namespace talan {

// The six kinds of section, in the order the reader tests their tags and the
// order of the kindCount counters.
enum class ObjectKind : int { T3 = 0, LIN, SUP, BLKKDX, PTS, SONKDX };
inline constexpr int kObjectKindCount = 6;

// The tag of a kind as it stands in a scene file ("T3", "BLKKDX", ...).
const char* ObjectKindTag(ObjectKind kind);
// T3 surfaces and block models get an entry in the Transparent submenu.
bool KindHasTransparencyEntry(ObjectKind kind);

// The format an object was read from, for what --info reports.
enum class SourceFormat : int { SceneFile = 0, DrillHoleTables, GocadTSurf, GocadPLine, GocadVSet };

// How --info names a format: "scene file", "drill-hole tables", "GOCAD TSurf", ...
const char* SourceFormatName(SourceFormat format);

// One value an object carries, such as an assay column of a drill-hole interval table
// or a property of a GOCAD object: a number or a text for each value-carrying vertex
// group (see ObjectValues).
struct ValueColumn {
    std::string name;                        // as the file names it
    bool text = false;                       // text values, coloured as categories
    std::vector<float> numbers;              // numbers; NaN where the value is missing
    std::vector<int32_t> categories;         // text values: index into categoryNames, -1 where missing
    std::vector<std::string> categoryNames;  // the distinct texts, in order of first appearance
    size_t Size() const { return text ? categories.size() : numbers.size(); }
};

// The values of one object. Vertex `firstVertex + i` of the object (counted from the
// object's first vertex) takes value number i / verticesPerValue of each column, so a
// drill-hole interval drawn as one segment has one value for both its ends; vertices
// before `firstVertex` (a hole's bare trace) carry none and keep `ownColour`. Objects
// without values have no columns.
struct ObjectValues {
    int32_t firstVertex = 0;
    int32_t verticesPerValue = 1;
    std::array<float, 4> ownColour{1.0f, 1.0f, 1.0f, 1.0f};  // the colour the file gave, for "no value"
    std::vector<ValueColumn> columns;
};

inline constexpr int32_t kFirstObjectMenuId = 5000;
inline constexpr int32_t kFirstTransparencyMenuId = 10000;
// Reset values of the bounds: the float nearest 1e12, so that any real point widens them.
inline constexpr float kBoundsResetValue = 999999995904.0f;

struct SceneModel {
    // Per-object lists, indexed by object number (0 = first object since the last reset).
    std::vector<std::string> objectNames;    // raw bytes of the name as they stand in the file
    std::vector<ObjectKind> objectKinds;     // the kind of section the object came from, for what reports it
    std::vector<int32_t> elementCounts;      // triangles, segments, blocks or points
    std::vector<int32_t> verticesPerElement; // 3, 2, 36 or 1: tells drawing and smoothing what the object is
    std::vector<int32_t> firstVertex;        // index of the object's first vertex, counting every object's vertices
                                             // (a block model's 36 per block) back to back in object order
    std::vector<int64_t> firstStored;        // where the object's data starts: its first block in blockRecords for a
                                             // block model, else its first vertex in sceneVertices
    std::vector<bool> objectVisible;         // drawn; shown as the check mark of its entry in its kind's submenu
    std::vector<bool> objectTransparent;     // drawn transparent; shown as the check mark of its Transparent entry
    std::vector<SourceFormat> objectFormats; // the format the object was read from
    std::vector<ObjectValues> objectValues;  // the values the object carries (none for scene-file objects)

    SceneVertexArray sceneVertices;          // vertices of every object but block models, back to back in object order
    BlockRecordArray blockRecords;           // blocks of every block model, back to back in object order
    int64_t storedVertexCount = 0;           // records in use in sceneVertices
    int64_t storedBlockCount = 0;            // records in use in blockRecords
    int32_t totalVertexCount = 0;            // vertices of all objects as firstVertex counts them; must fit 32 bits

    std::array<int32_t, kObjectKindCount> kindCount{};  // objects of each kind
    int32_t objectCount = 0;                             // sum of kindCount, refreshed by the reader and each frame

    // Bounds in file axes (x, y, z with z the elevation).
    std::array<float, 3> boundsMax{-kBoundsResetValue, -kBoundsResetValue, -kBoundsResetValue};
    std::array<float, 3> boundsMin{kBoundsResetValue, kBoundsResetValue, kBoundsResetValue};
    bool boundsFromFile = false;  // the file read last declared its bounds in a MAX block

    int32_t nextObjectMenuId = kFirstObjectMenuId;
    int32_t nextTransparencyMenuId = kFirstTransparencyMenuId;
};

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

// The unit face normal of a triangle with corners a, b, c in stored axes: the cross
// product of the edges from the first corner, (b - a) x (c - a); zero for a triangle
// without area.
inline void FaceNormal(const float a[3], const float b[3], const float c[3], float& nx, float& ny, float& nz) {
    const float e1x = b[0] - a[0], e1y = b[1] - a[1], e1z = b[2] - a[2];
    const float e2x = c[0] - a[0], e2y = c[1] - a[1], e2z = c[2] - a[2];
    nx = e1y * e2z - e1z * e2y;
    ny = e1z * e2x - e1x * e2z;
    nz = e1x * e2y - e1y * e2x;
    NormalizeInPlace(nx, ny, nz);
}

// A block model: 36 vertices per element, kept as one BlockRecord per block.
inline bool IsBlockModel(const SceneModel& scene, size_t object) {
    return scene.verticesPerElement[object] == kVerticesPerBlock;
}

// Registers a new object of `elementCount` elements of `verticesPerElement` vertices
// and returns the index of its first vertex. The caller has checked that the new
// total fits a signed 32-bit integer and has reserved the storage it will write
// (ReserveObjectStorage); the object's vertices or block records, from
// firstStored.back() on, are written by the caller.
int32_t BeginObject(SceneModel& scene, ObjectKind kind, int32_t elementCount, int32_t verticesPerElement);

// Makes room for `elements` more elements of `verticesPerElement` vertices after the
// records in use (block records for 36, vertices otherwise). Returns false, changing
// nothing, when the memory cannot be had.
bool ReserveObjectStorage(SceneModel& scene, int32_t verticesPerElement, int64_t elements);

// Shortens the last object to the `elementsRead` elements that the file really held
// (a file that ends inside a section).
void EndObject(SceneModel& scene, int32_t elementsRead);

// Vertex `index` of the scene, counted as firstVertex counts it; a block's vertices
// are expanded from its record. For reading a scene out, not for drawing.
SceneVertex VertexAt(const SceneModel& scene, int32_t index);

// Calls visit(const SceneVertex&) for every vertex of the scene in index order, block
// boxes expanded.
template <typename Visit>
void ForEachVertex(const SceneModel& scene, Visit&& visit) {
    SceneVertex box[kVerticesPerBlock];
    for (size_t k = 0; k < scene.firstVertex.size(); ++k) {
        const int64_t elements = scene.elementCounts[k];
        const size_t first = static_cast<size_t>(scene.firstStored[k]);
        if (IsBlockModel(scene, k)) {
            for (int64_t e = 0; e < elements; ++e) {
                ExpandBlock(scene.blockRecords[first + static_cast<size_t>(e)], box);
                for (const SceneVertex& v : box) visit(v);
            }
        } else {
            const int64_t count = elements * scene.verticesPerElement[k];
            for (int64_t i = 0; i < count; ++i) visit(scene.sceneVertices[first + static_cast<size_t>(i)]);
        }
    }
}

// Widens the bounds to take in one point given in file order.
inline void GrowBounds(SceneModel& scene, float x, float y, float z) {
    const float p[3] = {x, y, z};
    for (int i = 0; i < 3; ++i) {
        if (p[i] > scene.boundsMax[i]) scene.boundsMax[i] = p[i];
        if (p[i] < scene.boundsMin[i]) scene.boundsMin[i] = p[i];
    }
}

// Empties the object lists, counters and bounds. The storage and totalVertexCount
// stay until the next object replaces them, as the graphics copy of them does.
void ResetScene(SceneModel& scene);

// Number of vertices of all registered objects: where the next object starts.
int32_t VerticesOfObjects(const SceneModel& scene);

// Sum of the six kind counters.
int32_t CountObjects(const SceneModel& scene);

}  // namespace talan
