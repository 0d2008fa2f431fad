// The legend of the colouring by value: where its bar and swatches lie, the row of a
// value, and, drawn, the same bytes in the legend at a value as on the segments that
// carry it.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "GlSceneTest.h"
#include "ValueTestScene.h"
#include "render/CameraMath.h"
#include "render/Legend.h"

namespace talan {
namespace {

using testing::AddSegments;
using testing::NumberColumn;
using testing::TextColumn;

Legend Numbers(double low, double high) {
    Legend legend;
    legend.shown = true;
    legend.name = "Au ppm";
    legend.low = low;
    legend.high = high;
    return legend;
}

Legend Categories(int count) {
    Legend legend;
    legend.shown = true;
    legend.categories = true;
    legend.name = "Rock";
    for (int c = 0; c < count; ++c) legend.categoryNames.push_back("rock type " + std::to_string(c));
    return legend;
}

TEST(Legend, TheBarIsFortyPercentOfTheHeightAtLeastAHundredRowsAndFitsSmallPictures) {
    EXPECT_EQ(PlaceLegendBar(800, 600).rows, 240);
    EXPECT_EQ(PlaceLegendBar(800, 600).left, 800 - 14 - 20);
    EXPECT_EQ(PlaceLegendBar(320, 240).rows, 100);
    for (int32_t height : {2160, 600, 240, 150, 90, 60, 30, 1}) {
        const LegendBar bar = PlaceLegendBar(320, height);
        EXPECT_GE(bar.rows, 2);
        EXPECT_GE(bar.bottom, 0);
        if (height >= 60) {
            EXPECT_LE(bar.bottom + bar.rows + 22, height) << height << ": room for the name above";
        }
    }
}

TEST(Legend, RowsRunFromLowAtTheBottomToHighAtTheTop) {
    const Legend legend = Numbers(-2, 7);
    EXPECT_EQ(LegendRowValue(legend, 0, 10), -2.0);
    EXPECT_EQ(LegendRowValue(legend, 9, 10), 7.0);
    EXPECT_EQ(LegendRowValue(legend, 3, 10), 1.0);
    EXPECT_EQ(LegendRowOfValue(legend, -2, 10), 0);
    EXPECT_EQ(LegendRowOfValue(legend, -1e9, 10), 0);
    EXPECT_EQ(LegendRowOfValue(legend, 7, 10), 9);
    EXPECT_EQ(LegendRowOfValue(legend, INFINITY, 10), 9);
    EXPECT_EQ(LegendRowOfValue(legend, 1.4, 10), 3);
    EXPECT_EQ(LegendRowOfValue(legend, 1.6, 10), 4);
    EXPECT_EQ(LegendRowOfValue(legend, NAN, 10), -1);
    for (int32_t row = 0; row < 10; ++row) {
        EXPECT_EQ(LegendRowOfValue(legend, LegendRowValue(legend, row, 10), 10), row);
    }
    EXPECT_EQ(LegendRowOfValue(Numbers(3, 3), 3, 10), 5) << "equal limits: the middle";
    // Pixels as read back count rows from the top: a higher value is higher up.
    EXPECT_LT(LegendPixelOfValue(legend, 7, 320, 240).y, LegendPixelOfValue(legend, -2, 320, 240).y);
    EXPECT_EQ(LegendPixelOfValue(legend, -2, 320, 240).y, 240 - 1 - PlaceLegendBar(320, 240).bottom);
    EXPECT_FALSE(LegendPixelOfValue(legend, NAN, 320, 240).drawn);
    EXPECT_FALSE(LegendPixelOfValue(Categories(2), 1, 320, 240).drawn);
}

TEST(Legend, TicksAreShortNumbersFromLowToHigh) {
    EXPECT_EQ(LegendTickTexts(Numbers(0, 100)), (std::vector<std::string>{"0", "25", "50", "75", "100"}));
    EXPECT_EQ(LegendTickTexts(Numbers(-1e6, 1e6)),
              (std::vector<std::string>{"-1e+06", "-5e+05", "0", "5e+05", "1e+06"}));
    EXPECT_EQ(LegendTickTexts(Numbers(0.1, 0.1)), (std::vector<std::string>{"0.1"}));
}

TEST(Legend, StaysInsideThePictureAndListsAtMostSixteenCategories) {
    EXPECT_TRUE(LegendTriangles(Legend{}, 320, 240).empty());
    EXPECT_EQ(LegendListedCategories(Categories(5), 600), 5);
    EXPECT_EQ(LegendListedCategories(Categories(16), 600), 16);
    EXPECT_EQ(LegendListedCategories(Categories(40), 600), 16);
    EXPECT_EQ(LegendListedCategories(Categories(16), 120), 3) << "room for three lines and the \"+N more\"";
    EXPECT_FALSE(LegendPixelOfCategory(Categories(40), 16, 800, 600).drawn);
    EXPECT_TRUE(LegendPixelOfCategory(Categories(40), 15, 800, 600).drawn);
    for (const Legend& legend : {Numbers(-0.000123, 98765.4), Numbers(1, 1), Categories(3), Categories(40)}) {
        for (const auto& [width, height] : {std::pair(1920, 1080), std::pair(320, 240), std::pair(160, 120),
                                            std::pair(100, 80)}) {
            const std::vector<OverlayVertex> vertices = LegendTriangles(legend, width, height);
            EXPECT_FALSE(vertices.empty());
            for (const OverlayVertex& v : vertices) {
                ASSERT_TRUE(v.x >= -1.0f && v.x <= 1.0f && v.y >= -1.0f && v.y <= 1.0f)
                    << legend.name << " at " << width << "x" << height << ": " << v.x << "," << v.y;
            }
        }
    }
}

constexpr int32_t kWidth = 320, kHeight = 240;
class LegendPicture : public testing::GlSceneTest<kWidth, kHeight> {
protected:
    // A hole of a bare trace segment and one segment per value, and a line without
    // values, loaded as a file would be; seen from above.
    void Load(std::vector<float> values, const ColourBy& by) {
        hole = AddSegments(scene, "hole", static_cast<int32_t>(values.size()) + 1, -40, 0, {1, 1, 1, 1});
        ObjectValues& carried = scene.objectValues[hole];
        carried.firstVertex = 2;
        carried.verticesPerValue = 2;
        carried.columns = {NumberColumn("Au", values),
                           TextColumn("Rock", std::vector<int32_t>(values.size(), 0), {"schist"})};
        for (size_t i = 0; i < values.size(); ++i) carried.columns[1].categories[i] = static_cast<int32_t>(i % 3);
        carried.columns[1].categoryNames = {"schist", "granite", "basalt"};
        plain = AddSegments(scene, "plain", 2, -40, 15, {1.0f, 0.0f, 1.0f, 1.0f});
        view.colourBy = by;
        SceneReadResult read;
        read.read = true;
        ASSERT_EQ(CompleteSceneLoad(scene, view, read, false, [&] { return UploadSceneVertices(graphics, scene); }),
                  kStatusOk);
        FitCameraMatrices(graphics, view, kWidth, kHeight);
        // From above, 180 pixels across the hole from 20 pixels in: clear of the legend
        // on the right and of the triad in the bottom left corner.
        const double unitsPerPixel = 96.0 / 180.0;
        view.cameraPitch = 90.0f;
        view.cameraYaw = 0.0f;
        view.cameraTarget = {static_cast<float>(-40.0 + 140.0 * unitsPerPixel), -21.0f, 0.0f};
        view.cameraDistance = static_cast<float>(unitsPerPixel / UnitsPerPixelAtTarget(1.0f, kHeight));
        view.farPlane = 100000;
        DrawFrame(graphics, view, scene);
        pixels = ReadHeadlessPixels(headless_);
    }

