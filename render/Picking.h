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

// What a pick of pixel (x, y), top row 0, asks of the scene, given the depth the
// frame RenderFrame last drew left there (0 to 1): the point drawn there, the ray
// through the pixel's centre from the near plane, how far along the ray a few steps
// of the depth buffer reach, the width of the pixel at the drawn point, and the
// slab's bounds.
PickQuery PixelQuery(const GraphicsState& graphics, const ViewState& view, int32_t x, int32_t y, float depth);

// Picks pixel (x, y), top row 0, of the frame RenderFrame last drew into
// `framebuffer` of the current context, a viewport of graphics' size. The depth there
// places a point, which a depth buffer of 24 or 32 bits knows only roughly at a
// distance; the element drawn there (FindPickedElement) gives it exactly.
PickResult PickPixel(const GraphicsState& graphics, const ViewState& view, const SceneModel& scene, int32_t x,
                     int32_t y, GLuint framebuffer);

}  // namespace talan
