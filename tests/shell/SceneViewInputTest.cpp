// The drawing area driven by Qt's own mouse and wheel events: which drag each press
// starts, which positions count, and what every wheel turn changes.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

// The shell's headers bring the GL declarations; Qt's must come after them.
#include "shell/SceneView.h"

#include "QtTestApplication.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWheelEvent>

namespace talan {
namespace {

using Flag = bool ViewState::*;
constexpr Flag kDragFlags[] = {&ViewState::rotateDrag, &ViewState::lightDirectionDrag, &ViewState::autoTurnDrag,
                               &ViewState::slowZoomDrag, &ViewState::panDrag,          &ViewState::lightSpinDrag};
// Every event's widget position, far from its global one: only the global one counts.
const QPointF kLocal(5, 5);

// A hidden drawing area over records of its own; it never needs a GL context.
class SceneViewInput : public testing::QtApplicationTest {
protected:
    SceneViewInput() {
        shell.clientHeight = 500;
        LoadScene();
    }
    // What a fit to a scene of size 10 centred on (1, 2, 3) leaves.
    void LoadScene() {
        view.sceneSize = 10.0f;
        view.cameraDistance = 20.0f;
        view.cameraPitch = 45.0f;
        view.cameraTarget = {1.0f, 2.0f, 3.0f};
    }

    void Mouse(QEvent::Type type, QPoint global, Qt::MouseButton button, Qt::MouseButtons held,
               Qt::KeyboardModifiers keys = Qt::NoModifier) {
        QMouseEvent event(type, kLocal, QPointF(global), button, held, keys);
        QCoreApplication::sendEvent(&area, &event);
    }
    void Press(QPoint at, Qt::MouseButton button, Qt::MouseButtons held, Qt::KeyboardModifiers keys = {}) {
        Mouse(QEvent::MouseButtonPress, at, button, held, keys);
    }
    void Move(QPoint to, Qt::MouseButtons held) { Mouse(QEvent::MouseMove, to, Qt::NoButton, held); }
    void Release(QPoint at, Qt::MouseButton b, Qt::MouseButtons held) { Mouse(QEvent::MouseButtonRelease, at, b, held); }
    void Wheel(QPoint angle, Qt::MouseButtons held, Qt::KeyboardModifiers keys) {
        QWheelEvent event(kLocal, QPointF(700, 800), QPoint(), angle, held, keys, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&area, &event);
    }
    int DragsOn() const {
        return static_cast<int>(std::count_if(std::begin(kDragFlags), std::end(kDragFlags), [this](Flag f) { return view.*f; }));
    }

