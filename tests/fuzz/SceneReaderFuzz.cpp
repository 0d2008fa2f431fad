// Fuzz target of the scene-file reader and, for text that begins as a GOCAD file does,
// of the GOCAD reader: any bytes must read without a crash, an out-of-bounds access,
// a hang or memory out of proportion to the input, and must leave a scene model whose
// lists agree with each other.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "render/NormalSmoothing.h"
#include "render/SceneLoad.h"
#include "scene/GocadReader.h"
#include "scene/SceneFileReader.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace talan;
    SceneModel scene;
    ViewState view;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    // Two loads, as Open (Add) twice, with smoothing: the second one appends to the first.
    for (int load = 0; load < 2; ++load) {
        SceneReadResult read;
        if (IsGocadText(text)) {
            SceneLoadObserver observer;
            std::vector<SkippedRow> skipped;
            read.problem = ReadGocadText(scene, text, "fuzz.ts", observer, skipped);
            read.read = read.problem == ReadProblem::None;
            for (const SkippedRow& row : skipped) Check(row.line >= 1);
        } else {
            read = ReadSceneText(scene, text, nullptr);
        }
        (void)CompleteSceneLoad(scene, view, read, true);
    }
    const size_t objects = scene.objectNames.size();
    Check(scene.elementCounts.size() == objects && scene.firstVertex.size() == objects && scene.objectKinds.size() == objects &&
          scene.verticesPerElement.size() == objects && scene.objectVisible.size() == objects &&
          scene.objectTransparent.size() == objects && scene.objectFormats.size() == objects &&
          scene.objectValues.size() == objects);
    Check(static_cast<size_t>(scene.objectCount) == objects);
    int64_t next = 0, stored = 0, blocks = 0;
    for (size_t k = 0; k < objects; ++k) {
        Check(scene.elementCounts[k] >= 0 && scene.firstVertex[k] == next);
        Check(scene.firstStored[k] == (IsBlockModel(scene, k) ? blocks : stored));
        next += int64_t{scene.elementCounts[k]} * scene.verticesPerElement[k];
        (IsBlockModel(scene, k) ? blocks : stored) +=
            IsBlockModel(scene, k) ? scene.elementCounts[k] : int64_t{scene.elementCounts[k]} * scene.verticesPerElement[k];
    }
    Check(next == scene.totalVertexCount || objects == 0);
    // Every value column has one value per value-carrying vertex group of its object.
    for (size_t k = 0; k < objects; ++k) {
        const ObjectValues& values = scene.objectValues[k];
        const int64_t vertices = int64_t{scene.elementCounts[k]} * scene.verticesPerElement[k];
        for (const ValueColumn& column : values.columns) {
            Check(static_cast<int64_t>(column.Size()) == (vertices - values.firstVertex) / values.verticesPerValue);
        }
    }
    Check(stored == scene.storedVertexCount && blocks == scene.storedBlockCount);
    Check(static_cast<size_t>(stored) <= scene.sceneVertices.capacity());
    Check(static_cast<size_t>(blocks) <= scene.blockRecords.capacity());
    // Touch every vertex so that a vertex left unwritten shows up under MSan/ASan.
    volatile float sink = 0;
    ForEachVertex(scene, [&](const SceneVertex& v) { sink = sink + v.colour[3]; });
    return 0;
}
