#include "render/SceneLoad.h"

#include "render/CameraFit.h"
#include "render/NormalSmoothing.h"

namespace talan {

int32_t CompleteSceneLoad(SceneModel& scene, ViewState& view, const SceneReadResult& read, bool smoothOnOpen,
                          const std::function<int32_t()>& upload, bool* fitted) {
    if (fitted != nullptr) *fitted = false;
    if (!read.read) return read.Status();
    if (smoothOnOpen) SmoothTriangulatedNormals(scene);
    // New objects take the colouring the view has chosen before their colours are uploaded.
    view.legend = ApplyColourBy(scene, view.colourBy);
    const int32_t uploaded = upload ? upload() : UploadStatusWithoutBuffers(scene);
    if (uploaded < 0) return uploaded;
    FitCameraToScene(scene, view);
    if (fitted != nullptr) *fitted = true;
    return read.Status();
}

int32_t UploadStatusWithoutBuffers(const SceneModel& scene) {
    return scene.totalVertexCount > 0 ? kStatusOk : kStatusInvalidArg;
}

}  // namespace talan