    ShellState shell;
    ViewState view;
    SceneModel scene;
    GraphicsState graphics;
    bool graphicsReady = false;
    SceneView area{{shell, view, scene, graphics, graphicsReady}};
};

TEST_F(SceneViewInput, EachPressStartsItsDragAtTheGlobalPositionAndAMoveStepsIt) {
    const float panZ = 3.0f - std::cos(45.0f * 0.017453292f) * (10.0f * 10.0f / 500.0f);
    struct Case {
        const char* name;
        Qt::MouseButton button;
        Qt::KeyboardModifiers keys;
        bool autoTurnMode;
        Flag flag;
        float (*watched)(const ViewState&);
        float after;  // the watched value after moving 20 px left and 10 px up
    };
    const Case cases[] = {
        {"left", Qt::LeftButton, Qt::NoModifier, false, &ViewState::rotateDrag,
         [](const ViewState& v) { return v.cameraYaw; }, -1.0f},
        {"SHIFT + left", Qt::LeftButton, Qt::ShiftModifier, false, &ViewState::rotateDrag,
         [](const ViewState& v) { return v.cameraPitch; }, 44.0f},
        {"CONTROL + left", Qt::LeftButton, Qt::ControlModifier, true, &ViewState::lightDirectionDrag,
         [](const ViewState& v) { return v.lightAzimuth; }, 239.0f},
        {"left, auto-turn", Qt::LeftButton, Qt::NoModifier, true, &ViewState::autoTurnDrag,
         [](const ViewState& v) { return v.autoTurnSpeed; }, -1.0f},
        {"SHIFT + right", Qt::RightButton, Qt::ShiftModifier, false, &ViewState::slowZoomDrag,
         [](const ViewState& v) { return v.cameraDistance; }, 19.9f},
        {"CONTROL + SHIFT + right", Qt::RightButton, Qt::ControlModifier | Qt::ShiftModifier, false,
         &ViewState::slowZoomDrag, [](const ViewState& v) { return v.cameraDistance; }, 19.9f},
        {"right", Qt::RightButton, Qt::NoModifier, true, &ViewState::panDrag,
         [](const ViewState& v) { return v.cameraTarget[2]; }, panZ},
        {"CONTROL + right", Qt::RightButton, Qt::ControlModifier, false, &ViewState::lightSpinDrag,
         [](const ViewState& v) { return v.lightSpinSpeed; }, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view = ViewState{};
        LoadScene();
        view.autoTurnMode = c.autoTurnMode;
        Press({400, 300}, c.button, c.button, c.keys);
        EXPECT_TRUE(view.*c.flag);
        EXPECT_EQ(DragsOn(), 1);
        EXPECT_EQ(view.lastCursorX, 400);
        EXPECT_EQ(view.lastCursorY, 300);
        Move({380, 290}, c.button);
        EXPECT_NEAR(c.watched(view), c.after, 1e-5f);
        Release({380, 290}, c.button, Qt::NoButton);
        EXPECT_EQ(DragsOn(), 0);
    }
}

TEST_F(SceneViewInput, WithTwoButtonsHeldTheFirstDragInOrderIsServed) {
    Press({100, 100}, Qt::RightButton, Qt::RightButton);
    Press({100, 100}, Qt::LeftButton, Qt::LeftButton | Qt::RightButton, Qt::ControlModifier);
    EXPECT_TRUE(view.panDrag && view.lightDirectionDrag);
    Move({90, 100}, Qt::LeftButton | Qt::RightButton);
    EXPECT_EQ(view.lightAzimuth, 239.0f);  // the light turns; the scene stays
    EXPECT_EQ(view.cameraTarget, (std::array<float, 3>{1.0f, 2.0f, 3.0f}));
}

TEST_F(SceneViewInput, ReleasingAnyButtonEndsEveryDrag) {
    for (Qt::MouseButton released : {Qt::LeftButton, Qt::RightButton, Qt::MiddleButton}) {
        SCOPED_TRACE(static_cast<int>(released));
        Qt::MouseButtons left = Qt::LeftButton | Qt::RightButton | Qt::MiddleButton;
        left.setFlag(released, false);
        Press({100, 100}, Qt::LeftButton, Qt::LeftButton);
        Press({100, 100}, Qt::RightButton, Qt::LeftButton | Qt::RightButton);
        Press({100, 100}, Qt::MiddleButton, Qt::LeftButton | Qt::RightButton | Qt::MiddleButton);
        EXPECT_EQ(DragsOn(), 2);
        Release({100, 100}, released, left);
        EXPECT_EQ(DragsOn(), 0);
        const ViewState before = view;
        Move({50, 50}, Qt::LeftButton);  // a button is still held, but no drag is on
        EXPECT_EQ(view.cameraYaw, before.cameraYaw);
        EXPECT_EQ(view.cameraTarget, before.cameraTarget);
    }
}

TEST_F(SceneViewInput, TheMiddleAndExtraButtonsStartNoDrag) {
    for (Qt::MouseButton button : {Qt::MiddleButton, Qt::XButton1, Qt::XButton2}) {
        Press({200, 200}, button, button, Qt::ControlModifier);
        EXPECT_EQ(DragsOn(), 0);
        EXPECT_EQ(view.lastCursorX, 0);  // not even the reference moves
        Move({150, 150}, button);
        EXPECT_EQ(view.cameraYaw, 0.0f);
        EXPECT_EQ(view.cameraTarget, (std::array<float, 3>{1.0f, 2.0f, 3.0f}));
    }
}

TEST_F(SceneViewInput, TheKeysAndTheExtraButtonChooseWhatTheWheelChanges) {
    const QPoint towardsScreen(0, 120), towardsUser(0, -120);
    struct Case {
        const char* name;
        Qt::KeyboardModifiers keys;
        Qt::MouseButtons held;
        QPoint angle;  // each event one step, whatever its size
        int steps;
        float ViewState::*value;
        float start, after;
    };
    const Case cases[] = {
        {"CONTROL, down", Qt::ControlModifier, {}, towardsUser, 1, &ViewState::ambientIntensity, 0.8f, 0.75f},
        {"CONTROL, up", Qt::ControlModifier, {}, towardsScreen, 1, &ViewState::ambientIntensity, 0.8f, 0.85f},
        {"CONTROL wins over SHIFT", Qt::ControlModifier | Qt::ShiftModifier, Qt::XButton1, towardsUser, 1,
         &ViewState::ambientIntensity, 0.8f, 0.75f},
        {"SHIFT, seven down", Qt::ShiftModifier, {}, towardsUser, 7, &ViewState::transparencyLevel, 0.4f,
         0.0499999933f},
        {"SHIFT, eight down", Qt::ShiftModifier, {}, towardsUser, 8, &ViewState::transparencyLevel, 0.4f,
         0.0499999933f},
        {"SHIFT, sideways", Qt::ShiftModifier, {}, QPoint(-120, 0), 8, &ViewState::transparencyLevel, 0.4f,
         0.0499999933f},
        {"SHIFT, twelve up", Qt::ShiftModifier, {}, towardsScreen, 12, &ViewState::transparencyLevel, 0.4f,
         0.9500001f},
        {"SHIFT wins over the extra button", Qt::ShiftModifier, Qt::XButton1, towardsScreen, 1,
         &ViewState::transparencyLevel, 0.4f, 0.45f},
        {"extra button, towards the user", {}, Qt::XButton1, towardsUser, 1, &ViewState::cameraDistance, 20.0f, 20.1f},
        {"extra button, towards the screen", {}, Qt::XButton1, towardsScreen, 1, &ViewState::cameraDistance, 20.0f,
         19.9f},
        {"extra button, at its stop", {}, Qt::XButton1, towardsScreen, 1, &ViewState::cameraDistance, 2.0f, 2.0f},
        {"plain, towards the user", {}, {}, towardsUser, 1, &ViewState::cameraDistance, 20.0f, 21.0f},
        {"plain, towards the screen", {}, {}, towardsScreen, 1, &ViewState::cameraDistance, 20.0f, 19.0f},
        {"plain, the floor", {}, {}, towardsScreen, 1, &ViewState::cameraDistance, 1.5f, 1.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        view = ViewState{};
        LoadScene();
        view.*c.value = c.start;
        for (int i = 0; i < c.steps; ++i) Wheel(c.angle, c.held, c.keys);
        EXPECT_NEAR(view.*c.value, c.after, 1e-6f);
        if (c.after == 0.0499999933f) {
            EXPECT_EQ(view.*c.value, 0.0499999933f);  // to the last bit
        }
        EXPECT_EQ(DragsOn(), 0);
    }
}

TEST_F(SceneViewInput, FineWheelDeltasAddUpToWholeNotches) {
    struct Case {
        const char* name;
        std::vector<int> deltas;  // in eighths of a degree, towards the screen when positive
        float distance;           // from 20, one notch moving it by 1
    };
    const Case cases[] = {
        {"three quarters of a notch", {30, 30, 30}, 20.0f},
        {"a notch in four", {30, 30, 30, 30}, 19.0f},
        {"a notch and a half in twelve", std::vector<int>(12, 15), 19.0f},
        {"two notches at once", {240}, 18.0f},
        {"a turn back drops the rest", {90, -60, -60}, 21.0f},
        {"ordinary notches", {-120, -120, 120}, 21.0f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SceneView fresh({shell, view, scene, graphics, graphicsReady});
        view = ViewState{};
        LoadScene();
        for (int delta : c.deltas) {
            QWheelEvent event(kLocal, QPointF(700, 800), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                              Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(&fresh, &event);
        }
        EXPECT_NEAR(view.cameraDistance, c.distance, 1e-5f);
    }
}

TEST_F(SceneViewInput, WithoutASceneOnlyTheDistanceFloorChangesAnything) {
    view = ViewState{};  // nothing loaded: size 0, distance 0
    Press({300, 300}, Qt::RightButton, Qt::RightButton);
    Move({250, 200}, Qt::RightButton);
    EXPECT_TRUE(view.panDrag);
    Release({250, 200}, Qt::RightButton, Qt::NoButton);
    Wheel({0, -120}, Qt::XButton1, Qt::NoModifier);
    Wheel({0, 120}, Qt::XButton1, Qt::NoModifier);
    EXPECT_EQ(view.cameraTarget, (std::array<float, 3>{0.0f, 0.0f, 0.0f}));
    EXPECT_EQ(view.cameraDistance, 0.0f);
    for (const QPoint angle : {QPoint(0, 120), QPoint(0, -120)}) {
        view.cameraDistance = 0.0f;
        Wheel(angle, Qt::NoButton, Qt::NoModifier);
        EXPECT_EQ(view.cameraDistance, 1.0f);
    }
    // The slow zoom's step adds nothing either, but its floor holds on every move.
    view.cameraDistance = 0.0f;
    Press({300, 300}, Qt::RightButton, Qt::RightButton, Qt::ShiftModifier);
    Move({300, 200}, Qt::RightButton);
    EXPECT_EQ(view.cameraDistance, 1.0f);
}

}  // namespace
}  // namespace talan
