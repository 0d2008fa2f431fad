// Which element a picked point belongs to, and the measures between two points.
#include <gtest/gtest.h>

#include "TestHelpers.h"
#include "scene/SceneFileReader.h"
#include "scene/ScenePicking.h"

namespace talan {
namespace {

using testing::TagLine;

TEST(Measure, GivesDistancesAzimuthAndDipBetweenTwoPoints) {
    struct Case {
        FilePoint from, to;
        double slope, horizontal, dz, azimuth, dip;
    };
    for (const Case& c : {Case{{0, 0, 0}, {3, 4, 0}, 5, 5, 0, 36.86989764584402, 0},
                          Case{{10, 20, 310}, {10, 10, 300}, 14.142135623730951, 10, -10, 180, 45},
                          Case{{1, 1, 1}, {0, 1, 2}, 1.4142135623730951, 1, 1, 270, -45},
                          Case{{5, 5, 5}, {5, 5, 5}, 0, 0, 0, 0, 0},
                          Case{{0, 0, 0}, {0, 0, -7}, 7, 0, -7, 0, 90}}) {
        const Measurement m = Measure(c.from, c.to);
        EXPECT_NEAR(m.slopeDistance, c.slope, 1e-12);
        EXPECT_NEAR(m.horizontalDistance, c.horizontal, 1e-12);
        EXPECT_NEAR(m.dz, c.dz, 1e-12);
        EXPECT_NEAR(m.azimuth, c.azimuth, 1e-9) << c.to[0] << "," << c.to[1];
        EXPECT_NEAR(m.dip, c.dip, 1e-9);
    }
}

TEST(FindNearestElement, TakesTheShownElementNearestThePointWithinTheSlab) {
    SceneModel scene;
    const std::string text = "\"Tavrin\"\n" + TagLine("T3", 2) + "1,0,0,\nFloor,\n0,0,0,10,0,0,0,10,0,\n" +
                             "10,0,0,10,10,0,0,10,0,\n" + TagLine("LIN", 1) + "0,\nRoad,\nx\n0,0,5,10,10,5\n" +
                             TagLine("BLKKDX", 2) + "2,2,2,\nx\nx\n20,0,0,255,\n30,0,0,255,\n" + TagLine("PTS", 1) +
                             "0,\nMarker,\nx\n-5,-5,-5\n";
    ASSERT_EQ(ReadSceneText(scene, text, nullptr).Status(), kStatusOk);
    const auto at = [&](FilePoint p, int axis = -1, double lo = 0, double hi = 0) {
        const ElementHit hit = FindNearestElement(scene, p, axis, lo, hi);
        return std::make_pair(hit.object, hit.element);
    };
    EXPECT_EQ(at({8, 7, 0.01}), std::make_pair(0, int64_t{1}));   // inside the second triangle
    EXPECT_EQ(at({5, 5, 4.9}), std::make_pair(1, int64_t{0}));    // just under the road
    EXPECT_EQ(at({30.5, 0.2, 0.9}), std::make_pair(2, int64_t{1})); // on the second block's top
    EXPECT_EQ(at({29.5, 0, 0}), std::make_pair(2, int64_t{1}));   // inside it, nearest its side
    EXPECT_EQ(at({-5, -5, -4}), std::make_pair(3, int64_t{0}));
    scene.objectVisible[1] = false;
    EXPECT_EQ(at({5, 5, 4.9}).first, 0) << "a hidden road is not picked";
    EXPECT_EQ(at({21, 0, 0}, 0, 25, 35), std::make_pair(2, int64_t{1})) << "the first block lies outside the slab";
    for (size_t k = 0; k < scene.objectVisible.size(); ++k) scene.objectVisible[k] = false;
    EXPECT_EQ(at({0, 0, 0}).first, -1);
}

}  // namespace
}  // namespace talan
