// The legend of the colouring by value, drawn over every frame after the overlay
// while the view colours by a value: for numbers a vertical colour bar at the right
// side, low at the bottom and high at the top, with five numbered ticks and the
// value's name above it; for texts a swatch per category with its name, the first 16,
// then how many more. Laid out like the overlay in the pixels of the full-size picture.
// Every pixel row of the bar is one flat colour, NumberColour of the row's value, so
// the colour the legend shows at a value is the colour drawn for that value.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/Overlay.h"
#include "scene/ValueColours.h"

namespace talan {

struct GraphicsState;

inline constexpr int32_t kLegendBarPixels = 20;        // the bar's width
inline constexpr int32_t kLegendLeastRows = 100;       // the bar's height where the picture has room
inline constexpr int32_t kLegendSwatchPixels = 12;     // a category's swatch, a side
inline constexpr int32_t kLegendCategoryPitch = 16;    // from one category's line to the next
inline constexpr int32_t kLegendMostCategories = 16;   // listed before "+N more"

// Where the bar lies in a picture of width x height pixels: columns [left, left +
// kLegendBarPixels), rows [bottom, bottom + rows) counted up from the bottom. The bar
// is 40% of the height, at least kLegendLeastRows, at most what leaves room for the
// margins and the name above it, and never under 2 rows.
struct LegendBar {
    int32_t left = 0, bottom = 0, rows = 2;
};
LegendBar PlaceLegendBar(int32_t width, int32_t height);

// The value whose colour row `row` (0 the bottom) of a bar of `rows` rows shows: `low`
// on the bottom row, `high` on the top row, evenly between.
double LegendRowValue(const Legend& legend, int32_t row, int32_t rows);

// The row of a bar of `rows` rows that shows `value`: the nearest, the bottom row below
// `low`, the top row above `high`, the middle row when the limits are equal; -1 for NaN.
int32_t LegendRowOfValue(const Legend& legend, double value, int32_t rows);

// A pixel of the picture as read back: column from the left, row from the top.
struct LegendPixel {
    bool drawn = false;
    int32_t x = 0, y = 0;
};

// The middle of the bar's row that shows `value`; not drawn for NaN, for a legend of
// categories or one not shown.
LegendPixel LegendPixelOfValue(const Legend& legend, double value, int32_t width, int32_t height);

// The middle of category `category`'s swatch; not drawn past those listed, for a
// legend of numbers or one not shown.
LegendPixel LegendPixelOfCategory(const Legend& legend, int32_t category, int32_t width, int32_t height);

// The categories listed with a swatch in a picture `height` pixels tall: at most
// kLegendMostCategories, fewer where the height has no room for them and the "+N more".
int32_t LegendListedCategories(const Legend& legend, int32_t height);

// The ticks' labels: five numbers from low to high ("%g" with four digits), one
// when the limits are equal.
std::vector<std::string> LegendTickTexts(const Legend& legend);

// The triangles of the legend for a picture of width x height pixels; none when the
// legend is not shown.
std::vector<OverlayVertex> LegendTriangles(const Legend& legend, int32_t width, int32_t height);

// Draws the legend into the bound framebuffer with the overlay's program, over everything.
void DrawLegend(GraphicsState& graphics, const Legend& legend, int32_t width, int32_t height);

}  // namespace talan
