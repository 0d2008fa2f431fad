// Memory for the big arrays of a load: the file's bytes and the vertex array.
#pragma once

#include <cstddef>

namespace talan {

// A block of uninitialised memory. Large blocks are mapped directly and asked for
// huge pages: fresh memory faulted in 4 KiB pages costs more here than reading the
// scene file itself (a million-block model is 1.44 GB of vertices).
struct LargeAllocation {
    void* data = nullptr;
    size_t bytes = 0;
    bool mapped = false;  // from mmap rather than the heap
};

// Returns an allocation with data null when the memory cannot be had, including
// requests beyond the machine's physical memory, which the kernel would grant and
// then answer by killing the process once the pages are touched.
LargeAllocation AllocateLarge(size_t bytes);
void FreeLarge(LargeAllocation& allocation);

}  // namespace talan
