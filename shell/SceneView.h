// The viewer's drawing area: the renderer draws every frame into it, and the mouse
// and the wheel over it steer the camera and the light.
#pragma once

#include "render/GraphicsState.h"
#include "render/ViewState.h"
#include "scene/SceneModel.h"
#include "shell/ShellState.h"

#include <QOpenGLWidget>

class QMouseEvent;
class QWheelEvent;

namespace talan {

// The records the drawing area reads and changes.
struct SceneViewRecords {
    ShellState& shell;
    ViewState& view;
    SceneModel& scene;
    GraphicsState& graphics;
    bool& graphicsReady;         // InitGraphics has succeeded
};

class SceneView : public QOpenGLWidget {
public:
    explicit SceneView(SceneViewRecords records);

    // Ends every drag, as losing the mouse does.
    void EndDrags();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void paintGL() override;
    void resizeGL(int w, int h) override;

private:
    SceneViewRecords records_;
    int32_t wheelPending_ = 0;  // wheel travel short of a whole notch
};

}  // namespace talan
