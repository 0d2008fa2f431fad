// Colouring by value: the maps' ends and middle, limits, missing values, categories,
// and the rewrite of the colours of a scene's objects.
#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "ValueTestScene.h"
#include "scene/ValueColours.h"

namespace talan {
namespace {

using Colour = std::array<float, 4>;
using testing::AddSegments;
using testing::NumberColumn;
using testing::TextColumn;

Colour Hex(uint32_t rgb) {
    return {static_cast<float>(rgb >> 16 & 0xFF) / 255.0f, static_cast<float>(rgb >> 8 & 0xFF) / 255.0f,
            static_cast<float>(rgb & 0xFF) / 255.0f, 1.0f};
}

Colour ColourOf(const SceneModel& scene, size_t object, int vertex) {
    const SceneVertex& v = scene.sceneVertices[static_cast<size_t>(scene.firstStored[object]) + vertex];
    return {v.colour[0], v.colour[1], v.colour[2], v.colour[3]};
}

TEST(NumberColour, ViridisRunsFromPurpleThroughTealToYellowAndHoldsAtItsEnds) {
    EXPECT_EQ(NumberColour(ColourMap::Viridis, 10, 10, 20), Hex(0x440154));
    EXPECT_EQ(NumberColour(ColourMap::Viridis, 15, 10, 20), Hex(0x21908C));
    EXPECT_EQ(NumberColour(ColourMap::Viridis, 20, 10, 20), Hex(0xFDE725));
    // Beyond the limits, the end colours; the limits may be negative.
    EXPECT_EQ(NumberColour(ColourMap::Viridis, -1e30, 10, 20), Hex(0x440154));
    EXPECT_EQ(NumberColour(ColourMap::Viridis, 9.999, 10, 20), Hex(0x440154));
    EXPECT_EQ(NumberColour(ColourMap::Viridis, 21, 10, 20), Hex(0xFDE725));
    EXPECT_EQ(NumberColour(ColourMap::Viridis, INFINITY, 10, 20), Hex(0xFDE725));
    EXPECT_EQ(NumberColour(ColourMap::Viridis, -5, -5, -3), Hex(0x440154));
    // Between samples, in between them and in whole 255ths; greener as the value grows.
    const Colour a = NumberColour(ColourMap::Viridis, 15.3, 10, 20), b = NumberColour(ColourMap::Viridis, 15.9, 10, 20);
    EXPECT_GT(b[1], a[1]);
    for (float channel : a) EXPECT_EQ(std::round(channel * 255.0f) / 255.0f, channel);
    EXPECT_EQ(a[3], 1.0f);
    // Other maps have other ends; greys runs from black to white.
    EXPECT_NE(NumberColour(ColourMap::Plasma, 0, 0, 1), NumberColour(ColourMap::Viridis, 0, 0, 1));
    EXPECT_EQ(NumberColour(ColourMap::Greys, 0, 0, 1), Hex(0x000000));
    EXPECT_EQ(NumberColour(ColourMap::Greys, 1, 0, 1), Hex(0xFFFFFF));
}

TEST(NumberColour, MissingIsGreyAndEqualLimitsGiveTheMiddle) {
    EXPECT_EQ(NumberColour(ColourMap::Turbo, NAN, 0, 1), MissingValueColour());
    EXPECT_EQ(MissingValueColour(), Hex(0x808080));
    for (double value : {-100.0, 3.0, 3e9}) EXPECT_EQ(NumberColour(ColourMap::Viridis, value, 3, 3), Hex(0x21908C));
    EXPECT_EQ(NumberColour(ColourMap::Viridis, NAN, 3, 3), MissingValueColour());
}

TEST(ColourMapNames, RoundTripInLowerCase) {
    std::set<std::string> names;
    for (int i = 0; i < kColourMapCount; ++i) {
        const auto map = static_cast<ColourMap>(i);
        names.insert(ColourMapName(map));
        EXPECT_EQ(ColourMapNamed(ColourMapName(map)), map);
    }
    EXPECT_EQ(names.size(), static_cast<size_t>(kColourMapCount));
    EXPECT_STREQ(ColourMapName(ColourMap::Viridis), "viridis");
    EXPECT_EQ(ColourMapNamed("Viridis"), std::nullopt);
    EXPECT_EQ(ColourMapNamed(""), std::nullopt);
    EXPECT_EQ(ColourMapNames().substr(0, 17), "viridis, plasma, ");
}

TEST(CategoryColour, TwelveDistinctColoursRepeatedAndGreyForMissing) {
    std::set<Colour> seen;
    for (int32_t c = 0; c < 12; ++c) {
        seen.insert(CategoryColour(c));
        EXPECT_NE(CategoryColour(c), MissingValueColour());
        EXPECT_EQ(CategoryColour(c + 12), CategoryColour(c));
    }
    EXPECT_EQ(seen.size(), 12u);
    EXPECT_EQ(CategoryColour(-1), MissingValueColour());
}

TEST(ValueNames, InOrderOfFirstAppearanceEachOnce) {
    SceneModel scene;
    EXPECT_TRUE(ValueNames(scene).empty());
    AddSegments(scene, "bare", 1, 0, 0, {1, 1, 1, 1});
    const size_t a = AddSegments(scene, "a", 1, 0, 10, {1, 1, 1, 1});
    const size_t b = AddSegments(scene, "b", 1, 0, 20, {1, 1, 1, 1});
    scene.objectValues[a].columns = {NumberColumn("Au", {1}), TextColumn("Rock", {0}, {"granite"})};
    scene.objectValues[b].columns = {NumberColumn("Cu", {1}), NumberColumn("Au", {2})};
    EXPECT_EQ(ValueNames(scene), (std::vector<std::string>{"Au", "Rock", "Cu"}));
}

// Two holes carry "Au", with a bare trace segment first; a third object carries none.
class ColourByScene : public ::testing::Test {
protected:
    void SetUp() override {
        first = AddSegments(scene, "first", 4, 0, 0, kOwnFirst);
        plain = AddSegments(scene, "plain", 2, 0, 10, kOwnPlain);
        second = AddSegments(scene, "second", 3, 0, 20, kOwnSecond);
        ObjectValues& v1 = scene.objectValues[first];
        v1.firstVertex = 2;  // segment 0 is the trace
        v1.verticesPerValue = 2;
        v1.ownColour = kOwnFirst;
        v1.columns = {NumberColumn("Au", {1.0f, NAN, 3.0f}), TextColumn("Rock", {1, 0, -1}, {"granite", "schist"})};
        ObjectValues& v2 = scene.objectValues[second];
        v2.verticesPerValue = 2;
        v2.ownColour = kOwnSecond;
        v2.columns = {TextColumn("Rock", {0, 1, 0}, {"schist", "basalt"}), NumberColumn("Au", {-1.0f, 5.0f, 2.0f})};
    }
    static constexpr Colour kOwnFirst{1.0f, 0.0f, 0.0f, 1.0f}, kOwnPlain{0.0f, 1.0f, 0.0f, 1.0f},
        kOwnSecond{0.0f, 0.0f, 1.0f, 1.0f};
    SceneModel scene;
    size_t first = 0, plain = 0, second = 0;
};

TEST_F(ColourByScene, NumbersColourEachSegmentOverTheRangeOfAllObjects) {
    const Legend legend = ApplyColourBy(scene, {"Au", ColourMap::Viridis, false, 0, 0});
    EXPECT_TRUE(legend.shown);
    EXPECT_FALSE(legend.categories);
    EXPECT_EQ(legend.name, "Au");
    EXPECT_EQ(legend.low, -1.0);
    EXPECT_EQ(legend.high, 5.0);
    // The trace keeps its colour; both ends of a segment share its value.
    for (int v : {0, 1}) EXPECT_EQ(ColourOf(scene, first, v), kOwnFirst);
    const Colour expected[] = {NumberColour(ColourMap::Viridis, 1, -1, 5), MissingValueColour(),
                               NumberColour(ColourMap::Viridis, 3, -1, 5)};
    for (int v = 2; v < 8; ++v) EXPECT_EQ(ColourOf(scene, first, v), expected[(v - 2) / 2]) << v;
    for (int v = 0; v < 4; ++v) EXPECT_EQ(ColourOf(scene, plain, v), kOwnPlain);
    EXPECT_EQ(ColourOf(scene, second, 0), Hex(0x440154));
    EXPECT_EQ(ColourOf(scene, second, 3), Hex(0xFDE725));
    EXPECT_EQ(ColourOf(scene, second, 5), NumberColour(ColourMap::Viridis, 2, -1, 5));

    // Set limits hold every colour at the ends beyond them.
    const Legend ranged = ApplyColourBy(scene, {"Au", ColourMap::Greys, true, 2, 3});
    EXPECT_EQ(std::make_pair(ranged.low, ranged.high), std::make_pair(2.0, 3.0));
    EXPECT_EQ(ranged.map, ColourMap::Greys);
    EXPECT_EQ(ColourOf(scene, first, 2), Hex(0x000000));
    EXPECT_EQ(ColourOf(scene, first, 7), Hex(0xFFFFFF));
    EXPECT_EQ(ColourOf(scene, second, 1), Hex(0x000000));
    EXPECT_EQ(ColourOf(scene, second, 2), Hex(0xFFFFFF));

    // No value: every object in its own colours again, the trace untouched.
    scene.sceneVertices[static_cast<size_t>(scene.firstStored[first])].colour[1] = 0.25f;
    const Legend none = ApplyColourBy(scene, {});
    EXPECT_FALSE(none.shown);
    EXPECT_EQ(ColourOf(scene, first, 0)[1], 0.25f);
    for (int v = 2; v < 8; ++v) EXPECT_EQ(ColourOf(scene, first, v), kOwnFirst);
    for (int v = 0; v < 6; ++v) EXPECT_EQ(ColourOf(scene, second, v), kOwnSecond);
    EXPECT_FALSE(ApplyColourBy(scene, {"Ag"}).shown) << "a value no object carries";
    EXPECT_EQ(ColourOf(scene, second, 0), kOwnSecond);
}

TEST_F(ColourByScene, TextsShareOneColourPerTextAcrossObjects) {
    const Legend legend = ApplyColourBy(scene, {"Rock"});
    EXPECT_TRUE(legend.shown);
    EXPECT_TRUE(legend.categories);
    EXPECT_EQ(legend.categoryNames, (std::vector<std::string>{"granite", "schist", "basalt"}));
    // first: schist, granite, missing; second: schist, basalt, schist.
    EXPECT_EQ(ColourOf(scene, first, 2), CategoryColour(1));
    EXPECT_EQ(ColourOf(scene, first, 5), CategoryColour(0));
    EXPECT_EQ(ColourOf(scene, first, 7), MissingValueColour());
    EXPECT_EQ(ColourOf(scene, second, 0), CategoryColour(1));
    EXPECT_EQ(ColourOf(scene, second, 3), CategoryColour(2));
    EXPECT_EQ(ColourOf(scene, second, 5), CategoryColour(1));
}

TEST_F(ColourByScene, TheFirstObjectsKindWinsAndShortColumnsAreMissing) {
    // "Au" as texts in the second object: it keeps its own colour.
    scene.objectValues[second].columns[1] = TextColumn("Au", {0, 0, 0}, {"high"});
    scene.objectValues[first].columns[0].numbers.resize(1);  // values for the first group only
    const Legend legend = ApplyColourBy(scene, {"Au"});
    EXPECT_FALSE(legend.categories);
    EXPECT_EQ(legend.low, 1.0);
    EXPECT_EQ(legend.high, 1.0);
    EXPECT_EQ(ColourOf(scene, first, 2), NumberColour(ColourMap::Viridis, 0, 0, 0)) << "one number: the middle";
    EXPECT_EQ(ColourOf(scene, first, 6), MissingValueColour());
    for (int v = 0; v < 6; ++v) EXPECT_EQ(ColourOf(scene, second, v), kOwnSecond);
}

TEST_F(ColourByScene, OneValuePerVertexAndAFirstVertexPastTheEnd) {
    ObjectValues& values = scene.objectValues[second];
    values.verticesPerValue = 1;
    values.columns = {NumberColumn("Au", {0, 1, 2, 3, 4, 5})};
    scene.objectValues[first].firstVertex = 100;
    ApplyColourBy(scene, {"Au"});
    for (int v = 0; v < 6; ++v) EXPECT_EQ(ColourOf(scene, second, v), NumberColour(ColourMap::Viridis, v, 0, 5));
    for (int v = 0; v < 8; ++v) EXPECT_EQ(ColourOf(scene, first, v), kOwnFirst) << "nothing from firstVertex on";
}

}  // namespace
}  // namespace talan
