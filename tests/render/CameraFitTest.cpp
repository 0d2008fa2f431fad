// The camera placed over the scene bounds after a load.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <tuple>

#include "TestHelpers.h"
#include "render/CameraFit.h"
#include "render/SceneLoad.h"
#include "scene/SceneFileReader.h"

namespace talan {
namespace {

// Every fit looks at the box's centre from twice the scene size, the mean of the three
// extents, 45 degrees up, and keeps the yaw: a new scene does not turn the view. The
// far plane is 25 x trunc(x extent + y extent + distance): the elevation extent does
// not enter it. Bounds without extent fit the drawn geometry, or else a unit view.
TEST(CameraFit, ASceneIsFramedByItsDeclaredBoundsOrItsGeometryOrAUnitView) {
    const std::string header = "\"Tavrin\"\n", bounds = "\"Tavrin\"  MAX\n";  // bounds: largest,smallest for x, y, z
    const auto point = [](const std::string& at) { return testing::TagLine("PTS", 1) + "0,\np,\nskip\n" + at + "\n"; };
    const std::string block = testing::TagLine("BLKKDX", 1) + "10,10,5,\nx\nx\n20,30,40,255,\n";
    using Case = std::tuple<std::string, std::array<float, 3>, float, int32_t>;  // text, target, scene size, far plane
    for (const auto& [text, target, sceneSize, farPlane] : std::initializer_list<Case>{
        // Extents 30, 60, 90: 25 x trunc(30 + 60 + 2 x 60).
        {bounds + "30,0\n70,10\n190,100\n" + point("15,40,145"), {15, 40, 145}, 60, 25 * 210},
        {bounds + "5,5\n5,5\n30,0\n" + point("5,5,15"), {5, 5, 15}, 10, 25 * 20},  // flat in plan
        {std::string(testing::kExampleScene), {1000, 2000, 300}, 20, 2000},                 // 25 x (20 + 20 + 40)
        // Blocks are drawn at 0.92 of their size: 9.2 x 9.2 x 4.6 around the centre.
        {header + block, {20, 30, 40}, 23.0f / 3, 825},  // 25 x trunc(9.2 + 9.2 + 2 x 23 / 3)
        {bounds + "20,20\n30,30\n40,40\n" + block, {20, 30, 40}, 23.0f / 3, 825},  // flat declared bounds
        {header + point("5,6,7"), {5, 6, 7}, 1, 50},
    }) {
        SCOPED_TRACE(text);
        SceneModel scene;
        ViewState view;
        view.cameraYaw = 33.0f;
        ASSERT_EQ(CompleteSceneLoad(scene, view, ReadSceneText(scene, text, nullptr), false), kStatusOk);
        EXPECT_EQ(view.cameraTarget, target);
        EXPECT_NEAR(view.sceneSize, sceneSize, 1e-5f);
        EXPECT_EQ(view.cameraDistance, 2 * view.sceneSize);
        EXPECT_EQ(std::tuple(view.cameraPitch, view.cameraYaw), std::tuple(45.0f, 33.0f));
        EXPECT_EQ(view.farPlane, farPlane);
    }
}

TEST(CameraFit, HugeInfiniteAndNaNBoundsSaturateTheFarPlane) {
    constexpr float inf = std::numeric_limits<float>::infinity();
    constexpr int32_t most = std::numeric_limits<int32_t>::max(), least = std::numeric_limits<int32_t>::min();
    // Lowest and highest x: inf - inf is NaN; 85899346 fits alone, not times 25.
    using Case = std::tuple<float, float, int32_t>;
    for (const auto& [lo, hi, farPlane] : {Case{0, 1e30f, most}, Case{0, inf, most}, Case{0, -1e30f, least},
                                           Case{-inf, inf, most}, Case{inf, inf, 0}, Case{0, 85899346.0f, most}}) {
        SceneModel scene;
        scene.boundsMin = {lo, 0, 0};
        scene.boundsMax = {hi, 0, 0};
        ViewState view;
        FitCameraToScene(scene, view);
        EXPECT_EQ(view.farPlane, farPlane) << lo << " " << hi;
    }
}

TEST(CameraFit, PictureAspectFollowsTheBoxAsTheCameraSeesIt) {
    SceneModel scene;
    scene.boundsMin = {0, 0, 0};
    scene.boundsMax = {100, 30, 10};  // long along x
    ViewState view;
    FitCameraToScene(scene, view);
    const float across = FittedBoxAspect(scene, view);  // yaw 0: x runs across the picture
    EXPECT_TRUE(across > 1.5f && across <= 2.0f) << across;
    view.cameraYaw = 90.0f;  // x now runs away from the eye
    EXPECT_LT(FittedBoxAspect(scene, view), 1.0f);
    view.cameraPitch = 89.0f;  // from straight above the box is its plan, 100 by 30
    EXPECT_NEAR(FittedBoxAspect(scene, view), 0.5f, 1e-6f) << "held at 1/2";

    SceneModel unusable;
    EXPECT_EQ(FittedBoxAspect(unusable, view), 4.0f / 3.0f) << "no extent, nothing drawn";
    unusable.boundsMax = {std::numeric_limits<float>::infinity(), 1, 1};
    EXPECT_EQ(FittedBoxAspect(unusable, view), 4.0f / 3.0f) << "infinite bounds";
    unusable.boundsMin = {-10, 0, 0};
    unusable.boundsMax = {10, 1, 1};
    view.cameraTarget = {0, 0.5f, 0.5f};
    view.cameraPitch = 0.0f;
    view.cameraDistance = 1.0f;  // the eye inside the box, looking along x
    EXPECT_EQ(FittedBoxAspect(unusable, view), 4.0f / 3.0f) << "a corner behind the eye";
}

TEST(SceneLoad, ASceneWithoutVerticesIsNotFittedAndFailsAsAnEmptyBufferWould) {
    SceneModel scene;
    ViewState view;
    const SceneReadResult read = ReadSceneText(scene, "\"Tavrin\"\n", nullptr);
    EXPECT_TRUE(read.read);
    EXPECT_EQ(CompleteSceneLoad(scene, view, read, false), kStatusInvalidArg);
    EXPECT_FALSE(view.cameraFitted);
    // An upload that fails passes its own status on, and the camera stays where it was.
    ReadSceneText(scene, testing::kExampleScene, nullptr);
    EXPECT_EQ(CompleteSceneLoad(scene, view, read, false, [] { return int32_t{-5}; }), -5);
    EXPECT_FALSE(view.cameraFitted);
}

}  // namespace
}  // namespace talan
