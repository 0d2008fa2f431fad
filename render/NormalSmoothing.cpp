#include "render/NormalSmoothing.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

namespace talan {

namespace {

// A corner to group: its position as three keys that sort like the floats, and its
// index in sceneVertices.
struct CornerKey {
    uint32_t key[3];  // x, elevation, y of the stored position
    uint32_t vertex;
};

// Unsigned key whose order is the float order; -0 and +0, equal as floats, get the
// same key.
inline uint32_t SortableKey(float value) {
    if (value == 0.0f) value = 0.0f;
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return (bits & 0x80000000u) ? ~bits : (bits | 0x80000000u);
}

// Stable least-significant-digit radix sort on (x, elevation, y): no recursion, and
// long runs of equal keys (a grid column shares one x) cost nothing extra. Digits
// that are the same for every corner (common in the high bits) are passed over.
void SortCorners(std::vector<CornerKey>& corners, std::vector<CornerKey>& scratch) {
    constexpr int kDigitBits[3] = {11, 11, 10};
    constexpr int kDigitShift[3] = {0, 11, 22};
    constexpr int kBuckets = 2048;
    const size_t n = corners.size();
    // Nine digits: three per key, least significant key (y) first.
    std::vector<std::array<uint32_t, kBuckets>> counts(9);
    for (auto& c : counts) c.fill(0);
    for (const CornerKey& corner : corners) {
        for (int pass = 0; pass < 9; ++pass) {
            const int keyIndex = 2 - pass / 3;
            const int digit = pass % 3;
            const uint32_t mask = (1u << kDigitBits[digit]) - 1;
            ++counts[pass][(corner.key[keyIndex] >> kDigitShift[digit]) & mask];
        }
    }
    scratch.resize(n);
    for (int pass = 0; pass < 9; ++pass) {
        const int keyIndex = 2 - pass / 3;
        const int digit = pass % 3;
        const uint32_t mask = (1u << kDigitBits[digit]) - 1;
        auto& count = counts[pass];
        if (std::find(count.begin(), count.end(), n) != count.end()) continue;
        uint32_t offset = 0;
        for (uint32_t& c : count) {
            const uint32_t here = c;
            c = offset;
            offset += here;
        }
        for (const CornerKey& corner : corners) {
            scratch[count[(corner.key[keyIndex] >> kDigitShift[digit]) & mask]++] = corner;
        }
        corners.swap(scratch);
    }
}

inline bool SameKey(const CornerKey& a, const CornerKey& b) {
    return a.key[0] == b.key[0] && a.key[1] == b.key[1] && a.key[2] == b.key[2];
}

void SmoothObject(SceneModel& scene, int64_t first, int64_t vertexCount, std::vector<CornerKey>& corners,
                  std::vector<CornerKey>& scratch) {
    SceneVertex* vertices = scene.sceneVertices.data();
    corners.clear();
    corners.reserve(static_cast<size_t>(vertexCount));
    for (int64_t k = 0; k < vertexCount; ++k) {
        const uint32_t index = static_cast<uint32_t>(first + k);
        const float* p = vertices[index].position;
        // A NaN equals nothing, so such a corner is a group of its own.
        if (std::isnan(p[0]) || std::isnan(p[1]) || std::isnan(p[2])) continue;
        corners.push_back({{SortableKey(p[0]), SortableKey(p[1]), SortableKey(p[2])}, index});
    }
    SortCorners(corners, scratch);

    // Equal positions now stand together, in vertex order within each run.
    const size_t n = corners.size();
    for (size_t start = 0; start < n;) {
        size_t stop = start + 1;
        while (stop < n && SameKey(corners[stop], corners[start])) ++stop;
        if (stop - start > 1) {
            float sum[3] = {0, 0, 0};
            const float* firstNormal = vertices[corners[start].vertex].normal;
            std::copy(firstNormal, firstNormal + 3, sum);
            for (size_t m = start + 1; m < stop; ++m) {
                const float* normal = vertices[corners[m].vertex].normal;
                for (int c = 0; c < 3; ++c) sum[c] += normal[c];
            }
            const float reciprocal = 1.0f / static_cast<float>(stop - start);
            const float mean[3] = {sum[0] * reciprocal, sum[1] * reciprocal, sum[2] * reciprocal};
            for (size_t m = start; m < stop; ++m) std::copy(mean, mean + 3, vertices[corners[m].vertex].normal);
        }
        start = stop;
    }
}

}  // namespace

void SmoothTriangulatedNormals(SceneModel& scene) {
    std::vector<CornerKey> corners, scratch;
    const size_t objects = std::min(static_cast<size_t>(std::max(scene.objectCount, 0)), scene.firstVertex.size());
    for (size_t i = 0; i < objects; ++i) {
        if (scene.verticesPerElement[i] != 3 || !scene.objectVisible[i]) continue;
        if (scene.objectNames[i].find("Barras") != std::string::npos) continue;  // bars keep their flat faces
        SmoothObject(scene, scene.firstStored[i], int64_t{3} * scene.elementCounts[i], corners, scratch);
    }
}

}  // namespace talan
