// Benchmarks of the drill-hole tables: 10,000 curved holes sharing 1,000,000 assay
// intervals, generated in memory once (the same generator as make_sample_scenes
// --scene drill-tables), so that the runs measure reading and not the disk:
//   - reading the collar, survey and assay tables;
//   - building the hole objects from the tables read (desurvey and vertices);
//   - both, as a load does. The target is 2 s for both.
// Every iteration builds into a fresh SceneModel.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "scene/DrillHoles.h"
#include "scene/SceneModel.h"
#include "tools/SampleScenes.h"

namespace {

constexpr int kHoles = 10000;
constexpr int64_t kIntervals = 1000000;

const talan::samples::DrillTableTexts& Texts() {
    static const talan::samples::DrillTableTexts texts = talan::samples::BuildDrillTables(kHoles, kIntervals);
    return texts;
}

bool ReadTables(std::vector<talan::DrillTable>& tables, std::vector<talan::SkippedRow>& skipped) {
    const auto& texts = Texts();
    tables.assign(3, {});
    return talan::ReadDrillTable(texts.collars, "collars.csv", tables[0], skipped) == talan::ReadProblem::None &&
           talan::ReadDrillTable(texts.surveys, "surveys.csv", tables[1], skipped) == talan::ReadProblem::None &&
           talan::ReadDrillTable(texts.assays, "assays.csv", tables[2], skipped) == talan::ReadProblem::None &&
           skipped.empty() && tables[2].rowHole.size() == static_cast<size_t>(kIntervals);
}

int64_t TextBytes() {
    const auto& texts = Texts();
    return static_cast<int64_t>(texts.collars.size() + texts.surveys.size() + texts.assays.size());
}

void BM_ReadDrillTables(benchmark::State& state) {
    (void)Texts();  // generated before the clock runs
    for (auto _ : state) {
        std::vector<talan::DrillTable> tables;
        std::vector<talan::SkippedRow> skipped;
        if (!ReadTables(tables, skipped)) {
            state.SkipWithError("the generated tables were not read completely");
            break;
        }
        benchmark::DoNotOptimize(tables.data());
    }
    state.counters["intervals"] =
        benchmark::Counter(static_cast<double>(kIntervals), benchmark::Counter::kIsIterationInvariantRate);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * TextBytes());
}
BENCHMARK(BM_ReadDrillTables)->Unit(benchmark::kMillisecond);

void BM_AddDrillHoles(benchmark::State& state) {
    std::vector<talan::DrillTable> tables;
    std::vector<talan::SkippedRow> skipped;
    if (!ReadTables(tables, skipped)) {
        state.SkipWithError("the generated tables were not read completely");
        return;
    }
    for (auto _ : state) {
        talan::SceneModel scene;
        talan::SceneLoadObserver observer;
        talan::AddDrillHoles(scene, tables, observer, skipped);
        if (scene.objectNames.size() != static_cast<size_t>(kHoles) || !skipped.empty()) {
            state.SkipWithError("the generated holes were not built completely");
            break;
        }
        benchmark::DoNotOptimize(scene.sceneVertices.data());
        benchmark::ClobberMemory();
    }
    state.counters["holes"] =
        benchmark::Counter(static_cast<double>(kHoles), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_AddDrillHoles)->Unit(benchmark::kMillisecond);

void BM_ReadAndBuildDrillHoles(benchmark::State& state) {
    (void)Texts();
    for (auto _ : state) {
        std::vector<talan::DrillTable> tables;
        std::vector<talan::SkippedRow> skipped;
        talan::SceneModel scene;
        talan::SceneLoadObserver observer;
        if (!ReadTables(tables, skipped)) {
            state.SkipWithError("the generated tables were not read completely");
            break;
        }
        talan::AddDrillHoles(scene, tables, observer, skipped);
        benchmark::DoNotOptimize(scene.sceneVertices.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * TextBytes());
}
BENCHMARK(BM_ReadAndBuildDrillHoles)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
