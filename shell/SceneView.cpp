// The renderer's headers bring the GL declarations; Qt's must come after them.
#include "render/Graphics.h"
#include "shell/CameraInput.h"
#include "shell/FramePacing.h"
#include "shell/SceneView.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

#include <QDateTime>
#include <QMouseEvent>
#include <QWheelEvent>

namespace talan {

namespace {

InputKeys KeysOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
    return {modifiers.testFlag(Qt::ControlModifier), modifiers.testFlag(Qt::ShiftModifier),
            buttons.testFlag(Qt::XButton1)};
}

bool AnyReducedCopy(const GraphicsState& graphics) {
    for (const VertexBufferPiece& copy : graphics.reducedCopies) {
        if (copy.count > 0) return true;
    }
    return false;
}

// Makes `target` width x height unless it is already; false when the driver refuses
// a picture of that size (nothing is drawn then, and the last picture stays).
bool KeepSize(FrameTarget& target, int32_t width, int32_t height) {
    if (target.framebuffer != 0 && target.width == width && target.height == height) return true;
    if (!SizeFrameTarget(target, width, height).Failed()) return true;
    ReleaseFrameTarget(target);
    return false;
}

}  // namespace

SceneView::SceneView(Records& records) : records_(records) {
    // The drawing area takes the focus back from the menu bar when clicked.
    setFocusPolicy(Qt::StrongFocus);
    // The last picture stays while a load leaves frames undrawn.
    setUpdateBehavior(QOpenGLWidget::PartialUpdate);
    workTimer_.setSingleShot(true);
    workTimer_.setInterval(0);
    connect(&workTimer_, &QTimer::timeout, this, [this] { Work(); });
    settleTimer_.setSingleShot(true);
    settleTimer_.setInterval(kSettleMilliseconds);
    connect(&settleTimer_, &QTimer::timeout, this, [this] {
        inputMoving_ = false;
        workTimer_.start();
    });
    logFrames_ = std::getenv("TALAN_FRAME_TIMES") != nullptr;
    sinceStart_.start();
}

SceneView::~SceneView() = default;

int32_t SceneView::UploadScene() {
    makeCurrent();
    QElapsedTimer clock;
    clock.start();
    const int32_t status = UploadSceneVertices(records_.graphics, records_.scene);
    const qint64 uploaded = clock.elapsed();
    if (status >= 0) {
        UploadReducedCopies(records_.graphics, records_.scene, ReducedBudget{});
        SceneReplaced();
    }
    if (logFrames_) {
        std::fprintf(stderr, "talan3d: upload %.3f s, reduced copies %.3f s\n", uploaded / 1000.0,
                     (clock.elapsed() - uploaded) / 1000.0);
    }
    return status;
}

void SceneView::EndDrags() {
    ReleaseMouseButtons(records_.view);
    unsetCursor();
}

void SceneView::Redraw() {
    dirty_ = true;
    movingCurrent_ = false;
    workTimer_.start();
}

void SceneView::SceneReplaced() {
    jobActive_ = false;  // its steps name the objects of the scene before
    lastFullSeconds_ = -1;
    movingScale_ = 1.0f;
    Redraw();
}

void SceneView::ReleasePictures() {
    workTimer_.stop();
    settleTimer_.stop();
    jobActive_ = false;
    showing_ = Showing::Nothing;
    for (FrameTarget* target : {&shown_, &work_, &moving_}) ReleaseFrameTarget(*target);
}

void SceneView::Moved() {
    inputMoving_ = true;
    settleTimer_.start();
    Redraw();
}

bool SceneView::Spinning() const {
    return records_.view.autoTurnSpeed != 0.0f || records_.view.lightSpinSpeed != 0.0f;
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
    clickPossible_ = button == MouseButton::Left && !event->modifiers().testFlag(Qt::ControlModifier);
    pressedAt_ = at;
    setCursor(Qt::SizeAllCursor);
}

