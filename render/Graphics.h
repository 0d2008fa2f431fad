// Setting up, resizing and releasing the graphics objects, uploading the scene's
// vertices and drawing frames.
#pragma once

#include <cstdint>
#include <string>

#include "render/GraphicsState.h"
#include "render/ReducedCopy.h"
#include "render/ViewState.h"
#include "scene/SceneModel.h"
#include "scene/Status.h"

namespace talan {

// The graphics steps of start-up, in the current GL context: the rasterizer
// descriptions, the blend and depth state, the effect (from `effectPath`) and the
// input layout, for a viewport of width x height. Fails as LoadEffectFile does, or
// with FailureKind::Graphics when the GL reports an error.
Failure InitGraphics(GraphicsState& graphics, const std::string& effectPath, int32_t width, int32_t height);

// A new size of the drawing area: viewport and projection. A zero size (a minimised
// window) changes nothing and returns kStatusInvalidArg; the next non-zero size
// restores everything.
int32_t ResizeGraphics(GraphicsState& graphics, const ViewState& view, int32_t width, int32_t height);

// Replaces the vertex buffer with a copy of the scene's vertices, and the block
// records' buffers, and finds the lattices of block models for drawing them by
// casting (BlockCast.h). Where every block model is drawn by casting, the block
// records wait for UploadAwaitingBlocks. A scene without a vertex is refused with
// kStatusInvalidArg, as a 0-byte buffer is; the previous buffers then stay.
int32_t UploadSceneVertices(GraphicsState& graphics, const SceneModel& scene);

// Uploads the block records that UploadSceneVertices left out, every block model
// having been drawn by casting so far; the first frame that draws one as boxes calls
// this. True when it made the buffers.
bool UploadAwaitingBlocks(GraphicsState& graphics, const SceneModel& scene);

// Makes the stand-ins that frames drawn while the view moves draw for the objects of
// the last upload too big for such a frame (ReducedCopy.h), within `budget`, and
// frees the previous ones. The viewer calls it after each upload; pictures made once
// never need them.
void UploadReducedCopies(GraphicsState& graphics, const SceneModel& scene, const ReducedBudget& budget);

// The input layout of SceneVertex (POSITION, NORMAL, COLOR, 40 bytes apart) for the
// vertex array and the buffer bound now.
void SetSceneVertexLayout();

// Frees every graphics object; the state is empty again.
void ReleaseGraphics(GraphicsState& graphics);

// The matrices of a freshly fitted camera: the world matrix that moves the target to
// the origin, the view of the current camera at pitch 45 and the projection with the
// fit's far plane.
void FitCameraMatrices(GraphicsState& graphics, const ViewState& view, int32_t width, int32_t height);

// What a frame changes before it draws: the camera's yaw and the light's azimuth turn
// by their speeds times kTurnPerFrame, and objectCount is refreshed from kindCount.
void AdvanceFrame(ViewState& view, SceneModel& scene);

// Draws the records as they are: rebuilds the world and view matrices from the
// camera and, once the camera was fitted, the projection for the camera's distance
// (NearPlane) in the viewport's size; clears to the background colour, then draws
// the opaque objects and, once any object has been transparent, the two transparent
// sweeps. The caller presents the frame.
void DrawFrame(GraphicsState& graphics, const ViewState& view, const SceneModel& scene);

// One frame of the viewer: AdvanceFrame, then DrawFrame.
void RenderFrame(GraphicsState& graphics, ViewState& view, SceneModel& scene);

}  // namespace talan
