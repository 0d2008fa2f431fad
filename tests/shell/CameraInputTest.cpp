// The mouse and the wheel steer the camera and the light by fixed steps, to the number.
#include <gtest/gtest.h>

#include <tuple>
#include <utility>
#include <vector>

#include "shell/CameraInput.h"

namespace talan {
namespace {

constexpr InputKeys kNone{};
constexpr InputKeys kControl{true, false, false};
constexpr InputKeys kShift{false, true, false};
constexpr InputKeys kExtra{false, false, true};

// Presses `button` at (0, 0) and moves the cursor `moves` times by (dx, dy) each.
ViewState Drag(ViewState view, MouseButton button, InputKeys keys, int moves, int dx, int dy) {
    PressMouseButton(view, button, keys, 0, 0);
    for (int i = 1; i <= moves; ++i) MoveMouse(view, i * dx, i * dy, 600);
    return view;
}

TEST(CameraInput, OneStepPerAxisPerMoveOnceTheThresholdIsReachedWithinTheLimits) {
    ViewState view;
    PressMouseButton(view, MouseButton::Left, kNone, 500, 500);
    // Fifty pixels left in three moves: three degrees, not fifty.
    for (int x : {480, 465, 450}) MoveMouse(view, x, 500, 600);
    EXPECT_EQ(std::tuple(view.cameraYaw, view.cameraPitch), std::tuple(-3.0f, 0.0f));
    // Small moves add up to the threshold, and only a step moves an axis's reference.
    view = ViewState{};
    view.dragThreshold = 3;
    PressMouseButton(view, MouseButton::Left, kNone, 100, 100);
    for (int x : {101, 102}) MoveMouse(view, x, 100, 600);
    MoveMouse(view, 103, 101, 600);  // x reaches 3 px; y only 1
    EXPECT_EQ(std::tuple(view.cameraYaw, view.lastCursorX, view.lastCursorY), std::tuple(1.0f, 103, 100));
    MoveMouse(view, 103, 103, 600);
    EXPECT_EQ(view.cameraPitch, 1.0f);

    // Dragging down raises the pitch, up to 89; the speeds and the light have their limits.
    ViewState autoTurn, zoom;
    autoTurn.autoTurnMode = true;
    zoom.sceneSize = 10;
    zoom.cameraDistance = 20;
    EXPECT_EQ(Drag({}, MouseButton::Left, kNone, 100, 0, 1).cameraPitch, 89.0f);
    EXPECT_EQ(Drag({}, MouseButton::Left, kNone, 100, 0, -1).cameraPitch, -89.0f);
    EXPECT_EQ(Drag(autoTurn, MouseButton::Left, kNone, 60, 1, 0).autoTurnSpeed, 45.0f);
    EXPECT_EQ(Drag(autoTurn, MouseButton::Left, kNone, 60, 0, 1).cameraPitch, 60.0f);
    EXPECT_EQ(Drag({}, MouseButton::Right, kControl, 8, -1, 0).lightSpinSpeed, 5.0f);
    EXPECT_EQ(Drag({}, MouseButton::Right, kControl, 8, 0, 1).lightSpinSpeed, 0.0f) << "a vertical move stops the light";
    EXPECT_EQ(Drag({}, MouseButton::Left, kControl, 60, 0, -1).lightElevation, 90.0f);
    EXPECT_EQ(Drag({}, MouseButton::Left, kControl, 1, 3, 0).lightAzimuth, 241.0f);
    // The slow zoom: a hundredth of the scene per move up, down to 1, which holds without a scene too.
    EXPECT_FLOAT_EQ(Drag(zoom, MouseButton::Right, kShift, 1, 0, -1).cameraDistance, 19.9f);
    EXPECT_EQ(Drag({}, MouseButton::Right, kShift, 1, 0, -2).cameraDistance, 1.0f);
}

TEST(CameraInput, ButtonKeysAndModeChooseTheDragTheFirstInOrderIsServedAndAnyReleaseEndsThemAll) {
    const std::tuple<MouseButton, InputKeys, bool, bool ViewState::*> cases[] = {
        {MouseButton::Left, kNone, false, &ViewState::rotateDrag},  {MouseButton::Left, kControl, true, &ViewState::lightDirectionDrag},
        {MouseButton::Left, kShift, true, &ViewState::autoTurnDrag}, {MouseButton::Right, kShift, false, &ViewState::slowZoomDrag},
        {MouseButton::Right, {true, true, false}, false, &ViewState::slowZoomDrag},
        {MouseButton::Right, kControl, false, &ViewState::lightSpinDrag}, {MouseButton::Right, kNone, true, &ViewState::panDrag}};
    for (const auto& [button, keys, autoTurn, drag] : cases) {
        ViewState view;
        view.autoTurnMode = autoTurn;
        PressMouseButton(view, button, keys, 7, 9);
        EXPECT_EQ(std::tuple(view.*drag, view.lastCursorX, view.lastCursorY), std::tuple(true, 7, 9));
    }
    ViewState view;
    PressMouseButton(view, MouseButton::Middle, kNone, 7, 9);
    EXPECT_EQ(std::tuple(Dragging(view), view.lastCursorX), std::tuple(false, 0));

    PressMouseButton(view, MouseButton::Left, kNone, 0, 0);
    PressMouseButton(view, MouseButton::Right, kNone, 0, 0);
    view.sceneSize = 100;
    MoveMouse(view, -10, 0, 600);
    EXPECT_EQ(std::tuple(view.cameraYaw, view.cameraTarget), std::tuple(-1.0f, std::array<float, 3>{}));  // turning, not panning
    ReleaseMouseButtons(view);
    MoveMouse(view, -50, -50, 600);
    EXPECT_EQ(std::tuple(Dragging(view), view.cameraYaw), std::tuple(false, -1.0f));
}

TEST(CameraInput, PanMovesTheTargetWithTheCursorByTheDrawingAreasHeight) {
    ViewState view;
    view.sceneSize = 600;
    view.cameraYaw = 30;
    view.cameraPitch = 30;
    PressMouseButton(view, MouseButton::Right, kNone, 100, 100);
    MoveMouse(view, 70, 100, 600);  // 30 px left: 30 × 600 / 600 along the camera's right (cos 30°, −sin 30°, 0)
    MoveMouse(view, 70, 90, 600);   // 10 px up: 10 along its down (−sin² 30°, −cos 30° sin 30°, −cos 30°)
    EXPECT_NEAR(view.cameraTarget[0], 30 * 0.8660254f - 10 * 0.25f, 1e-4);
    EXPECT_NEAR(view.cameraTarget[1], -30 * 0.5f - 10 * 0.4330127f, 1e-4);
    EXPECT_NEAR(view.cameraTarget[2], -10 * 0.8660254f, 1e-4);
}

TEST(CameraInput, WheelDeltasAddUpToNotchesThatTheKeysSendToALevelOrTheZoom) {
    const std::pair<std::vector<int32_t>, int32_t> cases[] = {
        {{30, 30, 30}, 0}, {{30, 30, 30, 30}, 1}, {std::vector<int32_t>(12, 15), 1}, {{240}, 2},
        {{-130}, -1},      {{90, -60, -60}, -1} /* a turn back drops the rest */,     {{-120, -120, 120}, -1}};
    for (const auto& [deltas, notches] : cases) {
        int32_t pending = 0, total = 0;
        for (const int32_t delta : deltas) total += WheelSteps(pending, delta);
        EXPECT_EQ(total, notches) << ::testing::PrintToString(deltas);
    }
    // Each notch steps a level by 0.05, stopping where the comparisons in double leave it.
    ViewState view;
    view.sceneSize = 10;
    for (int i = 0; i < 7; ++i) TurnWheel(view, -120, kShift);
    EXPECT_EQ(view.transparencyLevel, 0.0499999933f);
    TurnWheel(view, -120, {false, true, true});  // SHIFT wins over the extra button
    EXPECT_EQ(std::tuple(view.transparencyLevel, view.cameraDistance), std::tuple(0.0499999933f, 0.0f));
    view.transparencyLevel = 0.4f;
    for (int i = 0; i < 20; ++i) TurnWheel(view, 120, kShift);
    EXPECT_EQ(view.transparencyLevel, 0.9500001f);

    for (int i = 0; i < 30; ++i) TurnWheel(view, -1, {true, true, true});  // CONTROL wins over both
    EXPECT_NEAR(view.ambientIntensity, 0.0499999, 1e-7);
    EXPECT_LT(view.ambientIntensity, 0.05f);
    for (int i = 0; i < 60; ++i) TurnWheel(view, 1, kControl);
    EXPECT_NEAR(view.ambientIntensity, 1.999999, 1e-6);
    EXPECT_EQ(view.transparencyLevel, 0.9500001f);

    // From a distance, a notch of the plain zoom (a tenth of the scene, never below 1) or
    // of the fine zoom (a hundredth; towards the screen only above about a fifth of it).
    const std::tuple<float, int32_t, InputKeys, float> zooms[] = {
        {0.0f, 120, kNone, 1.0f}, {1.5f, 120, kNone, 1.0f},  {1.5f, -120, kNone, 2.5f},
        {2.1f, 120, kExtra, 2.0f}, {2.0f, 120, kExtra, 2.0f}, {2.0f, -120, kExtra, 2.1f}};
    for (const auto& [from, delta, keys, to] : zooms) {
        view.cameraDistance = from;
        TurnWheel(view, delta, keys);
        EXPECT_FLOAT_EQ(view.cameraDistance, to) << from << " " << delta;
    }
}

}  // namespace
}  // namespace talan