void SceneView::mouseReleaseEvent(QMouseEvent* event) {
    // Releasing any button ends every drag; a drag that set a speed starts turning.
    const bool wasSpinning = Spinning();
    EndDrags();
    if (Spinning() != wasSpinning) Redraw();
    const QPoint moved = event->globalPosition().toPoint() - pressedAt_;
    const int32_t threshold = records_.view.dragThreshold;
    if (clickPossible_ && event->button() == Qt::LeftButton && std::abs(moved.x()) < threshold &&
        std::abs(moved.y()) < threshold && clicked_) {
        const qreal ratio = devicePixelRatioF();
        const QPoint pixel(static_cast<int>(event->position().x() * ratio), static_cast<int>(event->position().y() * ratio));
        // Without graphics there is no picture to wait for.
        if (!records_.graphics.ready || (!dirty_ && !jobActive_ && showing_ == Showing::Full)) {
            clicked_(pixel.x(), pixel.y());
        } else {
            pendingClick_ = pixel;  // picked once the full picture of this view is drawn
            workTimer_.start();
        }
    }
    clickPossible_ = false;
}

void SceneView::mouseMoveEvent(QMouseEvent* event) {
    if (!Dragging(records_.view)) return;
    const QPoint at = event->globalPosition().toPoint();
    MoveMouse(records_.view, at.x(), at.y(), records_.shell.clientHeight);
    Moved();
}

void SceneView::wheelEvent(QWheelEvent* event) {
    // Some platforms turn SHIFT + wheel into a sideways wheel.
    const int delta = event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    const int32_t steps = WheelSteps(wheelPending_, delta);
    for (int32_t i = 0; i < std::abs(steps); ++i) {
        TurnWheel(records_.view, steps < 0 ? -kWheelNotch : kWheelNotch, KeysOf(event->modifiers(), event->buttons()));
    }
    if (steps != 0) Moved();
}

void SceneView::DrawMovingFrame() {
    const auto width = static_cast<int32_t>(records_.shell.clientWidth);
    const auto height = static_cast<int32_t>(records_.shell.clientHeight);
    if (width <= 0 || height <= 0) return;
    GraphicsState& graphics = records_.graphics;
    const int32_t w = ScaledSize(width, movingScale_), h = ScaledSize(height, movingScale_);
    // At full size and with nothing reduced, a moving frame is the full picture.
    const bool full = w == width && h == height && !AnyReducedCopy(graphics);
    FrameTarget& target = full ? work_ : moving_;
    if (!KeepSize(target, w, h)) return;
    QElapsedTimer clock;
    clock.start();
    AdvanceFrame(records_.view, records_.scene);
    FrameJob job = BeginFrame(graphics, records_.view, records_.scene, {target.framebuffer, w, h, !full});
    DrawFramePieces(graphics, job, 0);
    glFinish();
    const double seconds = static_cast<double>(clock.nsecsElapsed()) * 1e-9;
    movingScale_ = NextMovingScale(movingScale_, seconds);
    LogFrame(full ? "full" : "moving", seconds, w, h);
    jobActive_ = false;
    if (full) {
        std::swap(shown_, work_);
        showing_ = Showing::Full;
        dirty_ = false;
        lastFullSeconds_ = seconds;
    } else {
        showing_ = Showing::Moving;
        dirty_ = true;  // the full picture is still owed
    }
    movingCurrent_ = true;
}

