#include "render/CameraMath.h"

#include <cmath>

#include <glm/ext/matrix_clip_space.hpp>
#include <glm/ext/matrix_transform.hpp>

namespace talan {

glm::vec3 CameraEye(const ViewState& view, float pitchRadians, float yawRadians) {
    const float d = view.cameraDistance;
    const auto& t = view.cameraTarget;
    const float cosPitch = std::cos(pitchRadians);
    return {t[0] - std::sin(yawRadians) * cosPitch * d, t[2] + std::sin(pitchRadians) * d,
            t[1] - std::cos(yawRadians) * cosPitch * d};
}

glm::mat4 BuildViewMatrix(const ViewState& view, float pitchRadians, float yawRadians) {
    const auto& t = view.cameraTarget;
    const glm::vec3 eye = CameraEye(view, pitchRadians, yawRadians);
    return glm::lookAtLH(eye, glm::vec3(t[0], t[2], t[1]), glm::vec3(0.0f, 1.0f, 0.0f));
}

glm::mat4 BuildProjectionMatrix(int32_t width, int32_t height, int32_t farPlane) {
    const float aspect = static_cast<float>(width) / static_cast<float>(height);
    return glm::perspectiveLH_ZO(kFieldOfViewY, aspect, kNearPlane, static_cast<float>(farPlane));
}

}  // namespace talan
