#include "render/CameraFit.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "render/CameraMath.h"
#include "scene/NumberParsing.h"

namespace talan {

namespace {

constexpr float kFallbackSceneSize = 1.0f;
constexpr double kFarPlanePerUnit = 25.0;
constexpr float kMinAspect = 0.5f, kMaxAspect = 2.0f, kFallbackAspect = 4.0f / 3.0f;

bool HasExtent(const std::array<float, 3>& lo, const std::array<float, 3>& hi) {
    return (hi[2] - lo[2]) + (hi[1] - lo[1]) + (hi[0] - lo[0]) != 0.0f;
}

void FitToBounds(const std::array<float, 3>& lo, const std::array<float, 3>& hi, ViewState& view) {
    const float extentX = hi[0] - lo[0];
    const float extentY = hi[1] - lo[1];
    // The box as drawn: elevations exaggerated about its middle, which stays the target.
    const float extentZ = (hi[2] - lo[2]) * view.exaggeration;
    view.sceneSize = (extentZ + extentY + extentX) * 0.33333334f;
    view.cameraDistance = 2.0f * view.sceneSize;
    view.cameraPitch = 45.0f;
    for (int i = 0; i < 3; ++i) view.cameraTarget[i] = (lo[i] + hi[i]) * 0.5f;
    // The far plane covers the plan extent plus the distance; the elevation extent
    // does not enter. Huge or infinite bounds saturate instead of overflowing.
    const float reach = extentY + extentX + view.cameraDistance;
    view.farPlane = TruncateToInt32Saturated(kFarPlanePerUnit * std::trunc(static_cast<double>(reach)));
    view.cameraFitted = true;
}

bool Finite(const std::array<float, 3>& v) {
    return std::all_of(v.begin(), v.end(), [](float c) { return std::isfinite(c); });
}

}  // namespace

GeometryBounds DrawnGeometryBounds(const SceneModel& scene) {
    const float inf = std::numeric_limits<float>::infinity();
    GeometryBounds bounds{{inf, inf, inf}, {-inf, -inf, -inf}, true};
    ForEachVertex(scene, [&bounds](const SceneVertex& v) {
        const float file[3] = {v.position[0], v.position[2], v.position[1]};  // stored as (x, elevation, y)
        for (int a = 0; a < 3; ++a) {  // NaN coordinates are passed over
            bounds.min[a] = std::fmin(bounds.min[a], file[a]);
            bounds.max[a] = std::fmax(bounds.max[a], file[a]);
        }
        bounds.empty = false;
    });
    return bounds;
}

float FittedBoxAspect(const SceneModel& scene, const ViewState& view) {
    std::array<float, 3> lo = scene.boundsMin, hi = scene.boundsMax;
    if (!HasExtent(lo, hi)) {
        const GeometryBounds drawn = DrawnGeometryBounds(scene);
        if (drawn.empty) return kFallbackAspect;
        lo = drawn.min;
        hi = drawn.max;
    }
    if (!Finite(lo) || !Finite(hi) || !HasExtent(lo, hi)) return kFallbackAspect;
    const glm::mat4 viewMatrix =
        BuildViewMatrix(view, view.cameraPitch * kDegreesToRadians, view.cameraYaw * kDegreesToRadians) *
        BuildWorldMatrix(view);
    const float inf = std::numeric_limits<float>::infinity();
    float left = inf, right = -inf, bottom = inf, top = -inf;
    for (int corner = 0; corner < 8; ++corner) {
        const float x = corner & 1 ? hi[0] : lo[0], y = corner & 2 ? hi[1] : lo[1], z = corner & 4 ? hi[2] : lo[2];
        const glm::vec4 eye = viewMatrix * glm::vec4(x, z, y, 1.0f);  // stored axes: x, elevation, y
        if (!(eye.z > NearPlane(view.cameraDistance, view.farPlane))) return kFallbackAspect;
        left = std::min(left, eye.x / eye.z);
        right = std::max(right, eye.x / eye.z);
        bottom = std::min(bottom, eye.y / eye.z);
        top = std::max(top, eye.y / eye.z);
    }
    const float aspect = (right - left) / (top - bottom);
    return std::isnan(aspect) ? kFallbackAspect : std::clamp(aspect, kMinAspect, kMaxAspect);
}

void FitCameraToScene(const SceneModel& scene, ViewState& view) {
    FitToBounds(scene.boundsMin, scene.boundsMax, view);
    if (view.sceneSize != 0.0f) return;
    const GeometryBounds drawn = DrawnGeometryBounds(scene);
    if (!drawn.empty && Finite(drawn.min) && Finite(drawn.max)) {
        FitToBounds(drawn.min, drawn.max, view);
        if (view.sceneSize != 0.0f) return;
    }
    // Nothing has an extent: a unit-sized view of the point looked at.
    view.sceneSize = kFallbackSceneSize;
    view.cameraDistance = 2.0f * kFallbackSceneSize;
    view.farPlane = TruncateToInt32Saturated(kFarPlanePerUnit * view.cameraDistance);  // no plan extent
}

}  // namespace talan
