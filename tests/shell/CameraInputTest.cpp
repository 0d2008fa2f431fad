// The mouse and the wheel steer the camera and the light by fixed steps, to the number.
#include <gtest/gtest.h>

#include <cmath>

#include "shell/CameraInput.h"

namespace talan {
namespace {

constexpr InputKeys kNone{};
constexpr InputKeys kControl{true, false, false};
constexpr InputKeys kShift{false, true, false};
constexpr InputKeys kExtra{false, false, true};

TEST(CameraInput, OneStepPerAxisPerMoveWhateverTheDistance) {
    ViewState view;
    PressMouseButton(view, MouseButton::Left, kNone, 500, 500);
    // Fifty pixels left in three moves: three degrees, not fifty.
    for (int x : {480, 465, 450}) MoveMouse(view, x, 500, 600);
    EXPECT_EQ(view.cameraYaw, -3.0f);
    EXPECT_EQ(view.cameraPitch, 0.0f);
    // Dragging down raises the pitch by one per move, up to 89 and no further.
    for (int i = 1; i <= 100; ++i) MoveMouse(view, 450, 500 + i, 600);
    EXPECT_EQ(view.cameraPitch, 89.0f);
    for (int i = 1; i <= 200; ++i) MoveMouse(view, 450, 600 - i, 600);
    EXPECT_EQ(view.cameraPitch, -89.0f);
}

TEST(CameraInput, SmallMovesAccumulateUntilTheThresholdAndOnlyAStepMovesTheReference) {
    ViewState view;
    view.dragThreshold = 3;
    PressMouseButton(view, MouseButton::Left, kNone, 100, 100);
    MoveMouse(view, 101, 100, 600);
    MoveMouse(view, 102, 100, 600);
    EXPECT_EQ(view.cameraYaw, 0.0f);
    MoveMouse(view, 103, 101, 600);  // x reaches 3 px; y only 1
    EXPECT_EQ(view.cameraYaw, 1.0f);
    EXPECT_EQ(view.lastCursorX, 103);
    EXPECT_EQ(view.lastCursorY, 100);
    MoveMouse(view, 103, 103, 600);
    EXPECT_EQ(view.cameraPitch, 1.0f);
}

TEST(CameraInput, TheFirstDragInOrderIsServedAndAnyReleaseEndsThemAll) {
    ViewState view;
    PressMouseButton(view, MouseButton::Left, kNone, 0, 0);
    PressMouseButton(view, MouseButton::Right, kNone, 0, 0);
    EXPECT_TRUE(view.rotateDrag && view.panDrag);
    view.sceneSize = 100;
    MoveMouse(view, -10, 0, 600);
    EXPECT_EQ(view.cameraYaw, -1.0f);  // turning, not panning
    EXPECT_EQ(view.cameraTarget, (std::array<float, 3>{0, 0, 0}));
    ReleaseMouseButtons(view);
    EXPECT_FALSE(Dragging(view));
    MoveMouse(view, -50, -50, 600);
    EXPECT_EQ(view.cameraYaw, -1.0f);
}

TEST(CameraInput, ModifiersAndModeChooseTheDrag) {
    struct Case {
        MouseButton button;
        InputKeys keys;
        bool autoTurn;
        bool ViewState::*flag;
    };
    const Case cases[] = {
        {MouseButton::Left, kNone, false, &ViewState::rotateDrag},
        {MouseButton::Left, kControl, true, &ViewState::lightDirectionDrag},
        {MouseButton::Left, kShift, true, &ViewState::autoTurnDrag},
        {MouseButton::Right, kShift, false, &ViewState::slowZoomDrag},
        {MouseButton::Right, {true, true, false}, false, &ViewState::slowZoomDrag},
        {MouseButton::Right, kControl, false, &ViewState::lightSpinDrag},
        {MouseButton::Right, kNone, true, &ViewState::panDrag},
    };
    for (const Case& c : cases) {
        ViewState view;
        view.autoTurnMode = c.autoTurn;
        PressMouseButton(view, c.button, c.keys, 7, 9);
        EXPECT_TRUE(view.*c.flag);
        EXPECT_EQ(view.lastCursorX, 7);
    }
    ViewState view;
    PressMouseButton(view, MouseButton::Middle, kNone, 7, 9);
    EXPECT_FALSE(Dragging(view));
    EXPECT_EQ(view.lastCursorX, 0);
}

TEST(CameraInput, SpeedsAndTheLightHaveTheirLimits) {
    ViewState view;
    view.autoTurnMode = true;
    PressMouseButton(view, MouseButton::Left, kNone, 0, 0);
    for (int x = 1; x <= 60; ++x) MoveMouse(view, x, 0, 600);
    EXPECT_EQ(view.autoTurnSpeed, 45.0f);
    ReleaseMouseButtons(view);
    view.autoTurnMode = false;

    PressMouseButton(view, MouseButton::Right, kControl, 0, 0);
    for (int x = -1; x >= -8; --x) MoveMouse(view, x, 0, 600);
    EXPECT_EQ(view.lightSpinSpeed, 5.0f);
    MoveMouse(view, -8, 40, 600);  // a purely vertical move stops the light
    EXPECT_EQ(view.lightSpinSpeed, 0.0f);
    ReleaseMouseButtons(view);

    PressMouseButton(view, MouseButton::Left, kControl, 0, 0);
    for (int y = -1; y >= -60; --y) MoveMouse(view, 0, y, 600);
    EXPECT_EQ(view.lightElevation, 90.0f);
    MoveMouse(view, 3, -60, 600);
    EXPECT_EQ(view.lightAzimuth, 241.0f);
}

TEST(CameraInput, PanMovesTheTargetByTheDrawingAreasHeight) {
    ViewState view;
    view.sceneSize = 600;
    view.cameraYaw = 90;
    view.cameraPitch = 0;
    PressMouseButton(view, MouseButton::Right, kNone, 100, 100);
    MoveMouse(view, 70, 100, 600);  // 30 px left: m = 30 x 600 / 600
    EXPECT_NEAR(view.cameraTarget[0], 30.0f * std::cos(90.0f * 0.017453292f), 1e-4);
    EXPECT_NEAR(view.cameraTarget[1], -30.0f, 1e-4);
    MoveMouse(view, 70, 90, 600);  // 10 px up: the target moves down the elevation axis
    EXPECT_NEAR(view.cameraTarget[2], -10.0f, 1e-4);
    // No scene: nothing moves.
    ViewState empty;
    PressMouseButton(empty, MouseButton::Right, kNone, 0, 0);
    MoveMouse(empty, 40, 40, 600);
    EXPECT_EQ(empty.cameraTarget, (std::array<float, 3>{0, 0, 0}));
}

TEST(CameraInput, WheelStepsStopWhereTheDoubleComparisonsLeaveThem) {
    ViewState view;
    for (int i = 0; i < 7; ++i) TurnWheel(view, -120, kShift);
    EXPECT_EQ(view.transparencyLevel, 0.0499999933f);
    TurnWheel(view, -120, kShift);
    EXPECT_EQ(view.transparencyLevel, 0.0499999933f);
    view.transparencyLevel = 0.4f;
    for (int i = 0; i < 20; ++i) TurnWheel(view, 120, kShift);
    EXPECT_EQ(view.transparencyLevel, 0.9500001f);

    for (int i = 0; i < 30; ++i) TurnWheel(view, -1, kControl);
    EXPECT_NEAR(view.ambientIntensity, 0.0499999, 1e-7);
    EXPECT_LT(view.ambientIntensity, 0.05f);
    for (int i = 0; i < 60; ++i) TurnWheel(view, 1, kControl);
    EXPECT_NEAR(view.ambientIntensity, 1.999999, 1e-6);

    // The plain zoom never goes below 1, and lifts a distance of 0 to 1.
    ViewState zoom;
    TurnWheel(zoom, -120, kNone);
    EXPECT_EQ(zoom.cameraDistance, 1.0f);
    zoom.cameraDistance = 1.5f;
    zoom.sceneSize = 10;
    TurnWheel(zoom, 120, kNone);
    EXPECT_EQ(zoom.cameraDistance, 1.0f);
    TurnWheel(zoom, -120, kNone);
    EXPECT_EQ(zoom.cameraDistance, 2.0f);
    // The fine zoom stops once the distance is below about a fifth of the scene size
    // (2.004 here), and steps back out without a bound.
    zoom.cameraDistance = 2.1f;
    TurnWheel(zoom, 120, kExtra);
    const float stopped = zoom.cameraDistance;
    EXPECT_FLOAT_EQ(stopped, 2.0f);
    TurnWheel(zoom, 120, kExtra);
    EXPECT_EQ(zoom.cameraDistance, stopped);
    TurnWheel(zoom, -120, kExtra);
    EXPECT_FLOAT_EQ(zoom.cameraDistance, 2.1f);
}

}  // namespace
}  // namespace talan
