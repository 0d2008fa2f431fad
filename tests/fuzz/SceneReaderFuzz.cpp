// Fuzz target of the scene-file reader, of the GOCAD reader for text that begins as a
// GOCAD file does, and of the drill-hole tables for text whose first line holds a
// separator (placed by a fixed collar table, or as the collars of fixed survey and
// interval tables): any bytes must read without a crash, an out-of-bounds access,
// a hang or memory out of proportion to the input, and must leave a scene model whose
// lists agree with each other.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "render/NormalSmoothing.h"
#include "render/SceneLoad.h"
#include "scene/DataFiles.h"
#include "scene/DrillHoles.h"
#include "scene/GocadReader.h"
#include "scene/SceneFileReader.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

// Tables that the fuzzed table joins: collars for its holes, and surveys and intervals
// for holes of a fuzzed collar table.
constexpr std::string_view kCollars = "HOLEID,X,Y,Z\nA,0,0,0\nB,10,0,0\nDH1,0,10,5\n";
constexpr std::string_view kSurveys = "HOLEID,DEPTH,AZIMUTH,DIP\nA,0,0,-60\nA,50,90,-10\nDH1,0,0,-90\n";
constexpr std::string_view kIntervals = "HOLEID,FROM,TO,AU,LITH\nA,0,5,1,ox\nB,1,2,,fr\nDH1,0,3,2,ox\n";

// Reads the fuzzed text as a table with the fixed tables that complete its set.
talan::SceneReadResult ReadAsTable(talan::SceneModel& scene, std::string_view text) {
    using namespace talan;
    SceneReadResult read;
    std::vector<SkippedRow> skipped;
    std::vector<DrillTable> tables(1);
    read.problem = ReadDrillTable(text, "fuzz.csv", tables[0], skipped);
    if (read.problem != ReadProblem::None) return read;
    for (std::string_view fixed : {kCollars, kSurveys, kIntervals}) {
        DrillTable table;
        Check(ReadDrillTable(fixed, "fixed.csv", table, skipped) == ReadProblem::None);
        if ((table.kind == DrillTableKind::Collar) != (tables[0].kind == DrillTableKind::Collar)) {
            tables.push_back(std::move(table));
        }
    }
    SceneLoadObserver observer;
    AddDrillHoles(scene, tables, observer, skipped);
    for (const SkippedRow& row : skipped) Check(row.line >= 1);
    read.read = true;
    return read;
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
        } else if (SniffDataFormat("fuzz", text) == DataFormat::Table) {
            read = ReadAsTable(scene, text);
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
