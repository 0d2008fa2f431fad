// The overlay of axes and scale: the bar's round length and its pixels at any
// distance, the number written under it, the triad turned with the camera, and the
// triad as drawn over a plan view.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <set>
#include <string>
#include <vector>

#include "GlSceneTest.h"
#include "render/CameraMath.h"
#include "render/FrameTarget.h"
#include "render/Overlay.h"

namespace talan {
namespace {

TEST(Overlay, TheScaleBarIsTheShortestRoundLengthOfAtLeastSixtyPixels) {
    // From a hundredth of a unit to continents, on small and large pictures.
    for (float distance : {1e-4f, 0.037f, 1.0f, 13.0f, 1234.5f, 8.1e5f, 3e9f, 1e30f}) {
        for (int32_t height : {120, 600, 2160}) {
            SCOPED_TRACE(::testing::Message() << "distance " << distance << ", height " << height);
            const double perPixel = UnitsPerPixelAtTarget(distance, height);
            EXPECT_NEAR(perPixel, 2.0 * distance * std::tan(kFieldOfViewY / 2.0) / height, perPixel * 1e-6);
            const ScaleBar bar = ChooseScaleBar(perPixel);
            ASSERT_GT(bar.length, 0.0);
            const double power = std::pow(10.0, std::floor(std::log10(bar.length) + 1e-9));
            const double mantissa = bar.length / power;
            EXPECT_TRUE(std::abs(mantissa - 1) < 1e-9 || std::abs(mantissa - 2) < 1e-9 || std::abs(mantissa - 5) < 1e-9)
                << bar.length;
            EXPECT_NEAR(bar.pixels, bar.length / perPixel, bar.pixels * 1e-9);
            EXPECT_GE(bar.pixels, 60.0);
            EXPECT_LT(bar.pixels, 150.0);
            // The next smaller round length would fall short of 60 pixels.
            const double smaller = (mantissa > 3 ? 0.4 : 0.5) * bar.length;
            EXPECT_LT(smaller / perPixel, 60.0);
        }
    }
    // Exactly 60 pixels of a round length is taken as it is.
    EXPECT_DOUBLE_EQ(ChooseScaleBar(200.0 / 60.0).length, 200.0);
    // No distance, no picture, or no number: no bar.
    for (double perPixel : {UnitsPerPixelAtTarget(0.0f, 600), UnitsPerPixelAtTarget(-5.0f, 600),
                            UnitsPerPixelAtTarget(10.0f, 0), UnitsPerPixelAtTarget(NAN, 600),
                            UnitsPerPixelAtTarget(INFINITY, 600)}) {
        EXPECT_EQ(ChooseScaleBar(perPixel).length, 0.0);
    }
}

TEST(Overlay, TheBarLengthIsWrittenShort) {
    const std::pair<double, const char*> cases[] = {{1, "1"},          {200, "200"},      {0.5, "0.5"},
                                                    {0.001, "0.001"},  {5e-05, "5e-05"},  {100000, "100000"},
                                                    {2e6, "2e+06"},    {5e-3 * 4, "0.02"}};
    for (const auto& [length, text] : cases) EXPECT_EQ(ScaleBarText(length), text);
    // Every length the bar can take is written with the characters of its font.
    for (double perPixel = 1e-9; perPixel < 1e12; perPixel *= 3.7) {
        const std::string text = ScaleBarText(ChooseScaleBar(perPixel).length);
        EXPECT_EQ(text.find_first_not_of("0123456789.-+e"), std::string::npos) << text;
        EXPECT_LE(text.size(), 6u) << text;
    }
}

// The dots a text is drawn with, as (column, row) pairs of the painter's pixels.
std::vector<std::pair<float, float>> Dots(const std::string& text, float align = 0.0f) {
    OverlayPainter painter{100.0f, 100.0f, {}};
    painter.Text(text, {50.0f, 50.0f}, align, std::array<float, 4>{1, 1, 1, 1}.data());
    std::vector<std::pair<float, float>> corners;
    for (const OverlayVertex& v : painter.vertices) corners.emplace_back(v.x * 50.0f + 50.0f, v.y * 50.0f + 50.0f);
    return corners;
}

TEST(Overlay, TheFontWritesEveryPrintableCharacterItsOwnWayAndOthersAsAQuestionMark) {
    std::set<std::vector<std::pair<float, float>>> glyphs;
    for (char c = 33; c < 127; ++c) {
        const std::vector<std::pair<float, float>> dots = Dots(std::string(1, c));
        EXPECT_FALSE(dots.empty()) << c;
        EXPECT_TRUE(glyphs.insert(dots).second) << "'" << c << "' looks like another character";
    }
    EXPECT_TRUE(Dots(" ").empty());
    EXPECT_EQ(Dots("\xc3\xa9"), Dots("??")) << "the two bytes of an accented letter";
    EXPECT_EQ(Dots(std::string(1, '\0')), Dots("?"));
    // Aligned by its right end: the same dots, one text width to the left.
    const auto left = Dots("Au", 0.0f), right = Dots("Au", 1.0f);
    ASSERT_EQ(left.size(), right.size());
    EXPECT_FLOAT_EQ(OverlayTextWidth(2), 22.0f);
    for (size_t i = 0; i < left.size(); ++i) EXPECT_NEAR(left[i].first - right[i].first, 22.0f, 1e-3f);
}

// Where each file axis points on the screen, rounded: (right, up).
std::vector<std::pair<int, int>> Triad(float yaw, float pitch) {
    ViewState view;
    view.cameraDistance = 100.0f;
    const glm::mat4 matrix = BuildViewMatrix(view, pitch * kDegreesToRadians, yaw * kDegreesToRadians);
    std::vector<std::pair<int, int>> axes;
    for (int axis = 0; axis < 3; ++axis) {
        const ScreenAxis on = AxisOnScreen(matrix, axis);
        axes.emplace_back(static_cast<int>(std::lround(on.direction.x)), static_cast<int>(std::lround(on.direction.y)));
    }
    return axes;
}

TEST(Overlay, TheTriadTurnsWithTheCamera) {
    using Axes = std::vector<std::pair<int, int>>;
    // Straight down: north up at yaw 0, the yaw's heading up as it turns.
    EXPECT_EQ(Triad(0, 90), (Axes{{1, 0}, {0, 1}, {0, 0}}));
    EXPECT_EQ(Triad(90, 90), (Axes{{0, 1}, {-1, 0}, {0, 0}})) << "east up, north to the left";
    EXPECT_EQ(Triad(180, 90), (Axes{{-1, 0}, {0, -1}, {0, 0}}));
    // Level towards north: east right, up up, north straight into the picture.
    EXPECT_EQ(Triad(0, 0), (Axes{{1, 0}, {0, 0}, {0, 1}}));
    ViewState view;
    view.cameraDistance = 100.0f;
    EXPECT_GT(AxisOnScreen(BuildViewMatrix(view, 0.0f, 0.0f), 1).depth, 0.99f);
    // Looking east from the west: north to the left.
    EXPECT_EQ(Triad(90, 0), (Axes{{0, 0}, {-1, 0}, {0, 1}}));
}

constexpr int32_t kWidth = 320, kHeight = 240;
class OverlayPicture : public testing::GlSceneTest<kWidth, kHeight> {
protected:
    // The middle of the pixels of one axis colour within the triad's corner, in
    // pixels right and up from the triad's centre; the count of them.
    std::pair<glm::vec2, int> Centroid(const std::vector<uint8_t>& pixels, int channel) {
        glm::vec2 sum(0.0f);
        int count = 0;
        for (int row = kHeight - 120; row < kHeight; ++row) {
            for (int column = 0; column < 120; ++column) {
                const uint8_t* p = &pixels[4 * (static_cast<size_t>(row) * kWidth + column)];
                const bool strong = p[channel] > 200;
                const bool others = p[(channel + 1) % 3] < 100 && p[(channel + 2) % 3] < 100;
                if (!strong || !others) continue;
                sum += glm::vec2(column, kHeight - 1 - row);
                ++count;
            }
        }
        const glm::vec2 centre(kTriadCentrePixels);
        return {count > 0 ? sum / static_cast<float>(count) - centre + glm::vec2(0.5f) : glm::vec2(0.0f), count};
    }
};

TEST_F(OverlayPicture, NorthPointsUpInAPlanViewAndLeftTurnedNinetyDegrees) {
    // A grey square, so that the axes' colours stand out.
    ASSERT_EQ(LoadText("\"Tavrin\"\n" + testing::TagLine("T3", 2) + "1,8421504,8421504,\nSquare,\n"
                       "0,0,0,100,0,0,100,100,0,\n0,0,0,100,100,0,0,100,0,\n"),
              kStatusOk);
    view.overlay = true;
    view.cameraPitch = 90.0f;
    // The slab and wireframe leave the overlay alone.
    view.section = {2, 0.0, 1.0};
    graphics.opaqueRasterDesc.fillMode = FillMode::Wireframe;
    for (const auto& [yaw, north, east] : {std::tuple(0.0f, glm::vec2(0, 1), glm::vec2(1, 0)),
                                           std::tuple(90.0f, glm::vec2(-1, 0), glm::vec2(0, 1))}) {
        SCOPED_TRACE(::testing::Message() << "yaw " << yaw);
        view.cameraYaw = yaw;
        DrawFrame(graphics, view, scene);
        const std::vector<uint8_t> pixels = ReadHeadlessPixels(headless_);
        const auto [green, greens] = Centroid(pixels, 1);
        const auto [red, reds] = Centroid(pixels, 0);
        EXPECT_GT(greens, 60);
        EXPECT_GT(reds, 60);
        // Each axis' middle lies about half its length out along its direction.
        EXPECT_GT(glm::dot(green, north), 15.0f) << green.x << "," << green.y;
        EXPECT_LT(std::abs(glm::dot(green, east)), 2.0f) << green.x << "," << green.y;
        EXPECT_GT(glm::dot(red, east), 15.0f) << red.x << "," << red.y;
        EXPECT_LT(std::abs(glm::dot(red, north)), 2.0f) << red.x << "," << red.y;
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    // Switched off, the corner shows no axis.
    view.overlay = false;
    DrawFrame(graphics, view, scene);
    EXPECT_EQ(Centroid(ReadHeadlessPixels(headless_), 1).second, 0);
}

}  // namespace
}  // namespace talan
