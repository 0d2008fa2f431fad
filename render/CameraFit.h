// Placing the camera after a scene file has been read.
#pragma once

#include "render/ViewState.h"
#include "scene/SceneModel.h"

namespace talan {

// Sets sceneSize, cameraDistance, cameraPitch, cameraTarget and farPlane from the
// scene bounds. cameraYaw is kept, so adding a file does not turn the view.
void FitCameraToScene(const SceneModel& scene, ViewState& view);

}  // namespace talan