void SceneView::Work() {
    if (records_.shell.loading || !records_.graphics.ready) return;
    const auto width = static_cast<int32_t>(records_.shell.clientWidth);
    const auto height = static_cast<int32_t>(records_.shell.clientHeight);
    if (width <= 0 || height <= 0) return;
    makeCurrent();
    if (inputMoving_ || Spinning()) {
        DrawMovingFrame();
        update();
        if (Spinning()) workTimer_.start();  // frames follow each other while something turns
        return;
    }
    if (dirty_) {
        // A slow picture first shows the change with a quick frame.
        const bool slow = lastFullSeconds_ < 0 || lastFullSeconds_ > kSlowPictureSeconds;
        if (slow && !movingCurrent_) {
            DrawMovingFrame();
            update();
        }
        if (dirty_) {
            dirty_ = false;
            if (!KeepSize(work_, width, height)) return;
            AdvanceFrame(records_.view, records_.scene);
            job_ = BeginFrame(records_.graphics, records_.view, records_.scene, {work_.framebuffer, width, height, false});
            jobActive_ = true;
            jobClock_.start();
        }
    }
    if (jobActive_) {
        if (DrawFramePieces(records_.graphics, job_, kPiecesPerTurnSeconds)) {
            jobActive_ = false;
            std::swap(shown_, work_);
            showing_ = Showing::Full;
            lastFullSeconds_ = static_cast<double>(jobClock_.nsecsElapsed()) * 1e-9;
            LogFrame("full", lastFullSeconds_, width, height);
        } else {
            workTimer_.start();
        }
        update();
    }
    if (!jobActive_ && !dirty_ && pendingClick_ && clicked_) {
        const QPoint pixel = *std::exchange(pendingClick_, std::nullopt);
        clicked_(pixel.x(), pixel.y());
    }
}

void SceneView::ShowProgress() {
    if (!jobActive_ || jobClock_.elapsed() < 250 || job_.workTotal <= 0) return;
    const double done = static_cast<double>(job_.workDone) / static_cast<double>(job_.workTotal);
    const auto width = static_cast<int32_t>(records_.shell.clientWidth);
    const int32_t bar = std::max(3, static_cast<int32_t>(4 * devicePixelRatioF()));
    const std::array<float, 4>& background = records_.view.backgroundColor;
    const float light = 0.3f * background[0] + 0.59f * background[1] + 0.11f * background[2];
    // Grey that stands out from the background: the part done, and halfway to the
    // background the part still to do.
    const float shade = light > 0.5f ? 0.15f : 0.85f;
    glEnable(GL_SCISSOR_TEST);
    for (const auto& [length, grey] : {std::pair{width, (shade + light) / 2}, std::pair{static_cast<int32_t>(width * done), shade}}) {
        glScissor(0, 0, length, bar);
        glClearColor(grey, grey, grey, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glDisable(GL_SCISSOR_TEST);
}

void SceneView::paintGL() {
    // While a file is read the scene is incomplete; the load asks for a picture at its end.
    if (records_.shell.loading) return;
    const auto width = static_cast<int32_t>(records_.shell.clientWidth);
    const auto height = static_cast<int32_t>(records_.shell.clientHeight);
    const FrameTarget* picture = showing_ == Showing::Full ? &shown_ : showing_ == Showing::Moving ? &moving_ : nullptr;
    if (!records_.graphics.ready || picture == nullptr || picture->framebuffer == 0) {
        const std::array<float, 4>& background = records_.view.backgroundColor;
        records_.graphics.ready ? glClearColor(background[0], background[1], background[2], 0) : glClearColor(0, 0, 0, 0);
        glDisable(GL_SCISSOR_TEST);
        glClear(GL_COLOR_BUFFER_BIT);
        if (records_.graphics.ready && dirty_) workTimer_.start();
        return;
    }
    ShowFrameTarget(*picture, defaultFramebufferObject(), width, height);
    ShowProgress();
}

void SceneView::resizeGL(int w, int h) {
    const qreal ratio = devicePixelRatioF();
    records_.shell.clientWidth = static_cast<uint32_t>(w * ratio);
    records_.shell.clientHeight = static_cast<uint32_t>(h * ratio);
    if (records_.graphics.ready) {
        ResizeGraphics(records_.graphics, records_.view, static_cast<int32_t>(records_.shell.clientWidth),
                       static_cast<int32_t>(records_.shell.clientHeight));
    }
    Redraw();
}

void SceneView::LogFrame(const char* kind, double seconds, int32_t width, int32_t height) const {
    if (!logFrames_) return;
    std::fprintf(stderr, "talan3d: %s frame %.3f s %dx%d at %.3f\n", kind, seconds, width, height,
                 static_cast<double>(QDateTime::currentMSecsSinceEpoch()) / 1000.0);
}

}  // namespace talan
