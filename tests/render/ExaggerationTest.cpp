// Vertical exaggeration: the picture is stretched, the numbers are not. A roof of two
// slopes drawn taller is lit as the steeper roof it looks like, picks on it still give
// points of the file's roof, and the fit frames the box as drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <vector>

#include <glm/glm.hpp>
#include <glm/ext/matrix_transform.hpp>

#include "GlSceneTest.h"
#include "render/CameraFit.h"
#include "render/CameraMath.h"
#include "render/Picking.h"

namespace talan {
namespace {

constexpr int32_t kWidth = 120, kHeight = 90;

// A white roof over -10..10 east and north: its ridge runs north at x = 0, 6 high, and
// each slope falls 0.6 for each unit east or west, to 0 at the eaves. The bounds make
// the fit frame the cube -10..10.
const char kRoof[] =
    "\"Tavrin\"  MAX\n10,-10\n10,-10\n10,-10\n"
    "\"Tavrin\"  T3      4,\n1,16777215,16777215,\nRoof,\n"
    "-10,-8,0,-10,8,0,0,8,6,\n-10,-8,0,0,8,6,0,-8,6,\n0,-8,6,0,8,6,10,8,0,\n0,-8,6,10,8,0,10,-8,0,\n";

double RoofElevation(double x) { return 6.0 - 0.6 * std::abs(x); }

class ExaggerationTest : public testing::GlSceneTest<kWidth, kHeight> {
protected:
    // Loads the roof with the factor set first, as --exaggeration does, so that the fit
    // takes the box as drawn.
    void LoadRoof(float factor) {
        view.exaggeration = factor;
        ASSERT_EQ(LoadText(kRoof), kStatusOk);
    }
    std::vector<uint8_t> Render() {
        RenderFrame(graphics, view, scene);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        return ReadHeadlessPixels(headless_);
    }
    // The pixel (column, row from the top) where a file point is drawn by the last frame.
    glm::ivec2 PixelOf(const FilePoint& p) const {
        const glm::vec4 clip = graphics.projectionMatrix * graphics.viewMatrix * graphics.worldMatrix *
                               glm::vec4(static_cast<float>(p[0]), static_cast<float>(p[2]), static_cast<float>(p[1]), 1);
        return glm::ivec2(glm::floor(glm::vec2((clip.x / clip.w * 0.5f + 0.5f) * kWidth,
                                               (0.5f - clip.y / clip.w * 0.5f) * kHeight)));
    }
    static int Red(const std::vector<uint8_t>& pixels, glm::ivec2 at) {
        return pixels[(static_cast<size_t>(at.y) * kWidth + static_cast<size_t>(at.x)) * 4];
    }
};

// A light low in the west: the west slope, drawn steeper, turns towards it and gets
// brighter, exactly as a roof that steep would be lit. Normals taken through the world
// matrix itself (instead of its inverse transpose) would flatten the slope and darken it.
TEST_F(ExaggerationTest, ASteeperDrawnSlopeIsLitAsTheSteeperSurface) {
    int shades[2] = {};
    const float factors[2] = {1.0f, 5.0f};
    for (int i = 0; i < 2; ++i) {
        const float f = factors[i];
        SCOPED_TRACE(::testing::Message() << "factor " << f);
        LoadRoof(f);
        view.cameraPitch = 90.0f;  // straight down: each slope fills half the picture
        view.lightElevation = 10.0f;
        view.lightAzimuth = 270.0f;
        const std::vector<uint8_t> pixels = Render();
        const double e = glm::radians(10.0), a = glm::radians(270.0);
        const glm::dvec3 key(std::sin(a) * std::cos(e), std::sin(e), std::cos(a) * std::cos(e));
        const glm::dvec3 fill(-key.x, -key.y, key.z);
        // The west slope as drawn rises 0.6 f a unit eastwards: normal (-0.6 f, 1, 0) in stored axes.
        const glm::dvec3 n = glm::normalize(glm::dvec3(-0.6 * f, 1.0, 0.0));
        const int expected = static_cast<int>(
            std::lround(255 * 0.8 * (0.3 + 0.7 * std::abs(glm::dot(n, key)) + 0.15 * std::abs(glm::dot(n, fill)))));
        shades[i] = Red(pixels, PixelOf({-5, 2, RoofElevation(-5)}));
        EXPECT_NEAR(shades[i], expected, 1);
    }
    EXPECT_GT(shades[1], shades[0] + 30);
}

// Picks on the roof drawn 5 times as tall give points on the file's roof, near the
// points whose pixels were picked; so a measurement between two picks comes out as
// between the file's points, whatever the factor. Seen from the side and above, so
// that an elevation left stretched would put the points far off the roof.
TEST_F(ExaggerationTest, PicksAndMeasurementsGiveFileCoordinates) {
    const FilePoint targets[] = {{-5, 2, RoofElevation(-5)}, {3, -4, RoofElevation(3)}, {-2, -6, RoofElevation(-2)}};
    for (const float f : {1.0f, 5.0f}) {
        SCOPED_TRACE(::testing::Message() << "factor " << f);
        LoadRoof(f);
        view.cameraYaw = 30.0f;
        view.cameraPitch = 50.0f;
        Render();
        FilePoint picked[3] = {};
        for (int i = 0; i < 3; ++i) {
            const FilePoint& t = targets[i];
            const PickResult pick = PickPixel(graphics, view, scene, PixelOf(t).x, PixelOf(t).y, headless_.target.framebuffer);
            ASSERT_TRUE(pick.hit && pick.element.object == 0) << i;
            picked[i] = pick.point;
            // On the roof to well within a pixel's depth, within a pixel or so of the point.
            EXPECT_NEAR(pick.point[2], RoofElevation(pick.point[0]), 0.02) << i;
            EXPECT_LT(std::hypot(pick.point[0] - t[0], pick.point[1] - t[1], pick.point[2] - t[2]), 0.8) << i;
        }
        const Measurement m = Measure(picked[0], picked[1]), exact = Measure(targets[0], targets[1]);
        EXPECT_NEAR(m.dz, exact.dz, 0.6);
        EXPECT_NEAR(m.slopeDistance, exact.slopeDistance, 1.2);
    }
}

// The box the fit frames is the one drawn: the bounds' elevation extent times the
// factor about their middle. A flat box 20 x 20 x 4 drawn 5 times as tall is a cube,
// and the fit frames it as it frames a cube: all its corners in the picture, with a
// margin. Fitted to the box as the file gives it, the drawn cube would overflow.
TEST(ExaggeratedFit, TheFitFramesTheBoxAsDrawn) {
    SceneModel scene;
    scene.boundsMin = {0, 0, 100};
    scene.boundsMax = {20, 20, 104};
    const auto inside = [&](const ViewState& view) {
        const glm::mat4 all = BuildProjectionMatrix(400, 300, view.farPlane, NearPlane(view.cameraDistance, view.farPlane)) *
                              BuildViewMatrix(view, view.cameraPitch * kDegreesToRadians, view.cameraYaw * kDegreesToRadians) *
                              BuildWorldMatrix(view);
        double most = 0;
        for (int corner = 0; corner < 8; ++corner) {
            const glm::vec4 clip = all * glm::vec4(corner & 1 ? 20 : 0, corner & 4 ? 104 : 100, corner & 2 ? 20 : 0, 1);
            most = std::max({most, std::abs(double{clip.x / clip.w}), std::abs(double{clip.y / clip.w})});
        }
        return most;
    };
    ViewState view;
    view.exaggeration = 5.0f;
    FitCameraToScene(scene, view);
    EXPECT_FLOAT_EQ(view.sceneSize, 20.0f);
    EXPECT_EQ(view.cameraTarget, (std::array<float, 3>{10, 10, 102}));  // the middle stays where it is
    EXPECT_LT(inside(view), 0.9);
    ViewState fittedFlat;
    FitCameraToScene(scene, fittedFlat);
    fittedFlat.exaggeration = 5.0f;
    EXPECT_GT(inside(fittedFlat), 1.0);
    // Factor 1 is the world matrix of old, to the bit.
    view.exaggeration = 1.0f;
    EXPECT_EQ(BuildWorldMatrix(view), glm::translate(glm::mat4(1.0f), glm::vec3(-10, -102, -10)));
}

}  // namespace
}  // namespace talan
