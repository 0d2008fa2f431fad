// Setting up, resizing and releasing the graphics objects, uploading the scene's
// vertices and drawing frames.
#pragma once

#include <cstdint>
#include <string>

#include "render/GraphicsState.h"
#include "render/ViewState.h"
#include "scene/SceneModel.h"

namespace talan {

// The graphics steps of start-up, in the current GL context: the rasterizer
// descriptions, the blend and depth state, the effect (from `effectPath`) and the
// input layout, for a viewport of width x height. Returns 0, or a failure status
// with `error` saying what failed (the effect file's messages included).
int32_t InitGraphics(GraphicsState& graphics, const std::string& effectPath, int32_t width, int32_t height,
                     std::string& error);

// A new size of the drawing area: viewport and projection. A zero size (a minimised
// window) changes nothing and returns kStatusInvalidArg; the next non-zero size
// restores everything.
int32_t ResizeGraphics(GraphicsState& graphics, const ViewState& view, int32_t width, int32_t height);

// Replaces the vertex buffer with a copy of the scene's vertices. A scene without a
// vertex is refused with kStatusInvalidArg, as a 0-byte buffer is; the previous
// buffer then stays.
int32_t UploadSceneVertices(GraphicsState& graphics, const SceneModel& scene);

// Frees every graphics object; the state is empty again.
void ReleaseGraphics(GraphicsState& graphics);

// The matrices of a freshly fitted camera: world identity, the view of the current
// camera at pitch 45 and the projection with the fit's far plane.
void FitCameraMatrices(GraphicsState& graphics, const ViewState& view, int32_t width, int32_t height);

// Draws one frame: turns the camera and the light by their speeds, clears to the
// background colour, then draws the opaque objects and, once any object has been
// transparent, the two transparent sweeps. The caller presents the frame.
void RenderFrame(GraphicsState& graphics, ViewState& view, SceneModel& scene);

}  // namespace talan
