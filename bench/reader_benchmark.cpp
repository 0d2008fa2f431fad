// Benchmarks of the scene-file reader, the normal smoothing and the colouring by value.
//
// The scene text is generated in memory (the same generator as make_sample_scenes),
// so that the runs measure reading and not the disk:
//   - a topography of 100,352 triangles, each with its own colour (grid 224);
//   - a block model of 100,000 blocks;
//   - a topography of 301,088 triangles (grid 388) for the smoothing, set against
//     std::sort of three random floats per triangle: the smoothing sorts the corners
//     of an object by one coordinate, so a sort of that many floats is its natural
//     unit of cost. The target is smoothing within 3x of that sort;
//   - 20M vertices of drill-hole segments coloured by a number (well under a second).
//
// Every reading iteration reads into a fresh SceneModel. The counters report
// triangles or blocks per second; bytes per second are the scene text read.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "render/NormalSmoothing.h"
#include "scene/SceneFileReader.h"
#include "scene/SceneModel.h"
#include "scene/ValueColours.h"
#include "tools/SampleScenes.h"

namespace {

constexpr int kSurfaceGrid = 224;    // 2 * 224^2 = 100,352 triangles
constexpr int64_t kBlocks = 100000;
constexpr int kSmoothingGrid = 388;  // 2 * 388^2 = 301,088 triangles

const std::string& SurfaceText() {
    static const std::string text = talan::samples::SurfaceSceneText(kSurfaceGrid);
    return text;
}

const std::string& BlockText() {
    static const std::string text = talan::samples::BlockSceneText(kBlocks);
    return text;
}

void ReadText(benchmark::State& state, const std::string& text, const char* counter, int64_t elements,
              int32_t verticesPerElement) {
    for (auto _ : state) {
        talan::SceneModel scene;
        const int32_t status = talan::ReadSceneText(scene, text, nullptr).Status();
        if (status != talan::kStatusOk || scene.totalVertexCount != elements * verticesPerElement) {
            state.SkipWithError("the generated scene was not read completely");
            break;
        }
        benchmark::DoNotOptimize(scene.sceneVertices.data());
        benchmark::ClobberMemory();
    }
    state.counters[counter] = benchmark::Counter(static_cast<double>(elements), benchmark::Counter::kIsIterationInvariantRate);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void BM_ReadTriangulatedSurface(benchmark::State& state) {
    ReadText(state, SurfaceText(), "triangles", talan::samples::SurfaceSceneTriangles(kSurfaceGrid), 3);
}
BENCHMARK(BM_ReadTriangulatedSurface)->Unit(benchmark::kMillisecond);

void BM_ReadBlockModel(benchmark::State& state) { ReadText(state, BlockText(), "blocks", kBlocks, 36); }
BENCHMARK(BM_ReadBlockModel)->Unit(benchmark::kMillisecond);

void BM_SmoothTriangulatedNormals(benchmark::State& state) {
    const int64_t triangles = talan::samples::SurfaceSceneTriangles(kSmoothingGrid);
    talan::SceneModel scene;
    {
        const std::string text = talan::samples::SurfaceSceneText(kSmoothingGrid);
        if (talan::ReadSceneText(scene, text, nullptr).Status() != talan::kStatusOk || scene.totalVertexCount != 3 * triangles) {
            state.SkipWithError("the generated scene was not read completely");
            return;
        }
    }
    // The smoothing only rewrites normals: its sort and its grouping see the same
    // positions every time, so running it again on its own output costs the same.
    for (auto _ : state) {
        talan::SmoothTriangulatedNormals(scene);
        benchmark::ClobberMemory();
    }
    state.counters["triangles"] = benchmark::Counter(static_cast<double>(triangles), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_SmoothTriangulatedNormals)->Unit(benchmark::kMillisecond);

// The yardstick for the smoothing: std::sort of three random floats per triangle.
void BM_SortThreeFloatsPerTriangle(benchmark::State& state) {
    const int64_t triangles = talan::samples::SurfaceSceneTriangles(kSmoothingGrid);
    std::vector<float> original(static_cast<size_t>(3 * triangles));
    uint64_t seed = 0x5EED5011u;
    for (float& value : original) {
        // xorshift64*: fixed and cheap, so every run sorts the same numbers.
        seed ^= seed >> 12;
        seed ^= seed << 25;
        seed ^= seed >> 27;
        value = static_cast<float>((seed * 0x2545F4914F6CDD1Dull) >> 40) * 0x1.0p-24f * 2000.0f + 1000.0f;
    }
    std::vector<float> keys(original.size());
    for (auto _ : state) {
        state.PauseTiming();
        std::copy(original.begin(), original.end(), keys.begin());
        state.ResumeTiming();
        std::sort(keys.begin(), keys.end());
        benchmark::DoNotOptimize(keys.data());
        benchmark::ClobberMemory();
    }
    state.counters["triangles"] = benchmark::Counter(static_cast<double>(triangles), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_SortThreeFloatsPerTriangle)->Unit(benchmark::kMillisecond);

// Colouring by value: 20M vertices, drill-hole segments of one number each (NaN in
// one of 50) over 1000 holes, coloured through viridis over the range of all of them.
void BM_ColourByValue(benchmark::State& state) {
    constexpr int32_t kHoles = 1000, kSegments = 10000;
    talan::SceneModel scene;
    if (!talan::ReserveObjectStorage(scene, 2, int64_t{kHoles} * kSegments)) {
        state.SkipWithError("no memory for 20M vertices");
        return;
    }
    for (int32_t hole = 0; hole < kHoles; ++hole) {
        talan::BeginObject(scene, talan::ObjectKind::SONKDX, kSegments, 2);
        talan::ObjectValues& values = scene.objectValues.back();
        values.verticesPerValue = 2;
        talan::ValueColumn column;
        column.name = "Au";
        column.numbers.resize(kSegments);
        for (int32_t s = 0; s < kSegments; ++s) {
            column.numbers[static_cast<size_t>(s)] = s % 50 == 7 ? NAN : static_cast<float>((s * 37 + hole) % 1000);
        }
        values.columns.push_back(std::move(column));
    }
    const talan::ColourBy by{"Au", talan::ColourMap::Viridis, false, 0, 0};
    for (auto _ : state) {
        const talan::Legend legend = talan::ApplyColourBy(scene, by);
        benchmark::DoNotOptimize(legend.high);
        benchmark::ClobberMemory();
    }
    state.counters["vertices"] = benchmark::Counter(2.0 * kHoles * kSegments, benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_ColourByValue)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
