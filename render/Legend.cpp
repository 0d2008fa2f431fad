#include "render/Legend.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace talan {

namespace {

constexpr float kDark[4] = {0.0f, 0.0f, 0.0f, 1.0f};
constexpr float kWhite[4] = {1.0f, 1.0f, 1.0f, 1.0f};
constexpr int32_t kMargin = static_cast<int32_t>(kOverlayMargin);
// The name's line above the bar, clear of the top tick's label, which reaches half a
// line above the bar's top row.
constexpr int32_t kNameRoom = static_cast<int32_t>(kOverlayTextHeight) * 3 / 2 + 10;
constexpr int32_t kListNameRoom = static_cast<int32_t>(kOverlayTextHeight) + 8;  // the name's line above the swatches
constexpr int32_t kTickPixels = 5;

// The first line of categories, 8 pixels below the name's line: its middle row.
int32_t CategoryLine(int32_t height, int32_t line) {
    return height - kMargin - kListNameRoom - 8 - kLegendCategoryPitch * line;
}

// Lines of categories that fit between the name and the bottom margin.
int32_t CategoryLines(int32_t height) {
    const int32_t room = height - 2 * kMargin - kListNameRoom - 8 - kLegendCategoryPitch / 2;
    return room < 0 ? 0 : room / kLegendCategoryPitch + 1;
}

// A text cut to what the picture's width holds.
std::string Fitted(const std::string& text, int32_t width) {
    const auto most = static_cast<size_t>(
        std::max(1.0f, (static_cast<float>(width - 2 * kMargin) + kOverlayDot) / kOverlayTextAdvance));
    return text.size() <= most ? text : text.substr(0, most);
}

void NumberBar(OverlayPainter& painter, const Legend& legend, int32_t width, int32_t height) {
    const LegendBar bar = PlaceLegendBar(width, height);
    const auto left = static_cast<float>(bar.left), right = left + kLegendBarPixels;
    const auto bottom = static_cast<float>(bar.bottom), top = bottom + static_cast<float>(bar.rows);
    painter.Box({left - 1.0f, bottom - 1.0f}, {right + 1.0f, top + 1.0f}, kDark);
    for (int32_t row = 0; row < bar.rows; ++row) {
        const std::array<float, 4> colour =
            NumberColour(legend.map, LegendRowValue(legend, row, bar.rows), legend.low, legend.high);
        const float y = bottom + static_cast<float>(row);
        painter.Box({left, y}, {right, y + 1.0f}, colour.data());
    }
    const std::vector<std::string> ticks = LegendTickTexts(legend);
    for (size_t k = 0; k < ticks.size(); ++k) {
        const double value = ticks.size() == 1 ? legend.low
                                               : legend.low + (legend.high - legend.low) * static_cast<double>(k) / 4.0;
        const float y = bottom + static_cast<float>(LegendRowOfValue(legend, value, bar.rows)) + 0.5f;
        painter.Box({left - kTickPixels - 1.0f, y - 1.5f}, {left, y + 1.5f}, kDark);
        painter.Box({left - kTickPixels, y - 0.5f}, {left, y + 0.5f}, kWhite);
        // A label with no room left of the bar in a narrow picture is left out.
        const float end = left - kTickPixels - 4.0f;
        if (end - OverlayTextWidth(ticks[k].size()) - 2.0f >= 0.0f) painter.Text(ticks[k], {end, y}, 1.0f, kWhite);
    }
    painter.Text(Fitted(legend.name, width), {right, top + 6.0f + kOverlayTextHeight}, 1.0f, kWhite);
}

void CategoryList(OverlayPainter& painter, const Legend& legend, int32_t width, int32_t height) {
    const auto right = static_cast<float>(width - kMargin), left = right - kLegendSwatchPixels;
    painter.Text(Fitted(legend.name, width), {right, static_cast<float>(height - kMargin) - kOverlayTextHeight / 2.0f},
                 1.0f, kWhite);
    const int32_t listed = LegendListedCategories(legend, height);
    const auto half = static_cast<float>(kLegendSwatchPixels / 2);
    for (int32_t c = 0; c < listed; ++c) {
        const auto y = static_cast<float>(CategoryLine(height, c));
        painter.Box({left - 1.0f, y - half - 1.0f}, {right + 1.0f, y + half + 1.0f}, kDark);
        painter.Box({left, y - half}, {right, y + half}, CategoryColour(c).data());
        painter.Text(Fitted(legend.categoryNames[static_cast<size_t>(c)], width - kLegendSwatchPixels - 6),
                     {left - 6.0f, y}, 1.0f, kWhite);
    }
    const auto count = static_cast<int32_t>(legend.categoryNames.size());
    if (listed < count && listed < CategoryLines(height)) {
        std::string more = "+" + std::to_string(count - listed) + " more";
        if (OverlayTextWidth(more.size()) > static_cast<float>(width - 2 * kMargin)) more.resize(more.size() - 5);
        painter.Text(more, {right, static_cast<float>(CategoryLine(height, listed))}, 1.0f, kWhite);
    }
}

}  // namespace