    std::array<uint8_t, 3> At(int32_t x, int32_t y) const {
        const uint8_t* p = &pixels[4 * (static_cast<size_t>(y) * kWidth + static_cast<size_t>(x))];
        return {p[0], p[1], p[2]};
    }

    // The drawn colour of segment `s` of an object: the pixel at its middle that is not
    // background, within a row or two of where its line falls.
    std::array<uint8_t, 3> Segment(size_t object, int s) const {
        const SceneVertex& v = scene.sceneVertices[static_cast<size_t>(scene.firstStored[object]) + 2 * s];
        const glm::mat4 projection =
            BuildProjectionMatrix(kWidth, kHeight, view.farPlane, NearPlane(view.cameraDistance, view.farPlane));
        const glm::mat4 turn =
            BuildViewMatrix(view, view.cameraPitch * kDegreesToRadians, view.cameraYaw * kDegreesToRadians);
        const glm::mat4 matrix = projection * turn * BuildWorldMatrix(view);
        const glm::vec4 clip = matrix * glm::vec4(v.position[0] + 3.0f, v.position[1], v.position[2], 1.0f);
        const auto x = static_cast<int32_t>(std::floor((clip.x / clip.w * 0.5f + 0.5f) * kWidth));
        const auto y = static_cast<int32_t>(std::floor((0.5f - clip.y / clip.w * 0.5f) * kHeight));
        const std::array<uint8_t, 3> background = At(0, 0);
        for (int32_t dy : {0, -1, 1, -2, 2}) {
            if (At(x, y + dy) != background) return At(x, y + dy);
        }
        ADD_FAILURE() << "segment " << s << " not drawn near " << x << "," << y;
        return background;
    }

