// The view and projection matrices of the orbiting camera: left-handed, y up, depth
// from 0 at the near plane to 1 at the far plane.
#pragma once

#include <cstdint>

#include <glm/mat4x4.hpp>
#include <glm/vec3.hpp>

#include "render/ViewState.h"

namespace talan {

inline constexpr float kDegreesToRadians = 0.017453292f;
inline constexpr float kFieldOfViewY = 0.7853982f;  // π/4
inline constexpr float kNearPlane = 0.1f;

// The eye of the camera in view-space axes (x, elevation, y), given the pitch and yaw
// in radians.
glm::vec3 CameraEye(const ViewState& view, float pitchRadians, float yawRadians);

// Look-at matrix from the eye towards cameraTarget, up the elevation axis.
glm::mat4 BuildViewMatrix(const ViewState& view, float pitchRadians, float yawRadians);

// Perspective projection for a viewport of width x height pixels and the far plane
// of the last fit.
glm::mat4 BuildProjectionMatrix(int32_t width, int32_t height, int32_t farPlane);

}  // namespace talan