LegendBar PlaceLegendBar(int32_t width, int32_t height) {
    LegendBar bar;
    const int32_t room = height - 2 * kMargin - kNameRoom;
    bar.rows = std::max(std::min(std::max(kLegendLeastRows, static_cast<int32_t>(std::lround(0.4 * height))), room), 2);
    bar.bottom = std::max(std::min((height - bar.rows) / 2, height - kMargin - kNameRoom - bar.rows), 0);
    bar.left = std::max(width - kMargin - kLegendBarPixels, 0);
    return bar;
}

double LegendRowValue(const Legend& legend, int32_t row, int32_t rows) {
    if (rows < 2 || row <= 0) return legend.low;
    if (row >= rows - 1) return legend.high;
    return legend.low + (legend.high - legend.low) * static_cast<double>(row) / static_cast<double>(rows - 1);
}

int32_t LegendRowOfValue(const Legend& legend, double value, int32_t rows) {
    if (std::isnan(value)) return -1;
    if (!(legend.high != legend.low)) return rows / 2;
    const double t = std::clamp((value - legend.low) / (legend.high - legend.low), 0.0, 1.0);
    return static_cast<int32_t>(std::lround(t * (rows - 1)));
}

LegendPixel LegendPixelOfValue(const Legend& legend, double value, int32_t width, int32_t height) {
    if (!legend.shown || legend.categories || std::isnan(value)) return {};
    const LegendBar bar = PlaceLegendBar(width, height);
    const int32_t row = bar.bottom + LegendRowOfValue(legend, value, bar.rows);
    return {true, bar.left + kLegendBarPixels / 2, height - 1 - row};
}

LegendPixel LegendPixelOfCategory(const Legend& legend, int32_t category, int32_t width, int32_t height) {
    if (!legend.shown || !legend.categories || category < 0 || category >= LegendListedCategories(legend, height)) {
        return {};
    }
    return {true, width - kMargin - kLegendSwatchPixels / 2, height - 1 - CategoryLine(height, category)};
}

int32_t LegendListedCategories(const Legend& legend, int32_t height) {
    const auto count = static_cast<int32_t>(legend.categoryNames.size());
    const int32_t lines = std::min(CategoryLines(height), kLegendMostCategories + 1);
    if (count <= lines && count <= kLegendMostCategories) return count;
    return std::max(std::min(lines - 1, kLegendMostCategories), 0);
}

std::vector<std::string> LegendTickTexts(const Legend& legend) {
    const int ticks = legend.high != legend.low ? 5 : 1;
    std::vector<std::string> texts;
    for (int k = 0; k < ticks; ++k) {
        char text[32];
        std::snprintf(text, sizeof text, "%.4g", legend.low + (legend.high - legend.low) * k / 4.0);
        texts.emplace_back(text);
    }
    return texts;
}

std::vector<OverlayVertex> LegendTriangles(const Legend& legend, int32_t width, int32_t height) {
    if (!legend.shown) return {};
    OverlayPainter painter{static_cast<float>(std::max(width, 1)), static_cast<float>(std::max(height, 1)), {}};
    if (legend.categories) {
        CategoryList(painter, legend, width, height);
    } else {
        NumberBar(painter, legend, width, height);
    }
    return painter.vertices;
}

void DrawLegend(GraphicsState& graphics, const Legend& legend, int32_t width, int32_t height) {
    DrawOverlayTriangles(graphics, LegendTriangles(legend, width, height));
}

}  // namespace talan
