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
inline constexpr float kNearPlane = 0.1f;           // the nearest the near plane comes
// The near plane lies at this share of the camera distance when that is farther than
// kNearPlane: a depth buffer resolves 1 - near / depth only while near / depth stays
// well above its step near 1 (2^-24), so a fixed near plane loses everything drawn
// a few million units away.
inline constexpr float kNearPlanePerDistance = 0.001f;

// The eye of the camera in view-space axes (x, elevation, y), given the pitch and yaw
// in radians.
glm::vec3 CameraEye(const ViewState& view, float pitchRadians, float yawRadians);

// The camera's up direction in view-space axes: how the eye moves as the pitch grows,
// square to the line of sight at every pitch. Up the elevation axis seen level; towards
// the yaw's heading seen straight down (north up at yaw 0), and past the vertical the
// picture goes on turning the same way instead of flipping.
glm::vec3 CameraUp(float pitchRadians, float yawRadians);

// The world matrix: stored positions moved by -cameraTarget, so that what is drawn
// near the target is near the origin before anything large multiplies it. Map
// coordinates run to millions of units while a float keeps 24 bits: taken through a
// view matrix whole, they would lose more than the detail a close view shows.
// With a vertical exaggeration f the elevation relative to the target is then
// multiplied by f: the scene drawn as zc + f (z - zc) about any middle elevation zc,
// seen from a camera looking at the target's drawn place, shows exactly this.
glm::mat4 BuildWorldMatrix(const ViewState& view);

// Look-at matrix from the eye towards cameraTarget, with CameraUp as up, for
// positions given relative to the target (as BuildWorldMatrix leaves them): the view
// matrix of the whole scene is BuildViewMatrix × BuildWorldMatrix.
glm::mat4 BuildViewMatrix(const ViewState& view, float pitchRadians, float yawRadians);

// The near plane for a camera at `cameraDistance` from its target, with the far plane
// of the last fit; never beyond a thousandth of the far plane, so that zooming out
// past it leaves the near plane in front of the far one.
float NearPlane(float cameraDistance, int32_t farPlane);

// Perspective projection for a viewport of width x height pixels, the far plane of
// the last fit and the near plane of the camera's distance.
glm::mat4 BuildProjectionMatrix(int32_t width, int32_t height, int32_t farPlane, float nearPlane);

}  // namespace talan
