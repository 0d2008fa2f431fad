#include "render/CameraFit.h"

#include <cmath>

#include "scene/NumberParsing.h"

namespace talan {

void FitCameraToScene(const SceneModel& scene, ViewState& view) {
    const auto& lo = scene.boundsMin;
    const auto& hi = scene.boundsMax;
    const float extentX = hi[0] - lo[0];
    const float extentY = hi[1] - lo[1];
    const float extentZ = hi[2] - lo[2];
    view.sceneSize = (extentZ + extentY + extentX) * 0.33333334f;
    view.cameraDistance = 2.0f * view.sceneSize;
    view.cameraPitch = 45.0f;
    for (int i = 0; i < 3; ++i) view.cameraTarget[i] = (lo[i] + hi[i]) * 0.5f;
    // The far plane covers the plan extent plus the distance; the elevation extent
    // does not enter. Huge or infinite bounds saturate instead of overflowing.
    const float reach = extentY + extentX + view.cameraDistance;
    view.farPlane = TruncateToInt32Saturated(25.0 * std::trunc(static_cast<double>(reach)));
    view.cameraFitted = true;
}

}  // namespace talan
