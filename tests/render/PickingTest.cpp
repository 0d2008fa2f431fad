// The question a pick of one pixel asks of the scene: the drawn point, the ray, the
// pixel's width there and the slab, from the frame's matrices.
#include <gtest/gtest.h>

#include <cmath>

#include <glm/glm.hpp>

#include "render/CameraMath.h"
#include "render/Picking.h"

namespace talan {
namespace {

// Looking straight down from 10 units above (20, 30, 5) into a picture 100 x 50: the
// plane of the target is 2 x 10 tan(π/8) = 8.28 units high and twice that wide, north
// up. Pixel (x, y) shows the plane at its centre, (x + 0.5, y + 0.5) from the top left.
TEST(PixelQuery, RayPointAndPixelWidthComeFromThePixelsCentreAndTheSlabFromItsCentreAndThickness) {
    constexpr int32_t kWide = 100, kHigh = 50;
    ViewState view;
    view.cameraTarget = {20, 30, 5};
    view.cameraDistance = 10;
    view.cameraPitch = 90;
    view.farPlane = 1000;
    GraphicsState graphics;
    graphics.viewportWidth = kWide;
    graphics.viewportHeight = kHigh;
    graphics.worldMatrix = BuildWorldMatrix(view);
    graphics.viewMatrix = BuildViewMatrix(view, view.cameraPitch * kDegreesToRadians, 0.0f);
    graphics.projectionMatrix = BuildProjectionMatrix(kWide, kHigh, view.farPlane, NearPlane(10, 1000));
    const double planeHeight = 20 * std::tan(kFieldOfViewY / 2.0), pixel = planeHeight / kHigh;
    // The depth buffer's value on the target's plane.
    const glm::vec4 clip =
        graphics.projectionMatrix * graphics.viewMatrix * graphics.worldMatrix * glm::vec4(20, 5, 30, 1);
    const float depth = clip.z / clip.w;

    for (const glm::ivec2 at : {glm::ivec2(0, 0), glm::ivec2(99, 49), glm::ivec2(70, 12)}) {
        SCOPED_TRACE(::testing::Message() << "pixel " << at.x << "," << at.y);
        const PickQuery q = PixelQuery(graphics, view, at.x, at.y, depth);
        const double east = (at.x + 0.5 - kWide / 2.0) * pixel, north = (kHigh / 2.0 - at.y - 0.5) * pixel;
        EXPECT_NEAR(q.drawn[0], 20 + east, 1e-3);
        EXPECT_NEAR(q.drawn[1], 30 + north, 1e-3);
        EXPECT_NEAR(q.drawn[2], 5, 1e-3);
        EXPECT_NEAR(q.pixelSize, pixel, 1e-4);
        // The ray runs from the eye's side through the drawn point.
        EXPECT_GT(q.origin[2], 5.0);
        const double along = q.direction[2];
        EXPECT_NEAR(q.direction[0] / along, -east / 10, 1e-6);
        EXPECT_NEAR(q.direction[1] / along, -north / 10, 1e-6);
        // Four steps of the depth value either way, 10 units away: far below a pixel, yet some.
        EXPECT_GT(q.depthTolerance, 1e-6);
        EXPECT_LT(q.depthTolerance, pixel / 10);
        EXPECT_EQ(q.axis, -1);
    }
    view.section = {1, 31, 4};
    const PickQuery cut = PixelQuery(graphics, view, 50, 25, depth);
    EXPECT_EQ(cut.axis, 1);
    EXPECT_EQ(cut.keepLow, 29);
    EXPECT_EQ(cut.keepHigh, 33);
}

}  // namespace
}  // namespace talan