    std::array<uint8_t, 3> Bytes(std::array<float, 4> colour) const {
        const auto byte = [](float channel) { return static_cast<uint8_t>(std::lround(channel * 255.0f)); };
        return {byte(colour[0]), byte(colour[1]), byte(colour[2])};
    }

    size_t hole = 0, plain = 0;
    std::vector<uint8_t> pixels;
};

TEST_F(LegendPicture, TheLegendShowsAtEachValueTheBytesDrawnForIt) {
    // 100 rows from 10 to 109: a row per whole number. Values at, below and above the
    // limits, and between them.
    const std::vector<float> values = {10.0f, 5.0f, 109.0f, 250.0f, 37.0f, 73.0f, 60.0f, NAN};
    view.overlay = true;  // the overlay drawn too; the legend comes after it
    Load(values, {"Au", ColourMap::Viridis, true, 10.0, 109.0});
    ASSERT_TRUE(view.legend.shown);
    ASSERT_EQ(PlaceLegendBar(kWidth, kHeight).rows, 100);
    for (size_t i = 0; i + 1 < values.size(); ++i) {
        SCOPED_TRACE(::testing::Message() << "value " << values[i]);
        const LegendPixel at = LegendPixelOfValue(view.legend, values[i], kWidth, kHeight);
        ASSERT_TRUE(at.drawn);
        EXPECT_EQ(Segment(hole, static_cast<int>(i) + 1), At(at.x, at.y));
        EXPECT_EQ(At(at.x, at.y), Bytes(NumberColour(ColourMap::Viridis, values[i], 10, 109)));
    }
    // Below low the bottom row, above high the top row.
    const LegendBar bar = PlaceLegendBar(kWidth, kHeight);
    EXPECT_EQ(LegendPixelOfValue(view.legend, 5, kWidth, kHeight).y, kHeight - 1 - bar.bottom);
    EXPECT_EQ(LegendPixelOfValue(view.legend, 250, kWidth, kHeight).y, kHeight - bar.bottom - bar.rows);
    EXPECT_EQ(At(bar.left + 10, kHeight - bar.bottom - bar.rows), Bytes(NumberColour(ColourMap::Viridis, 1e9, 0, 1)));
    // The missing value grey, the trace and the line without values in their own colours.
    EXPECT_EQ(Segment(hole, static_cast<int>(values.size())), (std::array<uint8_t, 3>{128, 128, 128}));
    EXPECT_EQ(Segment(hole, 0), (std::array<uint8_t, 3>{255, 255, 255}));
    EXPECT_EQ(Segment(plain, 1), (std::array<uint8_t, 3>{255, 0, 255}));
    // Each row of the bar one colour, changing up the bar.
    int changes = 0;
    for (int32_t row = bar.bottom; row + 1 < bar.bottom + bar.rows; ++row) {
        EXPECT_EQ(At(bar.left + 1, kHeight - 1 - row), At(bar.left + kLegendBarPixels - 2, kHeight - 1 - row));
        changes += At(bar.left + 10, kHeight - 1 - row) != At(bar.left + 10, kHeight - 2 - row);
    }
    EXPECT_GT(changes, 50);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(LegendPicture, SwatchesShowTheCategoriesDrawnColours) {
    Load({1, 2, 3, 4}, {"Rock"});
    ASSERT_TRUE(view.legend.categories);
    ASSERT_EQ(view.legend.categoryNames.size(), 3u);
    for (int s = 0; s < 4; ++s) {
        const LegendPixel at = LegendPixelOfCategory(view.legend, s % 3, kWidth, kHeight);
        ASSERT_TRUE(at.drawn);
        EXPECT_EQ(Segment(hole, s + 1), At(at.x, at.y)) << s;
        EXPECT_EQ(At(at.x, at.y), Bytes(CategoryColour(s % 3))) << s;
    }
}

TEST_F(LegendPicture, NoValueNoLegend) {
    Load({1, 2}, {});
    EXPECT_FALSE(view.legend.shown);
    const LegendBar bar = PlaceLegendBar(kWidth, kHeight);
    const std::array<uint8_t, 3> background = At(0, 0);
    for (int32_t y = 0; y < kHeight; ++y) {
        for (int32_t x = bar.left - 60; x < kWidth; ++x) ASSERT_EQ(At(x, y), background) << x << "," << y;
    }
    // Coloured by a value no object carries: none either.
    SceneModel other;
    scene = std::move(other);
    Load({1, 2}, {"Ag"});
    EXPECT_FALSE(view.legend.shown);
    EXPECT_EQ(Segment(hole, 1), (std::array<uint8_t, 3>{255, 255, 255}));
}

}  // namespace
}  // namespace talan
