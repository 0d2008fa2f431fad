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

bool KindHasTransparencyEntry(ObjectKind kind) {
    return kind == ObjectKind::T3 || kind == ObjectKind::BLKKDX;
}

int32_t VerticesOfObjects(const SceneModel& scene) {
    if (scene.firstVertex.empty()) return 0;
    return scene.firstVertex.back() + scene.verticesPerElement.back() * scene.elementCounts.back();
}

bool ReserveObjectVertices(SceneModel& scene, int64_t vertexCount) {
    if (vertexCount < 0) return false;
    const size_t inUse = static_cast<size_t>(VerticesOfObjects(scene));
    return scene.sceneVertices.Reserve(inUse + static_cast<size_t>(vertexCount), inUse);
}

int32_t BeginObject(SceneModel& scene, ObjectKind /*kind: the caller raised its counter*/,
                    int32_t elementCount, int32_t verticesPerElement) {
    // Objects lie back to back, so the new one starts where the earlier ones end.
    const int32_t first = VerticesOfObjects(scene);
    scene.elementCounts.push_back(elementCount);
    scene.verticesPerElement.push_back(verticesPerElement);
    scene.totalVertexCount = first + verticesPerElement * elementCount;
    scene.firstVertex.push_back(first);
    scene.objectVisible.push_back(true);
    scene.objectTransparent.push_back(false);
    return first;
}

void EndObject(SceneModel& scene, int32_t elementsRead) {
    int32_t& count = scene.elementCounts.back();
    if (elementsRead >= count) return;
    count = elementsRead;
    scene.totalVertexCount = VerticesOfObjects(scene);
}

void ResetScene(SceneModel& scene) {
    scene.nextObjectMenuId = kFirstObjectMenuId;
    scene.nextTransparencyMenuId = kFirstTransparencyMenuId;
    scene.kindCount.fill(0);
    scene.elementCounts.clear();
    scene.firstVertex.clear();
    scene.verticesPerElement.clear();
    scene.objectVisible.clear();
    scene.objectTransparent.clear();
    scene.objectNames.clear();
    scene.boundsMin.fill(kBoundsResetValue);
    scene.boundsMax.fill(-kBoundsResetValue);
    // sceneVertices and totalVertexCount stay: the next object starts at vertex 0
    // and replaces them.
}

int32_t CountObjects(const SceneModel& scene) {
    int32_t sum = 0;
    for (int32_t count : scene.kindCount) sum += count;
    return sum;
}

}  // namespace talan
