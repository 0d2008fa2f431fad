// The vertex record shared with the GPU vertex buffer, and the storage that holds
// every vertex of the scene.
#pragma once

#include <cstddef>
#include <cstdint>

namespace talan {

// 40 bytes, no padding: the stride of the vertex buffer and the layout the effect's
// inputs POSITION, NORMAL and COLOR are matched to.
struct SceneVertex {
    float position[3];  // (file x, file z, file y): the file's elevation is the up axis
    float normal[3];    // unit face normal (T3, BLKKDX), smoothed normal, or (0, 0, 0)
    float colour[4];    // red, green, blue, alpha, each 0..1; alpha is always 1
};
static_assert(sizeof(SceneVertex) == 40, "SceneVertex must stay 40 bytes");

// Uninitialised, growable storage of SceneVertex records.
class SceneVertexArray {
public:
    SceneVertexArray() = default;
    ~SceneVertexArray();
    SceneVertexArray(const SceneVertexArray&) = delete;
    SceneVertexArray& operator=(const SceneVertexArray&) = delete;
    SceneVertexArray(SceneVertexArray&& other) noexcept;
    SceneVertexArray& operator=(SceneVertexArray&& other) noexcept;

    // Ensures room for `count` records, keeping the first `keep` of them. Grows at
    // least by doubling, so that many small objects cost linear time. Returns false,
    // changing nothing, when the memory cannot be had.
    bool Reserve(size_t count, size_t keep);

    SceneVertex* data() { return data_; }
    const SceneVertex* data() const { return data_; }
    size_t capacity() const { return capacity_; }
    SceneVertex& operator[](size_t i) { return data()[i]; }
    const SceneVertex& operator[](size_t i) const { return data()[i]; }

private:
    SceneVertex* data_ = nullptr;
    size_t capacity_ = 0;
};

}  // namespace talan
