#include "scene/PageFaultAhead.h"

#include <algorithm>
#include <chrono>

#if defined(__linux__)
#include <sys/mman.h>
#endif

namespace talan {

namespace {

constexpr size_t kChunkBytes = size_t{16} << 20;       // faulted in at a time
constexpr size_t kLookaheadBytes = size_t{256} << 20;  // at most this far ahead of the writer
constexpr size_t kMinimumBytes = size_t{64} << 20;     // smaller ranges are not worth a thread

}  // namespace

PageFaultAhead::PageFaultAhead(void* base, size_t bytes) : base_(static_cast<char*>(base)), bytes_(bytes) {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    if (bytes_ < kMinimumBytes || std::thread::hardware_concurrency() < 2) return;
    // MADV_POPULATE_WRITE faults pages in without changing their contents, so it never
    // races with the writer; kernels without it answer EINVAL and the helper is not used.
    if (madvise(base_, 1, MADV_POPULATE_WRITE) != 0) return;
    try {
        thread_ = std::thread([this] { Run(); });
    } catch (...) {
        // Without a thread the writer faults its pages in itself.
    }
#endif
}

PageFaultAhead::~PageFaultAhead() { Stop(); }

void PageFaultAhead::Stop() {
    stop_.store(true, std::memory_order_relaxed);
    if (thread_.joinable()) thread_.join();
}

void PageFaultAhead::Run() {
#if defined(__linux__) && defined(MADV_POPULATE_WRITE)
    size_t position = 0;
    while (position < bytes_ && !stop_.load(std::memory_order_relaxed)) {
        const size_t written = written_.load(std::memory_order_relaxed);
        // What the writer has passed, it faulted in itself.
        if (position < written) position = written - written % kChunkBytes;
        if (position >= written + kLookaheadBytes) {
            std::this_thread::sleep_for(std::chrono::microseconds(200));
            continue;
        }
        const size_t length = std::min(kChunkBytes, bytes_ - position);
        madvise(base_ + position, length, MADV_POPULATE_WRITE);
        position += length;
    }
#endif
}

}  // namespace talan
