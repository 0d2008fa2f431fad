// Each kind of section: layout, vertices in stored axes, colours, normals, boxes,
// progress, and the fields that run on across line breaks.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <string>

#include "TestHelpers.h"
#include "scene/SceneFileReader.h"
#include "scene/SceneModel.h"

namespace talan {
namespace {

using testing::RecordingObserver;
using testing::TagLine;
using Vec3 = std::array<float, 3>;
using Rgba = std::array<float, 4>;

Vec3 Position(const SceneModel& scene, int i) {
    const SceneVertex v = VertexAt(scene, i);
    return {v.position[0], v.position[1], v.position[2]};
}
Vec3 Normal(const SceneModel& scene, int i) {
    const SceneVertex v = VertexAt(scene, i);
    return {v.normal[0], v.normal[1], v.normal[2]};
}
Rgba Colour(const SceneModel& scene, int i) {
    const SceneVertex v = VertexAt(scene, i);
    return {v.colour[0], v.colour[1], v.colour[2], v.colour[3]};
}

SceneModel Load(const std::string& sections, RecordingObserver* observer = nullptr) {
    SceneModel scene;
    EXPECT_TRUE(ReadSceneText(scene, "\"Tavrin\"\n" + sections, observer).read);
    return scene;
}

std::string T3(const std::string& colourLine, const std::vector<std::string>& triangles, const char* name = "s") {
    std::string text = TagLine("T3", static_cast<long long>(triangles.size())) + colourLine + "\n" + name + ",\n";
    for (const auto& t : triangles) text += t + "\n";
    return text;
}

TEST(ColourInteger, BytesAreRedGreenBlueFromTheLowByteUp) {
    const std::pair<int, Rgba> cases[] = {
        {255, {1, 0, 0, 1}}, {65280, {0, 1, 0, 1}}, {16711680, {0, 0, 1, 1}}, {16777215, {1, 1, 1, 1}},
        // Signed divisions truncate toward zero: -1 keeps only its low byte.
        {-1, {1, 0, 0, 1}},
    };
    for (const auto& [integer, colour] : cases) {
        SceneModel scene = Load(TagLine("PTS", 1) + std::to_string(integer) + ",\np,\nskip\n0,0,0\n");
        EXPECT_EQ(Colour(scene, 0), colour) << integer;
    }
}

TEST(TriangulatedSurface, CornersAreStoredWithElevationSecondAndFaceNormal) {
    SceneModel scene = Load(T3("0,0,0,", {"0,0,0,1,0,0,0,1,0,7,16711680,", "0,0,0,0,1,0,1,0,0,7,255,",
                                          "0,0,0,2,0,0,0,0,2,0,0,"}));
    EXPECT_EQ(Position(scene, 0), (Vec3{0, 0, 0}));
    EXPECT_EQ(Position(scene, 1), (Vec3{1, 0, 0}));
    EXPECT_EQ(Position(scene, 2), (Vec3{0, 0, 1}));
    // Counter-clockwise in plan points the normal down, clockwise up.
    EXPECT_EQ(Normal(scene, 0), (Vec3{0, -1, 0}));
    EXPECT_EQ(Normal(scene, 5), (Vec3{0, 1, 0}));
    // A vertical triangle: the cross product (0, 0, 4) normalised.
    EXPECT_EQ(Normal(scene, 6), (Vec3{0, 0, 1}));
    // Per-triangle colours; the value before the colour is not used.
    EXPECT_EQ(Colour(scene, 2), (Rgba{0, 0, 1, 1}));
    EXPECT_EQ(Colour(scene, 3), (Rgba{1, 0, 0, 1}));
    EXPECT_EQ(Colour(scene, 6), (Rgba{0, 0, 0, 1}));
}

TEST(TriangulatedSurface, ColourModeOneGivesTheMeanOfTheTwoColours) {
    SceneModel scene = Load(T3("1,255,65280,", {"0,0,0,1,0,0,0,1,0,", "5,5,5,5,5,5,5,5,5,"}));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Colour(scene, i), (Rgba{0.5f, 0.5f, 0, 1})) << i;
    // A degenerate triangle has no direction: its normal is zero.
    EXPECT_EQ(Normal(scene, 3), (Vec3{0, 0, 0}));
}

TEST(TriangulatedSurface, ProgressGoesUpByElementAndTheBarIsTitledWithTheName) {
    RecordingObserver observer;
    Load(T3("1,0,0,", {"0,0,0,1,0,0,0,1,0,", "0,0,0,1,0,0,0,1,0,", "0,0,0,1,0,0,0,1,0,", "0,0,0,1,0,0,0,1,0,"},
            "Pit shell"),
         &observer);
    ASSERT_EQ(observer.progress.size(), 1u);
    EXPECT_EQ(observer.progressTitles[0], "Pit shell");
    EXPECT_EQ(observer.progress[0], (std::vector<int>{25, 50, 75, 100}));
    EXPECT_EQ(observer.closed, 1);
}

TEST(TriangulatedSurface, AMissingFinalCommaTakesTheNextLineIntoTheLastField) {
    // The first line's last field runs into the second line; its number is still read,
    // the rest of the second line is skipped, and the third line becomes triangle 2.
    SceneModel scene = Load(T3("1,0,0,", {"1,1,1,2,2,2,3,3,3", "9,9,9,9,9,9,9,9,9,", "4,4,4,5,5,5,6,6,6,"}));
    EXPECT_EQ(Position(scene, 2), (Vec3{3, 3, 3}));
    EXPECT_EQ(Position(scene, 3), (Vec3{4, 4, 4}));
    // The third triangle comes from beyond the section: the file ends, so it is not made.
    EXPECT_EQ(scene.elementCounts[0], 2);
}

TEST(SegmentSections, LineSkipsItsFourthLineSurfaceDoesNot) {
    const std::string body = "16711680,\nroad,\n1,2,3,4,5,6\n10,20,5,30,40,15\n";
    SceneModel lin = Load(TagLine("LIN", 1) + body);
    SceneModel sup = Load(TagLine("SUP", 1) + body);
    EXPECT_EQ(Position(lin, 0), (Vec3{10, 5, 20}));
    EXPECT_EQ(Position(lin, 1), (Vec3{30, 15, 40}));
    EXPECT_EQ(Position(sup, 0), (Vec3{1, 3, 2}));
    EXPECT_EQ(Colour(lin, 1), (Rgba{0, 0, 1, 1}));
    EXPECT_EQ(Normal(lin, 0), (Vec3{0, 0, 0}));
    EXPECT_EQ(lin.boundsMin, (Vec3{10, 20, 5}));
    EXPECT_EQ(lin.boundsMax, (Vec3{30, 40, 15}));
    EXPECT_EQ(lin.kindCount[static_cast<int>(ObjectKind::LIN)], 1);
    EXPECT_EQ(sup.kindCount[static_cast<int>(ObjectKind::SUP)], 1);
}

TEST(SegmentSections, TrailingTextAfterTheLastValueIsIgnoredAndProgressCountsThirds) {
    RecordingObserver observer;
    SceneModel sup = Load(TagLine("SUP", 3) + "0,\nc,\n1,2,3,4,5,6,extra\n0,0,0,0,0,0\n0,0,0,0,0,0\n", &observer);
    EXPECT_EQ(Position(sup, 1), (Vec3{4, 6, 5}));
    EXPECT_EQ(observer.progress[0], (std::vector<int>{33, 66, 100}));
}

TEST(SegmentSections, ObjectsOfMixedKindsTakeMenuIdsInLoadOrder) {
    RecordingObserver observer;
    SceneModel scene = Load(T3("1,0,0,", {"0,0,0,1,0,0,0,1,0,", "0,0,0,1,0,0,0,1,0,"}) + TagLine("LIN", 3) +
                                "0,\nl,\nskip\n0,0,0,1,1,1\n0,0,0,1,1,1\n0,0,0,1,1,1\n" +
                                T3("1,0,0,", {"0,0,0,1,0,0,0,1,0,"}),
                            &observer);
    ASSERT_EQ(observer.announcements.size(), 3u);
    EXPECT_EQ(observer.announcements[1].menuId, 5002);
    EXPECT_EQ(observer.announcements[2].menuId, 5004);
    EXPECT_EQ(observer.announcements[0].transparencyMenuId, 10000);
    EXPECT_EQ(observer.announcements[2].transparencyMenuId, 10004);
    EXPECT_EQ(scene.firstVertex, (std::vector<int32_t>{0, 6, 12}));
    EXPECT_EQ(scene.totalVertexCount, 15);
}

TEST(BlockModel, EachBlockIsAClosedBoxAtNinetyTwoPercentOfItsSize) {
    RecordingObserver observer;
    SceneModel scene = Load(TagLine("BLKKDX", 2) + "10,10,5,\nskip\nskip\n1005,2005,302.5,255,\n1015,2005,302.5,65280,\n",
                            &observer);
    ASSERT_EQ(scene.totalVertexCount, 72);
    EXPECT_EQ(scene.objectNames[0], "Bloques");
    EXPECT_EQ(observer.progressTitles[0], "Bloques");
    EXPECT_EQ(observer.announcements[0].transparencyMenuId, 10000);
    EXPECT_EQ(Position(scene, 0), (Vec3{1005 - 4.6f, 302.5f - 2.3f, 2005 - 4.6f}));
    EXPECT_EQ(Normal(scene, 0), (Vec3{0, 0, -1}));
    EXPECT_EQ(Colour(scene, 0), (Rgba{1, 0, 0, 1}));
    EXPECT_EQ(Colour(scene, 36), (Rgba{0, 1, 0, 1}));
    // Only the centres widen the bounds.
    EXPECT_EQ(scene.boundsMin, (Vec3{1005, 2005, 302.5f}));
    EXPECT_EQ(scene.boundsMax, (Vec3{1015, 2005, 302.5f}));

    // Every triangle is wound so that (b - a) x (c - a) points along its face normal,
    // and every corner lies on a face of the box.
    for (int t = 0; t < 12; ++t) {
        const Vec3 a = Position(scene, 3 * t), b = Position(scene, 3 * t + 1), c = Position(scene, 3 * t + 2);
        const Vec3 e1{b[0] - a[0], b[1] - a[1], b[2] - a[2]}, e2{c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        const Vec3 cross{e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
        const Vec3 n = Normal(scene, 3 * t);
        EXPECT_GT(cross[0] * n[0] + cross[1] * n[1] + cross[2] * n[2], 0.0f) << "triangle " << t;
    }
    // Six faces, each normal once per face: the box is closed.
    std::map<Vec3, int> faces;
    for (int i = 0; i < 36; i += 6) ++faces[Normal(scene, i)];
    EXPECT_EQ(faces.size(), 6u);
}

TEST(BlockModel, SizesAreWholeNumbers) {
    SceneModel scene = Load(TagLine("BLKKDX", 1) + "12.5,1,0,\nskip\nskip\n0,0,0,0,\n");
    float minX = 1e9f, maxX = -1e9f, minZ = 1e9f, maxZ = -1e9f;
    for (int i = 0; i < 36; ++i) {
        minX = std::min(minX, Position(scene, i)[0]);
        maxX = std::max(maxX, Position(scene, i)[0]);
        minZ = std::min(minZ, Position(scene, i)[1]);
        maxZ = std::max(maxZ, Position(scene, i)[1]);
    }
    EXPECT_FLOAT_EQ(maxX - minX, 11.04f);
    EXPECT_EQ(maxZ - minZ, 0.0f);  // size 0 makes the boxes flat
}

TEST(Points, OnePointPerLineWithTheSectionColour) {
    RecordingObserver observer;
    SceneModel scene = Load(TagLine("PTS", 3) +
                                "255,\n North pit ,old\nskip\n1000.5,2000,300\n1010,2005.25,302\n1020,2010,305.5,extra\n",
                            &observer);
    EXPECT_EQ(scene.objectNames[0], " North pit ");
    EXPECT_EQ(scene.verticesPerElement[0], 1);
    EXPECT_EQ(Position(scene, 0), (Vec3{1000.5f, 300, 2000}));
    EXPECT_EQ(Position(scene, 2), (Vec3{1020, 305.5f, 2010}));
    EXPECT_EQ(Colour(scene, 1), (Rgba{1, 0, 0, 1}));
    EXPECT_EQ(scene.boundsMin, (Vec3{1000.5f, 2000, 300}));
    EXPECT_EQ(scene.boundsMax, (Vec3{1020, 2010, 305.5f}));
    EXPECT_EQ(observer.progress[0], (std::vector<int>{33, 66, 100}));
    EXPECT_EQ(observer.announcements[0].transparencyMenuId, -1);
}

TEST(DrillHoles, EveryIntervalHasItsOwnColour) {
    SceneModel scene = Load(TagLine("SONKDX", 3) +
                            "DH-01,\nskip\n1000,2000,310,1000,2000,300,255\n1000,2000,300,1001,2000,290,65280,x\n"
                            "1000,2000,310,999,2001,295,16711680\n");
    EXPECT_EQ(scene.objectNames[0], "DH-01");
    ASSERT_EQ(scene.totalVertexCount, 6);
    EXPECT_EQ(Position(scene, 0), (Vec3{1000, 310, 2000}));
    EXPECT_EQ(Position(scene, 3), (Vec3{1001, 290, 2000}));
    EXPECT_EQ(Colour(scene, 1), (Rgba{1, 0, 0, 1}));
    EXPECT_EQ(Colour(scene, 2), (Rgba{0, 1, 0, 1}));
    EXPECT_EQ(Colour(scene, 5), (Rgba{0, 0, 1, 1}));
    EXPECT_EQ(scene.boundsMin, (Vec3{999, 2000, 290}));
    EXPECT_EQ(scene.boundsMax, (Vec3{1001, 2001, 310}));
}

TEST(EmptySections, ACountOfZeroStillMakesANamedObjectWithItsMenuEntries) {
    const char* kinds[] = {"T3", "LIN", "SUP", "BLKKDX", "PTS", "SONKDX"};
    for (int k = 0; k < 6; ++k) {
        RecordingObserver observer;
        SceneModel scene = Load(TagLine(kinds[k], 0) + "0,0,0,\nname,\nskip\nskip\n" + TagLine("PTS", 1) +
                                    "0,\nafter,\nskip\n1,2,3\n",
                                &observer);
        ASSERT_EQ(scene.objectCount, 2) << kinds[k];
        EXPECT_EQ(scene.elementCounts[0], 0);
        EXPECT_EQ(scene.firstVertex[1], 0) << "the next object starts at the same index";
        EXPECT_EQ(observer.progress[0], std::vector<int>{}) << "shown and closed at once";
        EXPECT_EQ(observer.closed, 2);
    }
}

TEST(BoundsFromFile, NoReaderWidensDeclaredBounds) {
    const std::string sections = T3("1,0,0,", {"-50,-50,-50,50,50,50,0,0,0,"}) + TagLine("LIN", 1) +
                                 "0,\nl,\nskip\n-60,0,0,60,0,0\n" + TagLine("BLKKDX", 1) +
                                 "1,1,1,\nskip\nskip\n70,70,70,0,\n" + TagLine("PTS", 1) + "0,\np,\nskip\n80,80,80\n" +
                                 TagLine("SONKDX", 1) + "h,\nskip\n90,0,0,-90,0,0,0\n";
    SceneModel scene;
    ReadSceneText(scene, "\"Tavrin\"  MAX\n1,0\n1,0\n1,0\n" + sections, nullptr);
    EXPECT_EQ(scene.objectCount, 5);
    EXPECT_EQ(scene.boundsMin, (Vec3{0, 0, 0}));
    EXPECT_EQ(scene.boundsMax, (Vec3{1, 1, 1}));
}

}  // namespace
}  // namespace talan
