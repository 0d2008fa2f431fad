// The element loop of a section, on every core. A section's elements follow one a
// line, so a large section is cut at line starts into parts that are read at the
// same time, each element written straight into its place. A part's first element is
// known by counting the lines before it. Fields run over line breaks, though (a
// missing comma shifts every later line), so a part is kept only when the part before
// it ended exactly where it began; from the first part that fails that test the rest
// is read again, from where the last good part really ended. The result is byte for
// byte that of reading the elements one after the other.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

#include "scene/SceneStream.h"

namespace talan {

// The bounds of the points a run of elements gave, merged into the scene's bounds
// afterwards. Merging runs in order compares as widening the scene's bounds point by
// point does, so the result is the same to the bit (which of -0 and +0 is kept, too).
struct ElementBounds {
    float min[3] = {std::numeric_limits<float>::infinity(), std::numeric_limits<float>::infinity(),
                    std::numeric_limits<float>::infinity()};
    float max[3] = {-std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity(),
                    -std::numeric_limits<float>::infinity()};

    void Grow(float x, float y, float z) {
        const float p[3] = {x, y, z};
        for (int i = 0; i < 3; ++i) {
            if (p[i] > max[i]) max[i] = p[i];
            if (p[i] < min[i]) min[i] = p[i];
        }
    }
    template <typename Triple>
    void MergeInto(Triple& sceneMin, Triple& sceneMax) const {
        for (int i = 0; i < 3; ++i) {
            if (max[i] > sceneMax[i]) sceneMax[i] = max[i];
            if (min[i] < sceneMin[i]) sceneMin[i] = min[i];
        }
    }
    void MergeInto(ElementBounds& into) const { MergeInto(into.min, into.max); }
};

// Sections with fewer elements are read on one core: starting threads would cost
// more than it saves.
inline constexpr int64_t kParallelMinimumElements = 16384;

// How many line feeds lie in [begin, end).
size_t CountLineFeeds(const char* begin, const char* end);

// Runs work(worker) for worker 0 .. workers − 1, worker 0 on the calling thread.
// Falls back to fewer threads when no more can be started.
void RunOnWorkers(int workers, const std::function<void(int)>& work);

// How many workers a load uses when told 0: one per core, at most eight.
int ElementWorkers(int requested);

// One part of a section: where it starts, which element comes first and how many
// follow, and, once read, where it ended.
struct ElementPart {
    const char* start = nullptr;
    int64_t first = 0;      // element index, from the start of the section
    int64_t planned = 0;
    const char* end = nullptr;
    int64_t read = 0;
    bool eof = false;
    ElementBounds bounds;
};

// Cuts the text from `from` into about `parts` parts at line starts, holding the next
// `elements` lines, and numbers each part's first element by the lines before it.
std::vector<ElementPart> PlanElementParts(const SceneStream& stream, const char* from, int64_t elements, int parts,
                                          int workers);

// Reads elements [0, limit) from the stream with up to `requestedWorkers` threads (0:
// ElementWorkers), stopping early at the end of the file:
// element(stream, i, bounds) reads element i at the stream and writes it to place i.
// `progress(done)` is called now and then, on this thread, with the number of
// elements read so far (never less than before). Returns the number of elements
// read; the stream stands after the last one, as reading them one by one leaves it.
template <typename Element, typename Progress>
int64_t ReadElements(SceneStream& stream, int64_t limit, int requestedWorkers, const Element& element,
                     ElementBounds& bounds, Progress&& progress) {
    constexpr int64_t kProgressEvery = 4096;
    int64_t done = 0;
    const int workers = limit >= kParallelMinimumElements ? ElementWorkers(requestedWorkers) : 1;
    while (workers > 1 && limit - done >= kParallelMinimumElements && !stream.AtEnd()) {
        std::vector<ElementPart> parts = PlanElementParts(stream, stream.cursor, limit - done, workers * 8, workers);
        std::atomic<size_t> nextPart{0};
        std::atomic<int64_t> elementsRead{0};
        RunOnWorkers(workers, [&](int worker) {
            for (size_t p; (p = nextPart.fetch_add(1)) < parts.size();) {
                ElementPart& part = parts[p];
                SceneStream s{part.start, stream.end, false};
                int64_t i = 0;
                for (; i < part.planned && !s.AtEnd(); ++i) {
                    element(s, done + part.first + i, part.bounds);
                    if ((i + 1) % kProgressEvery == 0) {
                        const int64_t all = elementsRead.fetch_add(kProgressEvery) + kProgressEvery;
                        if (worker == 0) progress(std::min(done + all, limit - 1));
                    }
                }
                part.end = s.cursor;
                part.read = i;
                part.eof = s.eof;
            }
        });
        // Keep the parts that join up, in order: each must begin exactly where the one
        // before it, read whole, ended.
        size_t joined = 1;
        while (joined < parts.size() && parts[joined - 1].read == parts[joined - 1].planned &&
               parts[joined - 1].end == parts[joined].start) {
            ++joined;
        }
        for (size_t p = 0; p < joined; ++p) parts[p].bounds.MergeInto(bounds);
        const ElementPart& last = parts[joined - 1];
        done += last.first + last.read;
        stream.cursor = last.end;
        stream.eof = last.eof;
        progress(done);
        // Done when every part joined or the file ended inside the last good one; a
        // file whose parts keep failing to join is read on one element after another.
        if (joined == parts.size() || last.read < last.planned) return done;
        if (joined * 2 < parts.size()) break;
    }
    for (; done < limit && !stream.AtEnd(); ++done) {
        element(stream, done, bounds);
        if ((done + 1) % kProgressEvery == 0) progress(done + 1);
    }
    progress(done);
    return done;
}

}  // namespace talan
