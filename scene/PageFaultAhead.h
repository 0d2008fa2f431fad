// Faulting in the pages of a large vertex range on a second core while the reader
// fills it. Fresh memory costs more to fault in (the kernel zeroes every page) than
// the reader spends parsing, so a million-block model reads about as fast as the
// second core can clear pages. The helper stays a bounded distance ahead of the
// writer, so that memory still follows what the file really holds.
#pragma once

#include <atomic>
#include <cstddef>
#include <thread>

namespace talan {

class PageFaultAhead {
public:
    // Starts the helper for [base, base + bytes) when the range is large enough to
    // gain from it and the system can fault pages in without writing to them.
    PageFaultAhead(void* base, size_t bytes);
    ~PageFaultAhead();
    PageFaultAhead(const PageFaultAhead&) = delete;
    PageFaultAhead& operator=(const PageFaultAhead&) = delete;

    // The writer has filled the range up to `offset` bytes.
    void WrittenUpTo(size_t offset) { written_.store(offset, std::memory_order_relaxed); }

    // Stops the helper; the range must not be released or moved before this.
    void Stop();

private:
    void Run();

    char* base_;
    size_t bytes_;
    std::atomic<size_t> written_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace talan
