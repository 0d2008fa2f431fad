// The camera placed over the scene bounds after a load.
#include <gtest/gtest.h>

#include <limits>
#include <string>

#include "TestHelpers.h"
#include "render/CameraFit.h"
#include "render/SceneLoad.h"
#include "scene/SceneFileReader.h"

namespace talan {
namespace {

TEST(CameraFit, ExampleSceneIsFramedByItsDeclaredBounds) {
    SceneModel scene;
    ViewState view;
    view.cameraYaw = 33.0f;
    const SceneReadResult read = ReadSceneText(scene, testing::kExampleScene, nullptr);
    ASSERT_EQ(CompleteSceneLoad(scene, view, read, false), kStatusOk);
    EXPECT_EQ(view.cameraTarget, (std::array<float, 3>{1000, 2000, 300}));
    EXPECT_EQ(view.sceneSize, 20.0f);
    EXPECT_EQ(view.cameraDistance, 40.0f);
    EXPECT_EQ(view.cameraPitch, 45.0f);
    EXPECT_EQ(view.farPlane, 2000);      // 25 x (20 + 20 + 40): the elevation extent does not enter
    EXPECT_EQ(view.cameraYaw, 33.0f);    // a new scene does not turn the view
}

TEST(CameraFit, TheFarPlaneTakesThePlanExtentsAndTheDistance) {
    SceneModel scene;
    scene.boundsMin = {0, 10, 100};
    scene.boundsMax = {30, 70, 190};  // extents 30, 60, 90
    ViewState view;
    FitCameraToScene(scene, view);
    EXPECT_EQ(view.cameraTarget, (std::array<float, 3>{15, 40, 145}));
    EXPECT_FLOAT_EQ(view.sceneSize, 60.0f);
    EXPECT_EQ(view.farPlane, 25 * 210);  // 25 x trunc(60 + 30 + 2 x 60): the elevation's 90 does not enter

    // Flat in plan: the far plane comes from the distance alone.
    scene.boundsMin = {5, 5, 0};
    scene.boundsMax = {5, 5, 30};
    FitCameraToScene(scene, view);
    EXPECT_EQ(view.sceneSize, 30.0f * 0.33333334f);
    EXPECT_EQ(view.farPlane, 25 * static_cast<int32_t>(view.cameraDistance));
}

TEST(CameraFit, BoundsWithoutExtentFitTheDrawnGeometryOrAUnitView) {
    using testing::TagLine;
    const std::string block = TagLine("BLKKDX", 1) + "10,10,5,\nx\nx\n20,30,40,255,\n";
    const std::string point = TagLine("PTS", 1) + "0,\np,\nskip\n5,6,7\n";
    struct Case {
        const char* name;
        std::string text;
        std::array<float, 3> target;
        float sceneSize;
        int32_t farPlane;
    };
    const Case cases[] = {
        // Blocks are drawn at 0.92 of their size: 9.2 x 9.2 x 4.6 around the centre.
        {"one block", block, {20, 30, 40}, 23.0f / 3, 825},  // 25 x trunc(9.2 + 9.2 + 2 x 23 / 3)
        {"a file's flat bounds, wider geometry", "\"Tavrin\"  MAX\n20,20\n30,30\n40,40\n" + block, {20, 30, 40},
         23.0f / 3, 825},
        {"one point", point, {5, 6, 7}, 1.0f, 50},
        {"every object at one place",
         point + TagLine("T3", 1) + "1,0,0,\nt,\n5,6,7,5,6,7,5,6,7,\n" + TagLine("LIN", 1) + "0,\nl,\nx\n5,6,7,5,6,7\n",
         {5, 6, 7}, 1.0f, 50},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SceneModel scene;
        ViewState view;
        const SceneReadResult read = ReadSceneText(scene, "\"Tavrin\"\n" + c.text, nullptr);
        ASSERT_EQ(CompleteSceneLoad(scene, view, read, false), kStatusOk);
        for (int i = 0; i < 3; ++i) EXPECT_NEAR(view.cameraTarget[i], c.target[i], 1e-5f) << i;
        EXPECT_NEAR(view.sceneSize, c.sceneSize, 1e-5f);
        EXPECT_EQ(view.cameraDistance, 2 * view.sceneSize);
        EXPECT_EQ(view.cameraPitch, 45.0f);
        EXPECT_EQ(view.farPlane, c.farPlane);
    }
}

TEST(CameraFit, HugeInfiniteAndNaNBoundsSaturateTheFarPlane) {
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        std::array<float, 3> lo, hi;
        int32_t farPlane;
    };
    const Case cases[] = {
        {{0, 0, 0}, {1e30f, 0, 0}, std::numeric_limits<int32_t>::max()},
        {{0, 0, 0}, {inf, 0, 0}, std::numeric_limits<int32_t>::max()},
        {{0, 0, 0}, {-1e30f, 0, 0}, std::numeric_limits<int32_t>::min()},
        {{-inf, 0, 0}, {inf, 0, 0}, std::numeric_limits<int32_t>::max()},
        {{inf, 0, 0}, {inf, 0, 0}, 0},  // inf - inf is NaN
        {{0, 0, 0}, {85899346.0f, 0, 0}, std::numeric_limits<int32_t>::max()},  // fits alone, not times 25
    };
    for (const Case& c : cases) {
        SceneModel scene;
        scene.boundsMin = c.lo;
        scene.boundsMax = c.hi;
        ViewState view;
        FitCameraToScene(scene, view);
        EXPECT_EQ(view.farPlane, c.farPlane) << c.hi[0];
    }
}

TEST(CameraFit, PictureAspectFollowsTheBoxAsTheCameraSeesIt) {
    SceneModel scene;
    scene.boundsMin = {0, 0, 0};
    scene.boundsMax = {100, 30, 10};  // long along x
    ViewState view;
    FitCameraToScene(scene, view);
    const float across = FittedBoxAspect(scene, view);  // yaw 0: x runs across the picture
    EXPECT_GT(across, 1.5f);
    EXPECT_LE(across, 2.0f);
    view.cameraYaw = 90.0f;  // x now runs away from the eye
    EXPECT_LT(FittedBoxAspect(scene, view), 1.0f);
    view.cameraPitch = 89.0f;  // from straight above the box is its plan, 100 by 30
    EXPECT_NEAR(FittedBoxAspect(scene, view), 0.5f, 1e-6f) << "held at 1/2";

    const float inf = std::numeric_limits<float>::infinity();
    SceneModel unusable;
    EXPECT_EQ(FittedBoxAspect(unusable, view), 4.0f / 3.0f) << "no extent, nothing drawn";
    unusable.boundsMax = {inf, 1, 1};
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
