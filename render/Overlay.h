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
#include <string_view>
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

// The overlay's lettering: a 5 x 7 dot font of the printable ASCII characters, each
// dot kOverlayDot pixels a side, kOverlayTextAdvance pixels from one character to the next.
inline constexpr float kOverlayDot = 2.0f;
inline constexpr float kOverlayTextAdvance = 6.0f * kOverlayDot;
inline constexpr float kOverlayTextHeight = 7.0f * kOverlayDot;
inline constexpr float kOverlayMargin = 14.0f;  // from the picture's edges

// Pixels across a text of `characters` characters, from its first dot to its last column.
float OverlayTextWidth(size_t characters);

// Collects quads in pixels of a picture of width x height (origin bottom left) as
// triangles in device coordinates, for the overlay and the legend.
struct OverlayPainter {
    float width, height;
    std::vector<OverlayVertex> vertices;

    void Corner(glm::vec2 p, const float colour[4]);
    void Quad(glm::vec2 a, glm::vec2 b, glm::vec2 c, glm::vec2 d, const float colour[4]);
    // The rectangle from `low` (bottom left) to `high` (top right), in one colour.
    void Box(glm::vec2 low, glm::vec2 high, const float colour[4]);
    // A stroke from a to b, `half` pixels to each side and past each end.
    void Stroke(glm::vec2 a, glm::vec2 b, float half, const float colour[4]);
    // A stroke drawn first wider in a dark outline, then in its colour.
    void OutlinedStroke(glm::vec2 a, glm::vec2 b, const float colour[4]);
    // A line of text, its dots outlined in dark first, then drawn in `colour`: its
    // vertical middle at at.y, and at.x at the share `align` of its width (0 its left
    // end, 0.5 its middle, 1 its right end). Bytes outside printable ASCII show as '?'.
    void Text(std::string_view text, glm::vec2 at, float align, const float colour[4]);
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

// Draws triangles of the overlay's kind (a painter's vertices) into the bound
// framebuffer as DrawOverlay does: over everything, never clipped by the slab.
void DrawOverlayTriangles(GraphicsState& graphics, const std::vector<OverlayVertex>& vertices);

// Deletes the overlay's program and buffers.
void ReleaseOverlay(GraphicsState& graphics);

}  // namespace talan
