// The orbiting camera's matrices: every pitch gives a picture, one that turns
// smoothly as the pitch grows, and depth that tells near from far at any scale.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include <glm/glm.hpp>

#include "render/CameraMath.h"

namespace talan {
namespace {

// A point in file axes (x, y, elevation) seen through `view` at its own angles, in
// view space: x right, y up on the picture, z away from the eye.
glm::vec3 Seen(const ViewState& view, glm::vec3 file) {
    const glm::mat4 m =
        BuildViewMatrix(view, view.cameraPitch * kDegreesToRadians, view.cameraYaw * kDegreesToRadians) *
        BuildWorldMatrix(view);
    return glm::vec3(m * glm::vec4(file.x, file.z, file.y, 1.0f));
}

// Straight down the picture has north up and east right at yaw 0, and the yaw's
// heading up at any other yaw, as just short of the vertical; straight up, the view
// goes on from just short of it: east right, south up. Past the vertical the camera
// carries on over the top: north stays up at 91 and the picture is upside down at 180.
TEST(CameraMath, StraightDownAndUpAndBeyondShowTheSceneTheWayTheOrbitCameFrom) {
    ViewState view;
    view.cameraTarget = {500, 800, 40};
    view.cameraDistance = 10;
    const glm::vec3 target(500, 800, 40), east(1, 0, 0), north(0, 1, 0), up(0, 0, 1);
    struct Case {
        float yaw, pitch;
        glm::vec3 right, top;  // file directions that the picture shows right and up
    };
    const glm::vec3 northEast = glm::normalize(glm::vec3(1, 1, 0)), southEast = glm::normalize(glm::vec3(1, -1, 0));
    for (const Case& c : {Case{0, 90, east, north}, Case{0, 89.9f, east, north}, Case{0, 91, east, north},
                          Case{45, 90, southEast, northEast}, Case{90, 90, -north, east},
                          Case{0, -90, east, -north}, Case{0, -89.9f, east, -north}, Case{0, -91, east, -north},
                          Case{0, 180, east, -up}, Case{0, 0, east, up}}) {
        SCOPED_TRACE(::testing::Message() << "yaw " << c.yaw << ", pitch " << c.pitch);
        view.cameraYaw = c.yaw;
        view.cameraPitch = c.pitch;
        const glm::vec3 centre = Seen(view, target);
        EXPECT_NEAR(glm::length(centre - glm::vec3(0, 0, 10)), 0.0f, 1e-3f);
        const glm::vec3 right = Seen(view, target + c.right) - centre, top = Seen(view, target + c.top) - centre;
        EXPECT_NEAR(right.x, 1.0f, 1e-3f);
        EXPECT_NEAR(top.y, 1.0f, 1e-3f);
    }
}

// Every element of the view matrix changes by little for a small turn, all round the
// orbit and through both verticals: no flip, no jump, nothing undefined.
TEST(CameraMath, TheViewTurnsSmoothlyThroughEveryPitch) {
    ViewState view;
    view.cameraTarget = {3, -2, 1};
    view.cameraDistance = 1;
    for (float yaw : {0.0f, 37.0f, -120.0f}) {
        glm::mat4 previous(std::numeric_limits<float>::quiet_NaN());
        for (int step = -1080; step <= 1080; ++step) {  // pitch -270 to 270 in quarter degrees
            const float pitch = 0.25f * static_cast<float>(step);
            const glm::mat4 m = BuildViewMatrix(view, pitch * kDegreesToRadians, yaw * kDegreesToRadians);
            float change = 0;
            for (int c = 0; c < 4; ++c) {
                for (int r = 0; r < 4; ++r) {
                    ASSERT_TRUE(std::isfinite(m[c][r])) << "yaw " << yaw << ", pitch " << pitch;
                    change = std::max(change, std::abs(m[c][r] - previous[c][r]));
                }
            }
            // A quarter degree turns each axis by 0.0044; the translation follows the target's offset.
            if (step > -1080) {
                EXPECT_LT(change, 0.03f) << "yaw " << yaw << ", pitch " << pitch;
            }
            previous = m;
        }
    }
}

// The depth of what the camera looks at, and of what lies a hundredth of the distance
// behind it, are distinct and below the far end of a 24-bit depth buffer whatever the
// scale: from a box of a few units to one the size of the earth in metres (the far
// plane then saturates). A scene of 20 units keeps the near plane of 0.1.
TEST(CameraMath, DepthSeparatesWhatTheCameraLooksAtAtEveryScale) {
    constexpr double kDepthStep = 1.0 / (1 << 24);
    for (float sceneSize : {1.0f, 20.0f, 3e3f, 2e5f, 2e7f, 1e9f}) {
        SCOPED_TRACE(sceneSize);
        ViewState view;
        view.cameraTarget = {1.5f * sceneSize, -2.0f * sceneSize, 0.1f * sceneSize};
        view.cameraDistance = 2 * sceneSize;
        view.cameraPitch = 60;
        const double reach = 25.0 * std::trunc(5.0 * sceneSize);
        view.farPlane = reach > 2147483647.0 ? 2147483647 : static_cast<int32_t>(reach);
        const float near = NearPlane(view.cameraDistance, view.farPlane);
        if (sceneSize <= 20.0f) {
            EXPECT_EQ(near, kNearPlane);
        }
        const glm::mat4 m = BuildProjectionMatrix(1000, 600, view.farPlane, near) *
                            BuildViewMatrix(view, view.cameraPitch * kDegreesToRadians, 0.0f) * BuildWorldMatrix(view);
        const auto depth = [&](float beyond) {
            const glm::vec3 eye = CameraEye(view, view.cameraPitch * kDegreesToRadians, 0.0f);
            const glm::vec3 target(view.cameraTarget[0], view.cameraTarget[2], view.cameraTarget[1]);
            const glm::vec3 at = target + (target - eye) * beyond;
            const glm::vec4 clip = m * glm::vec4(at, 1.0f);
            return static_cast<double>(clip.z / clip.w);
        };
        const double atTarget = depth(0.0f), behind = depth(0.01f);
        EXPECT_GT(atTarget, 0.0);
        EXPECT_LT(behind, 1.0 - 100 * kDepthStep);
        EXPECT_GT(behind - atTarget, 10 * kDepthStep);
    }
    // Zoomed out past the far plane, the near plane stays well in front of it.
    EXPECT_LT(NearPlane(1e9f, 1000), 1000.0f / 100);
    EXPECT_EQ(NearPlane(std::numeric_limits<float>::quiet_NaN(), 1000), kNearPlane);
}

}  // namespace
}  // namespace talan
