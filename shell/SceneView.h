// The viewer's drawing area: the mouse and the wheel over it steer the camera and
// the light, and it shows the scene. Pictures are drawn off the screen and shown when
// done: while the view moves, small quick frames from the objects' reduced copies;
// once it is still, the full picture, drawn in pieces between turns of the event loop
// when it is slow, so that the window keeps answering meanwhile.
#pragma once

#include "render/FrameJob.h"
#include "render/FrameTarget.h"
#include "shell/Records.h"
#include "shell/WindowHost.h"

#include <QElapsedTimer>
#include <QOpenGLWidget>
#include <QTimer>

#include <functional>
#include <optional>

class QMouseEvent;
class QWheelEvent;

namespace talan {

class SceneView : public QOpenGLWidget, public DrawingArea {
public:
    // `records` are the program's, which the drawing area reads and changes.
    explicit SceneView(Records& records);
    ~SceneView() override;

    // Makes the vertex buffers and the reduced copies from the scene in the area's
    // context; the upload's status.
    int32_t UploadScene() override;

    // Ends every drag, as losing the mouse does.
    void EndDrags() override;

    // Called with a pixel of the drawing area (top row 0) when the left button is
    // pressed and released there without CONTROL and without moving the drag
    // threshold: a click that turns nothing. It comes once the full picture of the
    // view clicked is drawn, so that what it picks is what is shown.
    void OnClick(std::function<void(int32_t x, int32_t y)> handler) { clicked_ = std::move(handler); }

    // Something the picture shows has changed: a new full picture is drawn.
    void Redraw() override;

    // The framebuffer holding the full picture shown, with its depth, for picking.
    GLuint PictureFramebuffer() const { return shown_.framebuffer; }

    // Frees the off-screen pictures; the context must be current.
    void ReleasePictures();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintGL() override;
    void resizeGL(int w, int h) override;

private:
    enum class Showing { Nothing, Full, Moving };

    void Moved();         // a drag step or a wheel notch changed the view
    void Work();          // draws what is owed: a moving frame or pieces of the full picture
    void DrawMovingFrame();
    bool Spinning() const;
    void ShowProgress();  // a thin bar over the last picture while a slow one is drawn
    void SceneReplaced();  // a new scene was uploaded: how long its pictures take is not known yet
    void LogFrame(const char* kind, double seconds, int32_t width, int32_t height) const;

    Records& records_;
    int32_t wheelPending_ = 0;  // wheel travel short of a whole notch
    std::function<void(int32_t, int32_t)> clicked_;
    bool clickPossible_ = false;  // the left button went down without CONTROL
    QPoint pressedAt_;            // where, on the screen
    std::optional<QPoint> pendingClick_;  // a click waiting for the full picture

    FrameTarget shown_, work_, moving_;  // the full picture shown, the one drawn, the last moving frame
    Showing showing_ = Showing::Nothing;
    FrameJob job_;
    bool jobActive_ = false;
    bool dirty_ = true;           // the view changed since the full picture shown began
    bool movingCurrent_ = false;  // the moving frame shows the view as it is
    bool inputMoving_ = false;    // drag steps or wheel notches came within the settle time
    float movingScale_ = 1.0f;
    double lastFullSeconds_ = -1;  // how long the last full picture took; -1 unknown
    QElapsedTimer jobClock_, sinceStart_;
    QTimer workTimer_, settleTimer_;
    bool logFrames_ = false;  // TALAN_FRAME_TIMES set: each frame's time on standard error
};

}  // namespace talan
