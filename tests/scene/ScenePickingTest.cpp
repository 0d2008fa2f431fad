// Which element a picked point belongs to, and the measures between two points.
#include <gtest/gtest.h>

#include <string>

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

TEST(FindPickedElement, TakesWhatTheRayMeetsNearestTheDrawnPointWithinTheSlab) {
    SceneModel scene;
    const std::string text = "\"Tavrin\"\n" + TagLine("T3", 2) + "1,0,0,\nFloor,\n0,0,0,10,0,0,0,10,0,\n" +
                             "10,0,0,10,10,0,0,10,0,\n" + TagLine("LIN", 1) + "0,\nRoad,\nx\n0,0,5,10,10,5\n" +
                             TagLine("BLKKDX", 2) + "2,2,2,\nx\nx\n20,0,0,255,\n30,0,0,255,\n" + TagLine("PTS", 1) +
                             "0,\nMarker,\nx\n-5,-5,-5\n";
    ASSERT_EQ(ReadSceneText(scene, text, nullptr).Status(), kStatusOk);
    // A ray straight down at (x, y), and a drawn point known only roughly (+0.3 up).
    const auto down = [&](double x, double y, double z, int axis = -1, double lo = 0, double hi = 0) {
        return FindPickedElement(scene, {{x, y, z + 0.3}, {x, y, 100}, {0, 0, -1}, 0.5, 0.05, axis, lo, hi});
    };
    ElementHit hit = down(8, 7, 0);  // the second triangle, at exactly its elevation
    EXPECT_EQ(std::make_pair(hit.object, hit.element), std::make_pair(0, int64_t{1}));
    EXPECT_EQ(hit.point, (FilePoint{8, 7, 0}));
    hit = down(5, 5, 5);  // on the road, at the point of it nearest the ray
    EXPECT_EQ(hit.object, 1);
    EXPECT_NEAR(hit.point[2], 5.0, 1e-12);
    hit = down(30.5, 0.2, 0.92);  // the second block's top
    EXPECT_EQ(std::make_pair(hit.object, hit.element), std::make_pair(2, int64_t{1}));
    EXPECT_NEAR(hit.point[2], 0.92, 1e-6);
    hit = down(30.5, 0.2, -0.92, 2, -1, 0.5);  // its top cut away by a slice: its bottom, seen from inside
    EXPECT_NEAR(hit.point[2], -0.92, 1e-6);
    EXPECT_EQ(down(-5, -5, -5).object, 3);
    scene.objectVisible[1] = false;
    EXPECT_EQ(down(5, 5, 5).object, 0) << "a hidden road is not picked";
    EXPECT_EQ(down(20.5, 0, 0.92, 0, 25, 35).element, 1) << "the first block lies outside the slab";
    for (size_t k = 0; k < scene.objectVisible.size(); ++k) scene.objectVisible[k] = false;
    EXPECT_EQ(down(0, 0, 0).object, -1);
}

// A ray straight down through (3, 3), the drawn point at elevation 0.1 known to ±0.5,
// and pixels 0.05 wide there.
PickQuery DownAtThree(int axis = -1, double low = 0, double high = 0) {
    return {{3, 3, 0.1}, {3, 3, 100}, {0, 0, -1}, 0.5, 0.05, axis, low, high};
}

std::string Square(double elevation, int colour) {
    const std::string z = std::to_string(elevation);
    return TagLine("T3", 2) + "1," + std::to_string(colour) + ",0,\nSquare,\n0,0," + z + ",10,0," + z + ",0,10," + z +
           ",\n10,0," + z + ",10,10," + z + ",0,10," + z + ",\n";
}

// Two surfaces closer together than the depth buffer tells apart both meet the ray
// near the drawn point: the one nearer the eye is what the depth test kept, whichever
// was read first. A slab keeps what lies on its planes and cuts what lies beyond.
TEST(FindPickedElement, OfTwoCloseSurfacesTakesTheOneNearerTheEyeWithinTheSlab) {
    for (bool upperFirst : {false, true}) {
        SCOPED_TRACE(upperFirst ? "upper surface read first" : "lower surface read first");
        SceneModel scene;
        const std::string lower = Square(0, 1), upper = Square(0.25, 2);
        ASSERT_EQ(ReadSceneText(scene, "\"Tavrin\"\n" + (upperFirst ? upper + lower : lower + upper), nullptr).Status(),
                  kStatusOk);
        const int32_t upperObject = upperFirst ? 0 : 1, lowerObject = 1 - upperObject;
        ElementHit hit = FindPickedElement(scene, DownAtThree());
        EXPECT_EQ(hit.object, upperObject);
        EXPECT_NEAR(hit.point[2], 0.25, 1e-12);
        EXPECT_EQ(FindPickedElement(scene, DownAtThree(2, -1, 0.25)).object, upperObject);  // on the upper plane
        EXPECT_EQ(FindPickedElement(scene, DownAtThree(2, -1, 0.24)).object, lowerObject);
        EXPECT_EQ(FindPickedElement(scene, DownAtThree(2, 0.0, 0.24)).object, lowerObject);  // on the lower plane
        EXPECT_EQ(FindPickedElement(scene, DownAtThree(2, 0.01, 0.24)).object, -1);
        scene.objectVisible[static_cast<size_t>(upperObject)] = false;
        EXPECT_EQ(FindPickedElement(scene, DownAtThree()).object, lowerObject);
    }
}

// A line is met within a pixel of the ray (drawn 1 pixel wide, with a little to
// spare), a point within 2.5 pixels (drawn 4 wide); a little farther off, the
// surface under them is what the pixel shows. Above the depth tolerance they are not
// met at all.
TEST(FindPickedElement, LinesAndPointsAreMetWithinTheWidthTheyAreDrawn) {
    struct Case {
        std::string over;  // a line or a point over the surface, near the ray
        bool met;
    };
    const auto line = [](double x, double z) {
        const std::string at = std::to_string(x) + ",";
        return TagLine("LIN", 1) + "0,\nLine,\nx\n" + at + "0," + std::to_string(z) + "," + at + "10," +
               std::to_string(z) + "\n";
    };
    const auto point = [](double x, double z) {
        return TagLine("PTS", 1) + "0,\nPoint,\nx\n" + std::to_string(x) + ",3," + std::to_string(z) + "\n";
    };
    for (const Case& c : {Case{line(3.04, 0.2), true}, Case{line(2.96, 0.2), true}, Case{line(3.06, 0.2), false},
                          Case{line(2.94, 0.2), false}, Case{line(3.0, 0.7), false}, Case{point(3.11, 0.2), true},
                          Case{point(2.89, 0.2), true}, Case{point(3.14, 0.2), false}, Case{point(3.0, 0.7), false}}) {
        SCOPED_TRACE(c.over);
        SceneModel scene;
        ASSERT_EQ(ReadSceneText(scene, "\"Tavrin\"\n" + Square(0, 1) + c.over, nullptr).Status(), kStatusOk);
        EXPECT_EQ(FindPickedElement(scene, DownAtThree()).object, c.met ? 1 : 0);
    }
}

}  // namespace
}  // namespace talan
