#include "scene/LargeAllocation.h"

#include <cstdlib>

#if defined(__linux__)
#include <unistd.h>
#endif

namespace talan {

namespace {

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

void* AllocateLarge(size_t bytes) {
    if (ExceedsPhysicalMemory(bytes)) return nullptr;
    // At least one byte, so that an empty block still has an address.
    return std::malloc(bytes > 0 ? bytes : 1);
}

void FreeLarge(void* data) { std::free(data); }

}  // namespace talan
