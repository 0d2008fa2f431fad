// The overlay drawn over every frame: a small triad of the file axes turned with the
// camera (x east red, y north green with an arrow and an "N", z up blue) in the bottom
// left corner, and a scale bar of a round length in the bottom right corner with its
// length written under it. It is laid out in the pixels of the full-size picture, so a
// smaller frame drawn while the view moves shows it as the full frame does, stretched.
// Neither the slab, depth, transparency, wireframe nor the vertical exaggeration
// touch it: exaggeration stretches elevations only, and the bar is horizontal.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include <glm/mat4x4.hpp>
#include <glm/vec2.hpp>

#include "render/ViewState.h"

namespace talan {

struct GraphicsState;

inline constexpr float kTriadAxisPixels = 40.0f;
inline constexpr float kTriadCentrePixels = 66.0f;  // right and up from the bottom left corner
inline constexpr double kScaleBarLeastPixels = 60.0;  // the bar runs from this to 2.5 times it

// File units that one pixel spans at the camera's target, for a picture `height`
// pixels tall: the perspective projection sees 2 d tan(fov / 2) across its height at
// distance d. 0 when the distance or height give none.
double UnitsPerPixelAtTarget(float cameraDistance, int32_t height);

// A bar of a round length (1, 2 or 5 times a power of ten, in file units) and its
// pixels: the shortest such length at least kScaleBarLeastPixels long, so under 2.5
// times that. Length 0 when `unitsPerPixel` is not a positive finite number.
struct ScaleBar {
    double length = 0.0;
    double pixels = 0.0;
};
ScaleBar ChooseScaleBar(double unitsPerPixel);

// A bar length as written under it: as few characters as "%g" gives ("200", "0.5",
// "2e+06").
std::string ScaleBarText(double length);

// Where a file axis (0 x east, 1 y north, 2 z up) points on the screen for the view
// matrix `view` (rotation only): right and up in pixels per unit of the axis, and its
// depth, positive away from the viewer.
struct ScreenAxis {
    glm::vec2 direction{0.0f};
    float depth = 0.0f;
};
ScreenAxis AxisOnScreen(const glm::mat4& view, int axis);

// One vertex of the overlay: a position in normalized device coordinates and a colour.
struct OverlayVertex {
    float x, y;
    float colour[4];
};

// The triangles of the overlay for a picture of width x height pixels, with the
// camera's view matrix and the view's distance: each stroke drawn first wider in a
// dark outline, then in its colour, so it reads on any background.
std::vector<OverlayVertex> OverlayTriangles(const glm::mat4& view, const ViewState& state, int32_t width,
                                            int32_t height);

// Draws the overlay into the bound framebuffer with a small program of its own: no
// depth, no blending, filled, never clipped by the slab. Leaves the frame's depth
// test, depth writes and slab planes as it found them.
void DrawOverlay(GraphicsState& graphics, const glm::mat4& view, const ViewState& state, int32_t width, int32_t height);

// Deletes the overlay's program and buffers.
void ReleaseOverlay(GraphicsState& graphics);

}  // namespace talan
