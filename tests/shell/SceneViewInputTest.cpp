// The drawing area turns Qt's mouse and wheel events into the camera input calls:
// global positions, the buttons and keys held, whole wheel notches and clicks. What
// each drag and wheel step does is CameraInputTest's.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

// The shell's headers bring the GL declarations; Qt's must come after them.
#include "shell/CameraInput.h"
#include "shell/SceneView.h"

#include "QtTestApplication.h"

#include <QMouseEvent>
#include <QWheelEvent>

namespace talan {
namespace {

using enum Qt::MouseButton;

// A hidden drawing area over records of its own; it never needs a GL context. Every
// event's widget position (5, 5) is far from its global one.
class SceneViewInput : public testing::QtApplicationTest {
protected:
    SceneViewInput() { shell.clientHeight = 500; view.sceneSize = 10.0f; view.cameraDistance = 20.0f; }
    void Mouse(QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons held, Qt::KeyboardModifiers keys = {}) {
        QMouseEvent event(type, QPointF(5, 5), QPointF(global), button, held, keys);
        QCoreApplication::sendEvent(&area, &event);
    }
    void Wheel(QPoint angle, Qt::MouseButtons held = {}, Qt::KeyboardModifiers keys = {}) {
        QWheelEvent event(QPointF(5, 5), QPointF(700, 800), QPoint(), angle, held, keys, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&area, &event);
    }
    Records records;
    ShellState& shell = records.shell;
    ViewState& view = records.view;
    SceneView area{records};
};

TEST_F(SceneViewInput, QtEventsBecomeDragsWheelNotchesAndClicks) {
    std::vector<std::pair<int32_t, int32_t>> clicks;
    area.OnClick([&clicks](int32_t x, int32_t y) { clicks.emplace_back(x, y); });
    const std::tuple<Qt::MouseButton, Qt::KeyboardModifiers, bool ViewState::*, QPoint> cases[] = {
        {LeftButton, {}, &ViewState::rotateDrag, {400, 300}},  // a click: no move, no CONTROL
        {LeftButton, {}, &ViewState::rotateDrag, {401, 300}}, {LeftButton, Qt::ControlModifier, &ViewState::lightDirectionDrag, {400, 300}},
        {RightButton, {}, &ViewState::panDrag, {400, 300}},   {RightButton, Qt::ShiftModifier, &ViewState::slowZoomDrag, {400, 300}},
        {MiddleButton, Qt::ControlModifier, nullptr, {400, 300}}, {XButton1, {}, nullptr, {400, 300}}};
    for (const auto& [button, keys, drag, releasedAt] : cases) {
        view.lastCursorX = 0;
        Mouse(QEvent::MouseButtonPress, {400, 300}, button, button, keys);
        EXPECT_EQ(std::tuple(Dragging(view), view.lastCursorX, drag == nullptr || view.*drag),
                  std::tuple(drag != nullptr, drag ? 400 : 0, true)) << button;
        Mouse(QEvent::MouseButtonRelease, releasedAt, button, NoButton, keys);
    }
    EXPECT_EQ(clicks, (std::vector<std::pair<int32_t, int32_t>>{{5, 5}}));
    // Releasing another button ends every drag; a move steps one from the global
    // position, over the drawing area's height.
    Mouse(QEvent::MouseButtonPress, {400, 300}, RightButton, RightButton);
    Mouse(QEvent::MouseMove, {400, 290}, NoButton, RightButton);
    EXPECT_EQ(std::tuple(view.cameraTarget[2], view.lastCursorY), std::tuple(-10.0f * 10.0f / 500.0f, 290));
    Mouse(QEvent::MouseButtonRelease, {400, 290}, MiddleButton, RightButton);

    // Wheel deltas add up to whole notches; the keys and the extra button held choose what a notch changes.
    Wheel({0, 60});
    Wheel({0, 60});
    Wheel({0, 240}, XButton1);  // two notches of the fine zoom
    EXPECT_FLOAT_EQ(view.cameraDistance, 18.8f);
    Wheel({0, -120}, {}, Qt::ControlModifier | Qt::ShiftModifier);
    Wheel({-120, 0}, {}, Qt::ShiftModifier);  // SHIFT turns some wheels sideways
    EXPECT_EQ(std::tuple(view.ambientIntensity, view.transparencyLevel, Dragging(view)), std::tuple(0.75f, 0.35f, false));
}

}  // namespace
}  // namespace talan
