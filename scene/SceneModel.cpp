#include "scene/SceneModel.h"

namespace talan {

const char* ObjectKindTag(ObjectKind kind) {
    switch (kind) {
        case ObjectKind::T3: return "T3";
        case ObjectKind::LIN: return "LIN";
        case ObjectKind::SUP: return "SUP";
        case ObjectKind::BLKKDX: return "BLKKDX";
        case ObjectKind::PTS: return "PTS";
        case ObjectKind::SONKDX: return "SONKDX";
    }
    return "?";
}

const char* SourceFormatName(SourceFormat format) {
    switch (format) {
        case SourceFormat::SceneFile: return "scene file";
        case SourceFormat::DrillHoleTables: return "drill-hole tables";
        case SourceFormat::GocadTSurf: return "GOCAD TSurf";
        case SourceFormat::GocadPLine: return "GOCAD PLine";
        case SourceFormat::GocadVSet: return "GOCAD VSet";
    }
    return "?";
}

bool KindHasTransparencyEntry(ObjectKind kind) {
    return kind == ObjectKind::T3 || kind == ObjectKind::BLKKDX;
}

int32_t VerticesOfObjects(const SceneModel& scene) {
    if (scene.firstVertex.empty()) return 0;
    return scene.firstVertex.back() + scene.verticesPerElement.back() * scene.elementCounts.back();
}

bool ReserveObjectStorage(SceneModel& scene, int32_t verticesPerElement, int64_t elements) {
    if (elements < 0) return false;
    if (verticesPerElement == kVerticesPerBlock) {
        const auto inUse = static_cast<size_t>(scene.storedBlockCount);
        return scene.blockRecords.Reserve(inUse + static_cast<size_t>(elements), inUse);
    }
    const auto inUse = static_cast<size_t>(scene.storedVertexCount);
    return scene.sceneVertices.Reserve(inUse + static_cast<size_t>(elements * verticesPerElement), inUse);
}

int32_t BeginObject(SceneModel& scene, ObjectKind kind, int32_t elementCount, int32_t verticesPerElement) {
    // Objects lie back to back, so the new one starts where the earlier ones end.
    const int32_t first = VerticesOfObjects(scene);
    scene.objectKinds.push_back(kind);
    scene.elementCounts.push_back(elementCount);
    scene.verticesPerElement.push_back(verticesPerElement);
    scene.totalVertexCount = first + verticesPerElement * elementCount;
    scene.firstVertex.push_back(first);
    if (verticesPerElement == kVerticesPerBlock) {
        scene.firstStored.push_back(scene.storedBlockCount);
        scene.storedBlockCount += elementCount;
    } else {
        scene.firstStored.push_back(scene.storedVertexCount);
        scene.storedVertexCount += int64_t{elementCount} * verticesPerElement;
    }
    scene.objectVisible.push_back(true);
    scene.objectTransparent.push_back(false);
    scene.objectFormats.push_back(SourceFormat::SceneFile);
    scene.objectValues.emplace_back();
    return first;
}

void EndObject(SceneModel& scene, int32_t elementsRead) {
    int32_t& count = scene.elementCounts.back();
    if (elementsRead >= count) return;
    const int64_t unread = count - elementsRead;
    if (scene.verticesPerElement.back() == kVerticesPerBlock) {
        scene.storedBlockCount -= unread;
    } else {
        scene.storedVertexCount -= unread * scene.verticesPerElement.back();
    }
    count = elementsRead;
    scene.totalVertexCount = VerticesOfObjects(scene);
}

SceneVertex VertexAt(const SceneModel& scene, int32_t index) {
    // The last object with elements that starts at or before the index holds it.
    size_t k = scene.firstVertex.size();
    while (k > 0 && (scene.firstVertex[k - 1] > index || scene.elementCounts[k - 1] == 0)) --k;
    SceneVertex v{};
    if (k == 0) return v;
    --k;
    const int64_t offset = int64_t{index} - scene.firstVertex[k];
    const size_t first = static_cast<size_t>(scene.firstStored[k]);
    if (!IsBlockModel(scene, k)) return scene.sceneVertices[first + static_cast<size_t>(offset)];
    SceneVertex box[kVerticesPerBlock];
    ExpandBlock(scene.blockRecords[first + static_cast<size_t>(offset / kVerticesPerBlock)], box);
    return box[offset % kVerticesPerBlock];
}

void ResetScene(SceneModel& scene) {
    scene.nextObjectMenuId = kFirstObjectMenuId;
    scene.nextTransparencyMenuId = kFirstTransparencyMenuId;
    scene.kindCount.fill(0);
    scene.elementCounts.clear();
    scene.firstVertex.clear();
    scene.firstStored.clear();
    scene.verticesPerElement.clear();
    scene.objectVisible.clear();
    scene.objectTransparent.clear();
    scene.objectNames.clear();
    scene.objectKinds.clear();
    scene.objectFormats.clear();
    scene.objectValues.clear();
    scene.boundsMin.fill(kBoundsResetValue);
    scene.boundsMax.fill(-kBoundsResetValue);
    // The storage and totalVertexCount stay: the next object starts at vertex 0 and
    // replaces them.
    scene.storedVertexCount = 0;
    scene.storedBlockCount = 0;
}

int32_t CountObjects(const SceneModel& scene) {
    int32_t sum = 0;
    for (int32_t count : scene.kindCount) sum += count;
    return sum;
}

}  // namespace talan
