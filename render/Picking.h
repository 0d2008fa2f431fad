// What lies under a pixel of the picture: the point, read from the depth buffer and
// unprojected with the frame's matrices, and the element it belongs to.
#pragma once

#include <cstdint>

#include "render/GraphicsState.h"
#include "render/ViewState.h"
#include "scene/ScenePicking.h"

namespace talan {

struct PickResult {
    bool hit = false;      // something is drawn at the pixel
    FilePoint point{};     // file axes, on the element's surface
    ElementHit element;    // its object and element number
};

// Picks pixel (x, y), top row 0, of the frame RenderFrame last drew into
// `framebuffer` of the current context, a viewport of graphics' size. The depth there
// places a point, which a depth buffer of 24 or 32 bits knows only roughly at a
// distance; the element drawn there (FindPickedElement) gives it exactly.
PickResult PickPixel(const GraphicsState& graphics, const ViewState& view, const SceneModel& scene, int32_t x,
                     int32_t y, GLuint framebuffer);

}  // namespace talan
