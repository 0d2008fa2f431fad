#include "scene/SceneVertexArray.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace talan {

namespace {

// Arrays from this size on are mapped directly (and given huge pages where the
// kernel has them); smaller ones come from the heap.
constexpr size_t kMapThresholdBytes = size_t{32} << 20;

// More than the machine's physical memory cannot be had: the kernel would grant
// the mapping and then kill the process when the pages are touched.
bool ExceedsPhysicalMemory(size_t bytes) {
#if defined(__linux__)
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) {
        return bytes / static_cast<size_t>(pageSize) >= static_cast<size_t>(pages);
    }
#endif
    (void)bytes;
    return false;
}

}  // namespace

SceneVertexArray::~SceneVertexArray() { Release(); }

SceneVertexArray::SceneVertexArray(SceneVertexArray&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      capacity_(std::exchange(other.capacity_, 0)),
      mapped_(std::exchange(other.mapped_, false)) {}

SceneVertexArray& SceneVertexArray::operator=(SceneVertexArray&& other) noexcept {
    if (this != &other) {
        Release();
        data_ = std::exchange(other.data_, nullptr);
        capacity_ = std::exchange(other.capacity_, 0);
        mapped_ = std::exchange(other.mapped_, false);
    }
    return *this;
}

void SceneVertexArray::Release() {
    if (data_ == nullptr) return;
#if defined(__linux__)
    if (mapped_) {
        munmap(data_, capacity_ * sizeof(SceneVertex));
    } else {
        std::free(data_);
    }
#else
    std::free(data_);
#endif
    data_ = nullptr;
    capacity_ = 0;
    mapped_ = false;
}

bool SceneVertexArray::Reserve(size_t count, size_t keep) {
    if (count <= capacity_) return true;
    if (count > SIZE_MAX / sizeof(SceneVertex) / 2) return false;
    const size_t newCapacity = std::max(count, capacity_ * 2);
    const size_t bytes = newCapacity * sizeof(SceneVertex);
    if (ExceedsPhysicalMemory(bytes)) return false;

    SceneVertex* fresh = nullptr;
    bool freshMapped = false;
#if defined(__linux__)
    if (bytes >= kMapThresholdBytes) {
        void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) return false;
#ifdef MADV_HUGEPAGE
        madvise(p, bytes, MADV_HUGEPAGE);
#endif
        fresh = static_cast<SceneVertex*>(p);
        freshMapped = true;
    }
#endif
    if (fresh == nullptr) {
        fresh = static_cast<SceneVertex*>(std::malloc(bytes));
        if (fresh == nullptr) return false;
    }
    keep = std::min(keep, capacity_);
    if (keep > 0) std::memcpy(fresh, data_, keep * sizeof(SceneVertex));
    Release();
    data_ = fresh;
    capacity_ = newCapacity;
    mapped_ = freshMapped;
    return true;
}

}  // namespace talan
