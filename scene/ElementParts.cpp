#include "scene/ElementParts.h"

#include <cstring>
#include <thread>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace talan {

size_t CountLineFeeds(const char* begin, const char* end) {
    size_t count = 0;
    const char* p = begin;
#if defined(__SSE2__)
    // Sixteen bytes at a time: each LF adds 1 to its byte lane, for at most 255
    // blocks before the lanes are summed.
    const __m128i lineFeed = _mm_set1_epi8('\n');
    while (end - p >= 16) {
        __m128i lanes = _mm_setzero_si128();
        for (int block = 0; block < 255 && end - p >= 16; ++block, p += 16) {
            const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
            lanes = _mm_sub_epi8(lanes, _mm_cmpeq_epi8(bytes, lineFeed));
        }
        const __m128i sums = _mm_sad_epu8(lanes, _mm_setzero_si128());
        count += static_cast<size_t>(_mm_cvtsi128_si32(sums)) + static_cast<size_t>(_mm_extract_epi16(sums, 4));
    }
#endif
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
