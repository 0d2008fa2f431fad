// Memory for the big arrays of a load: the file's bytes and the vertex array.
#pragma once

#include <cstddef>

namespace talan {

// Uninitialised memory, or null when it cannot be had. Requests beyond the machine's
// physical memory count as such: the kernel would grant them and then kill the
// process once the pages are touched. Release with FreeLarge.
void* AllocateLarge(size_t bytes);
void FreeLarge(void* data);

}  // namespace talan
