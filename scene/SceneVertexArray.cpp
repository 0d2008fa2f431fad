#include "scene/SceneVertexArray.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>

#include "scene/LargeAllocation.h"

namespace talan {

SceneVertexArray::~SceneVertexArray() { FreeLarge(data_); }

SceneVertexArray::SceneVertexArray(SceneVertexArray&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), capacity_(std::exchange(other.capacity_, 0)) {}

SceneVertexArray& SceneVertexArray::operator=(SceneVertexArray&& other) noexcept {
    if (this != &other) {
        FreeLarge(data_);
        data_ = std::exchange(other.data_, nullptr);
        capacity_ = std::exchange(other.capacity_, 0);
    }
    return *this;
}

bool SceneVertexArray::Reserve(size_t count, size_t keep) {
    if (count <= capacity_) return true;
    if (count > SIZE_MAX / sizeof(SceneVertex) / 2) return false;
    const size_t newCapacity = std::max(count, capacity_ * 2);
    auto* fresh = static_cast<SceneVertex*>(AllocateLarge(newCapacity * sizeof(SceneVertex)));
    if (fresh == nullptr) return false;
    keep = std::min(keep, capacity_);
    if (keep > 0) std::memcpy(fresh, data_, keep * sizeof(SceneVertex));
    FreeLarge(data_);
    data_ = fresh;
    capacity_ = newCapacity;
    return true;
}

}  // namespace talan
