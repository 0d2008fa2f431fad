// Benchmarks of drawing: RenderFrame in a headless 800 x 600 context (EGL
// surfaceless, on llvmpipe where no GPU is present), followed by glFinish so that
// the time covers the rasterisation as well as the calls that queue it.
//   - a topography of 1,002,528 triangles (grid 708), one draw;
//   - a block model of 100,000 blocks (3.6 million vertices), opaque (cast through
//     its lattice, and as boxes) and transparent (three sweeps, the far sides of
//     every box blended under the near ones);
//   - 10,000 small T3 objects of 2 triangles: the cost of one draw per object;
//   - the upload of the topography's vertex buffer (120 MB);
//   - the block model and the surface in the files named by TALAN_BENCH_BLOCKS_FILE
//     and TALAN_BENCH_SURFACE_FILE, when set (bench/run_big_models.sh sets them to
//     models of real size), opaque; the block model as boxes and transparent too.
// Times are wall-clock (the rasteriser runs on its own threads). Each scene is
// generated and read once per process; the counters give triangles per second.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>

#include "render/Graphics.h"
#include "render/HeadlessContext.h"
#include "render/SceneLoad.h"
#include "scene/SceneFileReader.h"
#include "tools/SampleScenes.h"

namespace {

using namespace talan;

constexpr int32_t kWidth = 800, kHeight = 600;
constexpr int kSurfaceGrid = 708;  // 2 * 708^2 = 1,002,528 triangles
constexpr int64_t kBlocks = 100000;
constexpr int kObjectsPerSide = 100;  // 10,000 objects

// One headless context and one set of graphics objects for the whole run.
struct Renderer {
    HeadlessContext headless;
    GraphicsState graphics;
    std::string error;
    bool ready = false;
    const SceneModel* uploaded = nullptr;  // whose vertices the buffer holds
};

Renderer& SharedRenderer() {
    static Renderer renderer = [] {
        Renderer r;
        Failure failure = CreateHeadlessContext(r.headless, kWidth, kHeight);
        if (!failure.Failed()) failure = InitGraphics(r.graphics, TALAN_EFFECT_FILE, kWidth, kHeight);
        r.ready = !failure.Failed();
        r.error = failure.message;
        return r;
    }();
    return renderer;
}

// 10,000 squares of 2 triangles, each its own T3 object, on a 100 x 100 grid.
std::string ManyObjectsText() {
    samples::SceneText text;
    for (int i = 0; i < kObjectsPerSide * kObjectsPerSide; ++i) {
        const double x = 1000 + 20.0 * (i % kObjectsPerSide), y = 2000 + 20.0 * (i / kObjectsPerSide);
        const double z = 300 + (i % 7);
        text.BeginTriangleSurface("Section " + std::to_string(i), 2, samples::Rgb(40 + i % 200, 120, 200 - i % 150));
        text.AddTriangle({x, y, z}, {x, y + 15, z}, {x + 15, y + 15, z});
        text.AddTriangle({x, y, z}, {x + 15, y + 15, z}, {x + 15, y, z});
        text.EndSection();
    }
    return text.TakeText(true);
}

// A scene read once, with the view its load fitted.
struct LoadedScene {
    SceneModel scene;
    ViewState view;
    int64_t triangles = 0;
    bool ok = false;
};

enum class SceneKind { Surface, Blocks, ManyObjects, BlocksFile, SurfaceFile };

LoadedScene& Scene(SceneKind kind) {
    static std::map<SceneKind, std::unique_ptr<LoadedScene>> scenes;
    std::unique_ptr<LoadedScene>& loaded = scenes[kind];
    if (loaded) return *loaded;
    loaded = std::make_unique<LoadedScene>();
    SceneReadResult read;
    if (kind == SceneKind::BlocksFile || kind == SceneKind::SurfaceFile) {
        const char* path = std::getenv(kind == SceneKind::BlocksFile ? "TALAN_BENCH_BLOCKS_FILE" : "TALAN_BENCH_SURFACE_FILE");
        if (path == nullptr) return *loaded;
        read = ReadSceneFile(loaded->scene, path, nullptr);
    } else {
        const std::string text = kind == SceneKind::Surface  ? samples::SurfaceSceneText(kSurfaceGrid)
                                 : kind == SceneKind::Blocks ? samples::BlockSceneText(kBlocks)
                                                             : ManyObjectsText();
        read = ReadSceneText(loaded->scene, text, nullptr);
    }
    loaded->ok = CompleteSceneLoad(loaded->scene, loaded->view, read, false) == kStatusOk;
    for (size_t i = 0; i < loaded->scene.elementCounts.size(); ++i) {
        const int32_t perElement = loaded->scene.verticesPerElement[i];
        loaded->triangles += int64_t{loaded->scene.elementCounts[i]} * (perElement == 36 ? 12 : perElement == 3 ? 1 : 0);
    }
    return *loaded;
}

// The renderer with `loaded` in its vertex buffer and the camera fitted to it; null
// (the benchmark skipped) when there is no context or the scene could not be had.
Renderer* Prepare(benchmark::State& state, LoadedScene& loaded) {
    Renderer& r = SharedRenderer();
    if (!r.ready) {
        state.SkipWithError(("no headless OpenGL: " + r.error).c_str());
        return nullptr;
    }
    if (!loaded.ok) {
        state.SkipWithError("the scene was not read completely (for the file benchmarks: is its variable set?)");
        return nullptr;
    }
    if (r.uploaded != &loaded.scene) {
        if (UploadSceneVertices(r.graphics, loaded.scene) != kStatusOk) {
            state.SkipWithError("the vertex buffer could not be made");
            return nullptr;
        }
        r.uploaded = &loaded.scene;
    }
    FitCameraMatrices(r.graphics, loaded.view, kWidth, kHeight);
    return &r;
}

void DrawFrames(benchmark::State& state, SceneKind kind, bool transparent) {
    LoadedScene& loaded = Scene(kind);
    Renderer* r = Prepare(state, loaded);
    if (r == nullptr) return;
    for (size_t i = 0; i < loaded.scene.objectTransparent.size(); ++i) loaded.scene.objectTransparent[i] = transparent;
    for (auto _ : state) {
        RenderFrame(r->graphics, loaded.view, loaded.scene);
        glFinish();
    }
    for (size_t i = 0; i < loaded.scene.objectTransparent.size(); ++i) loaded.scene.objectTransparent[i] = false;
    state.counters["triangles"] =
        benchmark::Counter(static_cast<double>(loaded.triangles), benchmark::Counter::kIsIterationInvariantRate);
}

void BM_FrameSurfaceOneMillionTriangles(benchmark::State& state) { DrawFrames(state, SceneKind::Surface, false); }
BENCHMARK(BM_FrameSurfaceOneMillionTriangles)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FrameBlockModel(benchmark::State& state) { DrawFrames(state, SceneKind::Blocks, false); }
BENCHMARK(BM_FrameBlockModel)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same block model, on its lattice, drawn as boxes instead of cast.
void BM_FrameBlockModelBoxes(benchmark::State& state) {
    SharedRenderer().graphics.blockDrawing = BlockDrawing::Boxes;
    DrawFrames(state, SceneKind::Blocks, false);
    SharedRenderer().graphics.blockDrawing = BlockDrawing::Auto;
}
BENCHMARK(BM_FrameBlockModelBoxes)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FrameBlockModelTransparent(benchmark::State& state) { DrawFrames(state, SceneKind::Blocks, true); }
BENCHMARK(BM_FrameBlockModelTransparent)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FrameTenThousandObjects(benchmark::State& state) { DrawFrames(state, SceneKind::ManyObjects, false); }
BENCHMARK(BM_FrameTenThousandObjects)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_FrameBlocksFile(benchmark::State& state) { DrawFrames(state, SceneKind::BlocksFile, false); }
BENCHMARK(BM_FrameBlocksFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_FrameBlocksFileBoxes(benchmark::State& state) {
    SharedRenderer().graphics.blockDrawing = BlockDrawing::Boxes;
    DrawFrames(state, SceneKind::BlocksFile, false);
    SharedRenderer().graphics.blockDrawing = BlockDrawing::Auto;
}
BENCHMARK(BM_FrameBlocksFileBoxes)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_FrameBlocksFileTransparent(benchmark::State& state) { DrawFrames(state, SceneKind::BlocksFile, true); }
BENCHMARK(BM_FrameBlocksFileTransparent)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_FrameSurfaceFile(benchmark::State& state) { DrawFrames(state, SceneKind::SurfaceFile, false); }
BENCHMARK(BM_FrameSurfaceFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

void BM_UploadSurfaceVertices(benchmark::State& state) {
    LoadedScene& loaded = Scene(SceneKind::Surface);
    Renderer* r = Prepare(state, loaded);
    if (r == nullptr) return;
    for (auto _ : state) {
        if (UploadSceneVertices(r->graphics, loaded.scene) != kStatusOk) {
            state.SkipWithError("the vertex buffer could not be made");
            break;
        }
        glFinish();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * loaded.scene.totalVertexCount *
                            static_cast<int64_t>(sizeof(SceneVertex)));
}
BENCHMARK(BM_UploadSurfaceVertices)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
