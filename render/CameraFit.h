// Placing the camera after a scene file has been read.
#pragma once

#include <array>

#include "render/ViewState.h"
#include "scene/SceneModel.h"

namespace talan {

// Sets sceneSize, cameraDistance, cameraPitch, cameraTarget and farPlane from the
// scene bounds, their elevation extent multiplied by the view's exaggeration (the box
// as drawn). cameraYaw is kept, so adding a file does not turn the view.
//
// Bounds without extent (one point, one block, every object at one place) would give
// sceneSize 0: nothing would be drawn and no zoom step could change that. Only then,
// the same fit is made over the bounds of the drawn geometry, and if those have no
// extent either, the camera looks at their centre from distance 2 with sceneSize 1
// and far plane 50. Scene bounds that are NaN or infinite keep the fit they give.
void FitCameraToScene(const SceneModel& scene, ViewState& view);

// The width-to-height ratio of a picture in which the box the camera was fitted to
// (the scene bounds, or the drawn geometry where those have no extent) spans as much
// of the width as of the height, seen from the camera of `view` as a frame draws it.
// Held between 1/2 and 2; 4/3 when the box has no extent, is not finite or reaches
// behind the eye.
float FittedBoxAspect(const SceneModel& scene, const ViewState& view);

// The box around everything that is drawn: every vertex of every object with
// elements (block corners included), in file axes (x, y, elevation). NaN coordinates
// are left out; an empty box has min +infinity and max -infinity.
struct GeometryBounds {
    std::array<float, 3> min{}, max{};
    bool empty = true;  // no vertex at all
};
GeometryBounds DrawnGeometryBounds(const SceneModel& scene);

}  // namespace talan
