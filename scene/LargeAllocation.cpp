#include "scene/LargeAllocation.h"

#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace talan {

namespace {

// Blocks from this size on are mapped; smaller ones come from the heap.
constexpr size_t kMapThresholdBytes = size_t{8} << 20;

bool ExceedsPhysicalMemory(size_t bytes) {
#if defined(__linux__)
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    if (pages > 0 && pageSize > 0) return bytes / static_cast<size_t>(pageSize) >= static_cast<size_t>(pages);
#endif
    (void)bytes;
    return false;
}

}  // namespace

LargeAllocation AllocateLarge(size_t bytes) {
    LargeAllocation allocation;
    if (ExceedsPhysicalMemory(bytes)) return allocation;
#if defined(__linux__)
    if (bytes >= kMapThresholdBytes) {
        void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
        if (p == MAP_FAILED) return allocation;
#ifdef MADV_HUGEPAGE
        madvise(p, bytes, MADV_HUGEPAGE);
#endif
        return {p, bytes, true};
    }
#endif
    // At least one byte, so that an empty block still has an address.
    allocation.data = std::malloc(bytes > 0 ? bytes : 1);
    if (allocation.data != nullptr) allocation.bytes = bytes;
    return allocation;
}

void FreeLarge(LargeAllocation& allocation) {
    if (allocation.data == nullptr) return;
#if defined(__linux__)
    if (allocation.mapped) {
        munmap(allocation.data, allocation.bytes);
        allocation = {};
        return;
    }
#endif
    std::free(allocation.data);
    allocation = {};
}

}  // namespace talan
