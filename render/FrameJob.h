// A frame as a list of draw steps, so that a frame too slow for one turn of the
// viewer's event loop can be drawn a piece at a time: a run of records of an object,
// or a band of rows of a block model drawn by casting. The pieces draw in the order
// the whole frame would, into a framebuffer of their own, so the finished picture is
// the one a frame drawn at once gives.
#pragma once

#include <cstdint>
#include <vector>

#include <epoxy/gl.h>
#include <glm/mat4x4.hpp>

#include "render/GraphicsState.h"
#include "render/ViewState.h"
#include "scene/SceneModel.h"

namespace talan {

// What a frame hands every program of a pass.
struct FrameValues {
    glm::mat4 projection;  // as the pipeline's depth range needs it
    float lightDir[8];
    float lightColor[8];
    float ambient;
    float sectionPlanes[8];
};

// One draw of a frame. Sweeps: 0 opaque, 1 transparent faces turned away, 2
// transparent faces turned to the viewer.
struct DrawStep {
    enum class Kind : uint8_t { Records, Cast, Marks, Overlay, Legend };
    Kind kind = Kind::Records;
    uint8_t sweep = 0;
    bool reduced = false;  // from the object's reduced copy
    bool blocks = false;   // block records, one box each
    uint32_t pass = 0;
    uint32_t object = 0;
    GLenum topology = GL_TRIANGLES;
    int64_t first = 0;  // the first record, or the first row of a cast
    int64_t count = 0;  // records, or rows of a cast
};

struct FrameJob {
    GLuint framebuffer = 0;
    int32_t width = 0, height = 0;
    glm::mat4 world{1.0f}, view{1.0f}, projection{1.0f};  // as the frame began
    FrameValues values{};
    ViewState viewState;  // the transparency level, slab and marks the frame began with
    bool reduced = false;
    std::vector<DrawStep> steps;
    size_t next = 0;         // the step drawn next
    int64_t doneInStep = 0;  // of its records or rows, those drawn
    int64_t workTotal = 0, workDone = 0;  // records and rows, for the progress shown

    bool Done() const { return next >= steps.size(); }
};

// How a frame is drawn: where, at what size, and whether objects with a reduced copy
// draw it (a frame while the view moves).
struct FrameOptions {
    GLuint framebuffer = 0;
    int32_t width = 0, height = 0;
    bool reduced = false;
};

// Starts a frame: rebuilds the world and view matrices from the camera and, once the
// camera was fitted, the projection for the camera's distance in the frame's size;
// clears to the background colour and lists the steps: the opaque objects and, once
// any object has been transparent, the two transparent sweeps, then the
// measurement's marks, then, while the view shows it, the overlay of axes and scale,
// and last, while the view colours by a value, its legend.
FrameJob BeginFrame(GraphicsState& graphics, const ViewState& view, const SceneModel& scene, const FrameOptions& options);

// Draws the next steps of the frame, all of them when `seconds` is 0 or less;
// otherwise in pieces sized to take a few hundredths of a second each, until
// `seconds` have passed. True when the frame is finished.
bool DrawFramePieces(GraphicsState& graphics, FrameJob& job, double seconds);

}  // namespace talan
