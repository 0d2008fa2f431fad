#include "scene/ElementParts.h"

#include <bit>
#include <cstring>
#include <thread>

namespace talan {

size_t CountLineFeeds(const char* begin, const char* end) {
    size_t count = 0;
    const char* p = begin;
    // Eight bytes at a time: a byte of x is zero exactly where the text has a LF, and
    // the sum below sets the top bit of each zero byte only, without carries between
    // bytes.
    constexpr uint64_t kLineFeeds = 0x0A0A0A0A0A0A0A0Aull, kLow7 = 0x7F7F7F7F7F7F7F7Full;
    for (; end - p >= 8; p += 8) {
        uint64_t word;
        std::memcpy(&word, p, sizeof word);
        const uint64_t x = word ^ kLineFeeds;
        const uint64_t zeroBytes = ~(((x & kLow7) + kLow7) | x | kLow7);
        count += static_cast<size_t>(std::popcount(zeroBytes));
    }
    for (; p != end; ++p) count += *p == '\n' ? 1 : 0;
    return count;
}

void RunOnWorkers(int workers, const std::function<void(int)>& work) {
    std::vector<std::thread> threads;
    for (int w = 1; w < workers; ++w) {
        try {
            threads.emplace_back(work, w);
        } catch (...) {
            break;  // the workers already started share the work
        }
    }
    work(0);
    for (std::thread& thread : threads) thread.join();
}

int ElementWorkers(int requested) {
    if (requested > 0) return requested;
    const unsigned cores = std::thread::hardware_concurrency();
    return static_cast<int>(std::clamp(cores, 1u, 8u));
}

std::vector<ElementPart> PlanElementParts(const SceneStream& stream, const char* from, int64_t elements, int parts,
                                          int workers) {
    const char* const end = stream.end;
    // The bytes of the next `elements` lines, estimated from the first of them.
    const char* p = from;
    int64_t sampled = 0;
    for (; sampled < std::min<int64_t>(elements, 256) && p != end; ++sampled) {
        const void* lf = std::memchr(p, '\n', static_cast<size_t>(end - p));
        p = lf != nullptr ? static_cast<const char*>(lf) + 1 : end;
    }
    const double perLine = static_cast<double>(p - from) / static_cast<double>(std::max<int64_t>(sampled, 1));
    const auto region = static_cast<size_t>(
        std::min(static_cast<double>(end - from), perLine * static_cast<double>(elements) * 1.02 + 64.0));

    // Part starts: one every region / parts bytes, moved on to the next line start.
    std::vector<ElementPart> plan(1);
    plan[0].start = from;
    for (int j = 1; j < parts; ++j) {
        const char* cut = from + region * static_cast<size_t>(j) / static_cast<size_t>(parts);
        if (cut <= plan.back().start) continue;
        const void* lf = std::memchr(cut - 1, '\n', static_cast<size_t>(end - (cut - 1)));
        if (lf == nullptr) break;
        const char* start = static_cast<const char*>(lf) + 1;
        if (start == end) break;
        if (start > plan.back().start) plan.emplace_back().start = start;
    }

    // Each part's first element is the number of lines before it.
    std::vector<size_t> lineFeeds(plan.size(), 0);
    std::atomic<size_t> next{1};
    RunOnWorkers(std::min<int>(workers, static_cast<int>(plan.size())), [&](int) {
        for (size_t j; (j = next.fetch_add(1)) < plan.size();) {
            lineFeeds[j] = CountLineFeeds(plan[j - 1].start, plan[j].start);
        }
    });
    size_t kept = 1;
    for (; kept < plan.size(); ++kept) {
        plan[kept].first = plan[kept - 1].first + static_cast<int64_t>(lineFeeds[kept]);
        if (plan[kept].first >= elements) break;
    }
    plan.resize(kept);
    for (size_t j = 0; j + 1 < plan.size(); ++j) plan[j].planned = plan[j + 1].first - plan[j].first;
    plan.back().planned = elements - plan.back().first;
    return plan;
}

}  // namespace talan
