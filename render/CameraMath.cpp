#include "render/CameraMath.h"

#include <algorithm>
#include <cmath>

#include <glm/ext/matrix_clip_space.hpp>
#include <glm/ext/matrix_transform.hpp>

namespace talan {

namespace {

// Where the eye lies from the target, in view-space axes.
glm::vec3 EyeOffset(float distance, float pitchRadians, float yawRadians) {
    const float cosPitch = std::cos(pitchRadians);
    return {-std::sin(yawRadians) * cosPitch * distance, std::sin(pitchRadians) * distance,
            -std::cos(yawRadians) * cosPitch * distance};
}

glm::vec3 StoredTarget(const ViewState& view) {
    const auto& t = view.cameraTarget;
    return {t[0], t[2], t[1]};
}

}  // namespace

glm::vec3 CameraEye(const ViewState& view, float pitchRadians, float yawRadians) {
    return StoredTarget(view) + EyeOffset(view.cameraDistance, pitchRadians, yawRadians);
}

glm::vec3 CameraUp(float pitchRadians, float yawRadians) {
    // The derivative of the eye's direction by the pitch. Up (0, 1, 0) would do below
    // the vertical, but it lies along the line of sight at ±90 degrees (no picture at
    // all) and points the wrong way past it (the picture turned upside down).
    const float sinPitch = std::sin(pitchRadians);
    return {std::sin(yawRadians) * sinPitch, std::cos(pitchRadians), std::cos(yawRadians) * sinPitch};
}

glm::mat4 BuildWorldMatrix(const ViewState& view) {
    const glm::mat4 moved = glm::translate(glm::mat4(1.0f), -StoredTarget(view));
    // Factor 1 leaves the matrix as it always was, to the bit.
    if (view.exaggeration == 1.0f) return moved;
    return glm::scale(glm::mat4(1.0f), glm::vec3(1.0f, view.exaggeration, 1.0f)) * moved;
}

glm::mat4 BuildViewMatrix(const ViewState& view, float pitchRadians, float yawRadians) {
    return glm::lookAtLH(EyeOffset(view.cameraDistance, pitchRadians, yawRadians), glm::vec3(0.0f),
                         CameraUp(pitchRadians, yawRadians));
}

float NearPlane(float cameraDistance, int32_t farPlane) {
    // NaN or a negative distance keep the fixed plane.
    const float reach = std::min(cameraDistance, static_cast<float>(farPlane));
    return std::max(kNearPlane, reach * kNearPlanePerDistance);
}

glm::mat4 BuildProjectionMatrix(int32_t width, int32_t height, int32_t farPlane, float nearPlane) {
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    return glm::perspectiveLH_ZO(kFieldOfViewY, aspect, nearPlane, static_cast<float>(farPlane));
}

}  // namespace talan
