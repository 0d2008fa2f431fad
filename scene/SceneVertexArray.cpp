#include "scene/SceneVertexArray.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

namespace talan {

SceneVertexArray::~SceneVertexArray() { FreeLarge(memory_); }

SceneVertexArray::SceneVertexArray(SceneVertexArray&& other) noexcept
    : memory_(std::exchange(other.memory_, {})), capacity_(std::exchange(other.capacity_, 0)) {}

SceneVertexArray& SceneVertexArray::operator=(SceneVertexArray&& other) noexcept {
    if (this != &other) {
        FreeLarge(memory_);
        memory_ = std::exchange(other.memory_, {});
        capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
}

bool SceneVertexArray::Reserve(size_t count, size_t keep) {
    if (count <= capacity_) return true;
    if (count > SIZE_MAX / sizeof(SceneVertex) / 2) return false;
    const size_t newCapacity = std::max(count, capacity_ * 2);
    LargeAllocation fresh = AllocateLarge(newCapacity * sizeof(SceneVertex));
    if (fresh.data == nullptr) return false;
    keep = std::min(keep, capacity_);
    if (keep > 0) std::memcpy(fresh.data, memory_.data, keep * sizeof(SceneVertex));
    FreeLarge(memory_);
    memory_ = fresh;
    capacity_ = newCapacity;
    return true;
}

}  // namespace talan
