// The renderer's headers bring the GL declarations; Qt's must come after them.
#include "render/Graphics.h"
#include "shell/CameraInput.h"
#include "shell/SceneView.h"

#include <cstdlib>

#include <QMouseEvent>
#include <QWheelEvent>

namespace talan {

namespace {

InputKeys KeysOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    return {modifiers.testFlag(Qt::ControlModifier), modifiers.testFlag(Qt::ShiftModifier),
            buttons.testFlag(Qt::XButton1)};
}

}  // namespace

SceneView::SceneView(SceneViewRecords records) : records_(records) {
    // The drawing area takes the focus back from the menu bar when clicked.
    setFocusPolicy(Qt::StrongFocus);
    // The last picture stays while a load leaves frames undrawn.
    setUpdateBehavior(QOpenGLWidget::PartialUpdate);
}

void SceneView::EndDrags() {
    ReleaseMouseButtons(records_.view);
    unsetCursor();
}

void SceneView::mousePressEvent(QMouseEvent* event) {
    MouseButton button;
    if (event->button() == Qt::LeftButton) {
        button = MouseButton::Left;
    } else if (event->button() == Qt::RightButton) {
        button = MouseButton::Right;
    } else {
        return;  // the middle and extra buttons start no drag
    }
    const QPoint at = event->globalPosition().toPoint();
    PressMouseButton(records_.view, button, KeysOf(event->modifiers(), event->buttons()), at.x(), at.y());
    setCursor(Qt::SizeAllCursor);
}

void SceneView::mouseReleaseEvent(QMouseEvent*) {
    // Releasing any button ends every drag.
    EndDrags();
    update();
}

void SceneView::mouseMoveEvent(QMouseEvent* event) {
    if (!Dragging(records_.view)) return;
    const QPoint at = event->globalPosition().toPoint();
    MoveMouse(records_.view, at.x(), at.y(), records_.shell.clientHeight);
    update();
}

void SceneView::wheelEvent(QWheelEvent* event) {
    // Some platforms turn SHIFT + wheel into a sideways wheel.
    const int delta = event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    const int32_t steps = WheelSteps(wheelPending_, delta);
    for (int32_t i = 0; i < std::abs(steps); ++i) {
        TurnWheel(records_.view, steps < 0 ? -kWheelNotch : kWheelNotch, KeysOf(event->modifiers(), event->buttons()));
    }
    if (steps != 0) update();
}

void SceneView::paintGL() {
    // While a file is read the scene is incomplete; the load draws a frame at its end.
    if (records_.shell.loading) return;
    if (!records_.graphicsReady) {
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        return;
    }
    RenderFrame(records_.graphics, records_.view, records_.scene);
    // Frames follow each other only while something turns by itself; otherwise a
    // frame is drawn when something it reads changes.
    if (records_.view.autoTurnSpeed != 0.0f || records_.view.lightSpinSpeed != 0.0f) update();
}

void SceneView::resizeGL(int w, int h) {
    const qreal ratio = devicePixelRatioF();
    records_.shell.clientWidth = static_cast<uint32_t>(w * ratio);
    records_.shell.clientHeight = static_cast<uint32_t>(h * ratio);
    if (records_.graphicsReady) {
        ResizeGraphics(records_.graphics, records_.view, static_cast<int32_t>(records_.shell.clientWidth),
                       static_cast<int32_t>(records_.shell.clientHeight));
    }
}

}  // namespace talan
