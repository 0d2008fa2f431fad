// The records a scene keeps for drawing: the vertex of surfaces, lines and points,
// the block of a block model, and the uninitialised growable storage that holds each.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <utility>

#include "scene/LargeAllocation.h"

namespace talan {

// 40 bytes, no padding: the stride of the vertex buffer and the layout the effect's
// inputs POSITION, NORMAL and COLOR are matched to.
struct SceneVertex {
    float position[3];  // (file x, file z, file y): the file's elevation is the up axis
    float normal[3];    // unit face normal (T3, block boxes), smoothed normal, or (0, 0, 0)
    float colour[4];    // red, green, blue, alpha, each 0..1; alpha is always 1
};
static_assert(sizeof(SceneVertex) == 40, "SceneVertex must stay 40 bytes");

// One block of a block model: the faces of its box and its colour, 28 bytes instead
// of the box's 36 vertices. The box is drawn by instancing one 36-vertex box over
// these records (the effect's block programs), and ExpandBlock gives its vertices
// wherever they are read out. Layout shared with the block inputs BLOCK_LOW,
// BLOCK_HIGH and BLOCK_COLOR.
struct BlockRecord {
    float low[3];       // x−, y−, z− in file axes: the centre minus the half size
    float high[3];      // x+, y+, z+: the centre plus the half size
    uint8_t colour[4];  // red, green and blue bytes of the colour integer; the fourth is 0
};
static_assert(sizeof(BlockRecord) == 28, "BlockRecord must stay 28 bytes");

// Uninitialised, growable storage of trivially copyable records.
template <typename Record>
class LargeArray {
public:
    LargeArray() = default;
    ~LargeArray() { FreeLarge(data_); }
    LargeArray(const LargeArray&) = delete;
    LargeArray& operator=(const LargeArray&) = delete;
    LargeArray(LargeArray&& other) noexcept
        : data_(std::exchange(other.data_, nullptr)), capacity_(std::exchange(other.capacity_, 0)) {}
    LargeArray& operator=(LargeArray&& other) noexcept {
        if (this != &other) {
            FreeLarge(data_);
            data_ = std::exchange(other.data_, nullptr);
            capacity_ = std::exchange(other.capacity_, 0);
        }
        return *this;
    }

    // Ensures room for `count` records, keeping the first `keep` of them. Grows at
    // least by doubling, so that many small objects cost linear time. Returns false,
    // changing nothing, when the memory cannot be had.
    bool Reserve(size_t count, size_t keep) {
        if (count <= capacity_) return true;
        if (count > SIZE_MAX / sizeof(Record) / 2) return false;
        const size_t newCapacity = count > capacity_ * 2 ? count : capacity_ * 2;
        auto* fresh = static_cast<Record*>(AllocateLarge(newCapacity * sizeof(Record)));
        if (fresh == nullptr) return false;
        if (keep > capacity_) keep = capacity_;
        if (keep > 0) std::memcpy(static_cast<void*>(fresh), data_, keep * sizeof(Record));
        FreeLarge(data_);
        data_ = fresh;
        capacity_ = newCapacity;
        return true;
    }

    Record* data() { return data_; }
    const Record* data() const { return data_; }
    size_t capacity() const { return capacity_; }
    Record& operator[](size_t i) { return data_[i]; }
    const Record& operator[](size_t i) const { return data_[i]; }

private:
    Record* data_ = nullptr;
    size_t capacity_ = 0;
};

using SceneVertexArray = LargeArray<SceneVertex>;
using BlockRecordArray = LargeArray<BlockRecord>;

// The float of one colour byte: byte × the float nearest 1/255.
inline constexpr float kByteToUnit = 0.003921569f;

// The red, green and blue bytes of a 0x00BBGGRR colour integer. The shifts are signed
// divisions truncating toward zero, so a negative integer gives the bytes the format
// always gave.
struct ColourBytes {
    int r, g, b;
};
inline ColourBytes SplitColour(int32_t c) { return {c & 0xFF, (c / 256) & 0xFF, (c / 65536) & 0xFF}; }

// Vertices per block box: 6 faces of 2 triangles.
inline constexpr int32_t kVerticesPerBlock = 36;

// The 36 vertices of a block's box, face by face (y−, top, x+, y+, x−, bottom), each
// face as the triangles a-b-c and a-c-d with the face's outward normal in stored
// axes. For positive sizes, corners that face the viewer run clockwise on screen.
void ExpandBlock(const BlockRecord& block, SceneVertex out[kVerticesPerBlock]);

}  // namespace talan
