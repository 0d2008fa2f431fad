// Benchmark of the GOCAD reader: a TSurf of 1,002,528 triangles over 502,681 vertices
// (grid 708, each vertex with one property), generated once in memory by the same
// generator as make_sample_scenes, then read into a fresh SceneModel each iteration.
// The target is one read within a second. The counters report triangles per second;
// bytes per second are the GOCAD text read.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "scene/GocadReader.h"
#include "scene/SceneModel.h"
#include "tools/SampleScenes.h"

namespace {

constexpr int kGrid = 708;  // 2 * 708^2 = 1,002,528 triangles

const std::string& SurfaceText() {
    static const std::string text = talan::samples::GocadSurfaceText(kGrid);
    return text;
}

void BM_ReadGocadSurface(benchmark::State& state) {
    const std::string& text = SurfaceText();
    const int64_t triangles = talan::samples::SurfaceSceneTriangles(kGrid);
    for (auto _ : state) {
        talan::SceneModel scene;
        talan::SceneLoadObserver observer;
        std::vector<talan::SkippedRow> skipped;
        const talan::ReadProblem problem = talan::ReadGocadText(scene, text, "surface.ts", observer, skipped);
        if (problem != talan::ReadProblem::None || scene.totalVertexCount != 3 * triangles || !skipped.empty()) {
            state.SkipWithError("the generated surface was not read completely");
            break;
        }
        benchmark::DoNotOptimize(scene.sceneVertices.data());
        benchmark::ClobberMemory();
    }
    state.counters["triangles"] =
        benchmark::Counter(static_cast<double>(triangles), benchmark::Counter::kIsIterationInvariantRate);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_ReadGocadSurface)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
