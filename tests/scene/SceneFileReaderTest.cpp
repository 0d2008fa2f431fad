// The scene file as a whole (signature, MAX block, tag and header lines, numbering
// and menu identifiers, Open (Add), line ends) and each kind of section: layout,
// vertices in stored axes, colours, normals, boxes, progress, names.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "TestHelpers.h"
#include "scene/SceneFileReader.h"
#include "scene/SceneModel.h"
#include "scene/TextDecoding.h"

namespace talan {
namespace {

using testing::kExampleScene;
using testing::RecordingObserver;
using testing::TagLine;
using Vec3 = std::array<float, 3>;
using Rgba = std::array<float, 4>;
using Ids = std::vector<std::pair<int32_t, int32_t>>;  // menu and Transparent identifiers of each object

template <size_t N>
std::array<float, N> Values(const float* v) {
    std::array<float, N> a;
    std::copy(v, v + N, a.begin());
    return a;
}
Vec3 Position(const SceneModel& s, int i) { return Values<3>(VertexAt(s, i).position); }
Vec3 Normal(const SceneModel& s, int i) { return Values<3>(VertexAt(s, i).normal); }
Rgba Colour(const SceneModel& s, int i) { return Values<4>(VertexAt(s, i).colour); }

Ids MenuIds(const RecordingObserver& observer) {
    Ids ids;
    for (const auto& a : observer.announcements) ids.push_back({a.menuId, a.transparencyMenuId});
    return ids;
}

// Sections after a signature line without a tag.
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
const std::string kPoint = TagLine("PTS", 1) + "0,\npoints,\nskip\n1,2,3\n";

TEST(SceneFileReader, ExampleSceneGivesTwoObjectsWithTheirMenuIdsAndDeclaredBounds) {
    SceneModel scene;
    RecordingObserver observer;
    EXPECT_EQ(ReadSceneText(scene, kExampleScene, &observer).Status(), kStatusOk);
    EXPECT_EQ(scene.objectNames, (std::vector<std::string>{"Pit floor", "Ramp"}));
    EXPECT_EQ(scene.objectKinds, (std::vector<ObjectKind>{ObjectKind::T3, ObjectKind::LIN}));
    EXPECT_EQ(scene.kindCount, (std::array<int32_t, 6>{1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(scene.firstVertex, (std::vector<int32_t>{0, 6}));
    EXPECT_EQ(scene.elementCounts, (std::vector<int32_t>{2, 1}));
    EXPECT_EQ(scene.verticesPerElement, (std::vector<int32_t>{3, 2}));
    EXPECT_EQ(scene.totalVertexCount, 8);
    EXPECT_TRUE(scene.boundsFromFile);
    EXPECT_EQ(scene.boundsMin, (Vec3{990, 1990, 290}));
    EXPECT_EQ(scene.boundsMax, (Vec3{1010, 2010, 310}));
    EXPECT_EQ(MenuIds(observer), (Ids{{5000, 10000}, {5002, -1}}));
    EXPECT_EQ(scene.nextObjectMenuId, 5004);
    EXPECT_EQ(scene.nextTransparencyMenuId, 10004);
    EXPECT_EQ(Position(scene, 7), (Vec3{1010, 310, 2010})) << "the LIN reader skipped its fourth line";

    // CR LF line ends read to the same bytes.
    std::string crlf;
    for (char c : kExampleScene) crlf += c == '\n' ? "\r\n" : std::string(1, c);
    SceneModel windows;
    ReadSceneText(windows, crlf, nullptr);
    EXPECT_TRUE(testing::Snapshot(windows) == testing::Snapshot(scene));
}

TEST(SceneFileReader, BoundsComeFromTheMaxBlockOrTheVerticesAndOnlyWiden) {
    SceneModel scene;
    ReadSceneText(scene, std::string(kExampleScene.substr(kExampleScene.find("\"Tavrin\"  T3"))), nullptr);
    EXPECT_FALSE(scene.boundsFromFile);
    EXPECT_EQ(scene.boundsMin, (Vec3{990, 1990, 290}));
    EXPECT_EQ(scene.boundsMax, (Vec3{1010, 2010, 310}));

    // A MAX block is trusted although every reader's objects lie outside it.
    SceneModel declared;
    ReadSceneText(declared, "\"Tavrin\"  MAX\n1,0\n1,0\n1,0\n" + T3("1,0,0,", {"-50,-50,-50,50,50,50,0,0,0,"}) +
                  TagLine("LIN", 1) + "0,\nl,\nskip\n-60,0,0,60,0,0\n" + TagLine("BLKKDX", 1) +
                  "1,1,1,\nskip\nskip\n70,70,70,0,\n" + TagLine("PTS", 1) + "0,\np,\nskip\n80,80,80\n" +
                  TagLine("SONKDX", 1) + "h,\nskip\n90,0,0,-90,0,0,0\n", nullptr);
    EXPECT_EQ(declared.objectCount, 5);
    EXPECT_EQ(declared.boundsMin, (Vec3{0, 0, 0}));
    EXPECT_EQ(declared.boundsMax, (Vec3{1, 1, 1}));

    // Open (Add) only widens: a second file's narrower MAX block leaves the bounds,
    // a third file's vertices beyond them widen them.
    ReadSceneText(declared, kExampleScene, nullptr);
    ReadSceneText(declared, "\"Tavrin\"  MAX\n1001,999\n2001,1999\n301,299\n" + kPoint, nullptr);
    EXPECT_EQ(declared.boundsMin, (Vec3{0, 0, 0}));
    EXPECT_EQ(declared.boundsMax, (Vec3{1010, 2010, 310}));
    ReadSceneText(declared, T3("1,0,0,", {"-1,3000,400,2001,3000,400,2000,3001,-5,"}), nullptr);
    EXPECT_FALSE(declared.boundsFromFile);
    EXPECT_EQ(declared.boundsMin, (Vec3{-1, 0, -5}));
    EXPECT_EQ(declared.boundsMax, (Vec3{2001, 3001, 400}));
}

TEST(SceneFileReader, SkippedLinesRunUpToTheNextHeaderLine) {
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        // Line 1 has the signature but no tag: line 2 is examined as a header line.
        {"xTavrin\n" + kPoint, {"points"}},
        // Line 1 can be a tag line. Lines of any content between sections are skipped
        // up to a header line; a tag line right after a section needs no quotation mark.
        {kPoint + "\n\nremark\n  12,13\n" + kPoint + "0123456789PTS      1,\n0,\nbare,\nskip\n1,1,1\n",
         {"points", "points", "bare"}},
        // T4 at position 10 is no tag: it and the lines up to the next header are skipped.
        {"\"Tavrin\"\n\"Tavrin\"  T4      1,\nz,\n" + kPoint, {"points"}},
        // A line with the signature's first letters at position 1, 2 or 3 is a header
        // line and is examined as a tag line; without them it is skipped with the run.
        {"\"Tavrin\"\nnot\nxTxxxxxxxxPTS      1,\n0,\nq1,\nskip\n1,2,3\n", {"q1"}},
        {"\"Tavrin\"\nnot\nxxaxxxxxxxPTS      1,\n0,\nq2,\nskip\n1,2,3\n", {"q2"}},
        {"\"Tavrin\"\nnot\nxxxvxxxxxxPTS      1,\n0,\nq3,\nskip\n1,2,3\n", {"q3"}},
        {"\"Tavrin\"\nnot\n0000000000PTS      1,\n0,\nq,\nskip\n1,2,3\n", {}},
        // The last line, unterminated, is never examined.
        {"\"Tavrin\"\nnot\n" + TagLine("PTS", 0).substr(0, 21), {}},
    };
    for (const auto& [text, objects] : cases) {
        SceneModel scene;
        ReadSceneText(scene, text, nullptr);
        EXPECT_EQ(scene.objectNames, objects) << text;
        EXPECT_EQ(scene.objectCount, static_cast<int32_t>(objects.size())) << text;
    }
}

TEST(SceneFileReader, TagsAreTestedAtPositionTenInTheirOrder) {
    const std::pair<std::string, ObjectKind> cases[] = {
        {"\"Tavrin\"  T3      7,", ObjectKind::T3},         {"\"123456789T3xxxxxx12,junk", ObjectKind::T3},
        {"\"123456789LINxxxxxx3,", ObjectKind::LIN},        {"\"123456789SUPxxxxxx4", ObjectKind::SUP},
        {"\"123456789BLKKDXxxxxxx5,", ObjectKind::BLKKDX},  {"\"123456789PTSxxxxxx 6,", ObjectKind::PTS},
        {"\"123456789SONKDXxxxxxx8,", ObjectKind::SONKDX},  {"\"123456789T3", ObjectKind::T3},  // no count: 0
    };
    for (const auto& [tagLine, kind] : cases) {
        SceneModel scene;
        ReadSceneText(scene, "\"Tavrin\"\n\"\n" + tagLine + "\n", nullptr);
        EXPECT_EQ(scene.objectKinds, std::vector<ObjectKind>{kind}) << tagLine;
        EXPECT_EQ(scene.kindCount[static_cast<int>(kind)], 1) << tagLine;
        EXPECT_EQ(scene.elementCounts, std::vector<int32_t>{0}) << "the file ends at once: " << tagLine;
    }
}

TEST(SceneFileReader, ObjectsAreNumberedInLoadOrderAcrossOpenAddUntilAReset) {
    RecordingObserver observer;
    SceneModel scene = Load(T3("1,0,0,", {"0,0,0,1,0,0,0,1,0,", "0,0,0,1,0,0,0,1,0,"}) + TagLine("LIN", 3) +
                                "0,\nl,\nskip\n0,0,0,1,1,1\n0,0,0,1,1,1\n0,0,0,1,1,1\n" +
                                T3("1,0,0,", {"0,0,0,1,0,0,0,1,0,"}),
                            &observer);
    ReadSceneText(scene, TagLine("BLKKDX", 1) + "1,1,1,\nx\nx\n0,0,0,0,\n", &observer);  // Open (Add)
    EXPECT_EQ(MenuIds(observer), (Ids{{5000, 10000}, {5002, -1}, {5004, 10004}, {5006, 10006}}));
    EXPECT_EQ(scene.firstVertex, (std::vector<int32_t>{0, 6, 12, 15}));
    EXPECT_EQ(scene.totalVertexCount, 51);

    ResetScene(scene);
    EXPECT_EQ(CountObjects(scene), 0);
    RecordingObserver after;
    ReadSceneText(scene, kPoint + TagLine("SONKDX", 1) + "h,\nskip\n5,5,5,5,5,6,255\n", &after);
    // The bounds started over too: the new vertices alone give them.
    EXPECT_EQ(std::pair(scene.boundsMin, scene.boundsMax), std::pair(Vec3{1, 2, 3}, Vec3{5, 5, 6}));
    EXPECT_EQ(scene.firstVertex, (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(scene.totalVertexCount, 3);
    EXPECT_EQ(MenuIds(after), (Ids{{5000, -1}, {5002, -1}}));
    EXPECT_EQ(scene.nextTransparencyMenuId, 10004) << "10000 and 10002 used up without an entry";
}

TEST(SceneFileReader, NamesAreShownAsUtf8WhenTheyAreElseAsWindows1252) {
    const std::pair<std::string, std::string> cases[] = {
        {"Pit \xC3\xB1 \xE2\x82\xAC \xF0\x9F\x98\x80", "Pit \xC3\xB1 \xE2\x82\xAC \xF0\x9F\x98\x80"},  // valid UTF-8
        {"A\xF1o \x80\x9F\x81", "A\xC3\xB1o \xE2\x82\xAC\xC5\xB8\xC2\x81"},  // ñ, € and Ÿ, not Latin-1's controls
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                                    // an overlong form is not UTF-8
        {"\xE0\x80\xAF", "\xC3\xA0\xE2\x82\xAC\xC2\xAF"},                    // nor a longer one
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},                    // nor a surrogate
        {"\xF4\x90\x80\x80", "\xC3\xB4\xC2\x90\xE2\x82\xAC\xE2\x82\xAC"},    // nor beyond U+10FFFF
        {"\xE2\x82", "\xC3\xA2\xE2\x80\x9A"},                                // nor a sequence cut short
    };
    for (const auto& [raw, shown] : cases) EXPECT_EQ(DecodeNameForDisplay(raw), shown) << raw;
}

TEST(ColourInteger, BytesAreRedGreenBlueFromTheLowByteUp) {
    // Signed divisions truncate toward zero: -1 keeps only its low byte.
    const std::pair<int, Rgba> cases[] = {{255, {1, 0, 0, 1}},      {65280, {0, 1, 0, 1}}, {16711680, {0, 0, 1, 1}},
                                          {16777215, {1, 1, 1, 1}}, {-1, {1, 0, 0, 1}}};
    for (const auto& [integer, colour] : cases) {
        const SceneModel scene = Load(TagLine("PTS", 1) + std::to_string(integer) + ",\np,\nskip\n0,0,0\n");
        EXPECT_EQ(Colour(scene, 0), colour) << integer;
    }
}

TEST(TriangulatedSurface, CornersAreStoredWithElevationSecondWithFaceNormalAndColour) {
    RecordingObserver observer;
    SceneModel scene = Load(T3("0,0,0,", {"0,0,0,1,0,0,0,1,0,7,16711680,", "0,0,0,0,1,0,1,0,0,7,255,",
                                          "0,0,0,2,0,0,0,0,2,0,0,", "0,0,0,1,0,0,0,1,0,7,16711680,"},
                               "Pit shell"),
                            &observer);
    EXPECT_EQ(Position(scene, 1), (Vec3{1, 0, 0}));
    EXPECT_EQ(Position(scene, 2), (Vec3{0, 0, 1}));
    // Counter-clockwise in plan points the normal down, clockwise up; a vertical
    // triangle's is the cross product (0, 0, 4) normalised.
    EXPECT_EQ(Normal(scene, 0), (Vec3{0, -1, 0}));
    EXPECT_EQ(Normal(scene, 5), (Vec3{0, 1, 0}));
    EXPECT_EQ(Normal(scene, 6), (Vec3{0, 0, 1}));
    // Per-triangle colours; the value before the colour is not used.
    EXPECT_EQ(Colour(scene, 2), (Rgba{0, 0, 1, 1}));
    EXPECT_EQ(Colour(scene, 3), (Rgba{1, 0, 0, 1}));
    EXPECT_EQ(Colour(scene, 6), (Rgba{0, 0, 0, 1}));
    EXPECT_EQ(observer.progressTitles, std::vector<std::string>{"Pit shell"});
    EXPECT_EQ(observer.progress[0], (std::vector<int>{25, 50, 75, 100}));
    EXPECT_EQ(observer.closed, 1);

    // Colour mode 1: the mean of the two colours; a degenerate triangle has a zero normal.
    scene = Load(T3("1,255,65280,", {"0,0,0,1,0,0,0,1,0,", "5,5,5,5,5,5,5,5,5,"}));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(Colour(scene, i), (Rgba{0.5f, 0.5f, 0, 1})) << i;
    EXPECT_EQ(Normal(scene, 3), (Vec3{0, 0, 0}));
}

TEST(SegmentSections, LineSkipsItsFourthLineSurfaceDoesNot) {
    RecordingObserver observer;
    const std::string body = "16711680,\nroad,\n1,2,3,4,5,6,extra\n10,20,5,30,40,15\n7,8,9,7,8,9\n7,8,9,7,8,9\n";
    SceneModel lin = Load(TagLine("LIN", 2) + body);
    SceneModel sup = Load(TagLine("SUP", 3) + body, &observer);
    EXPECT_EQ(Position(lin, 0), (Vec3{10, 5, 20}));
    EXPECT_EQ(Position(lin, 1), (Vec3{30, 15, 40}));
    EXPECT_EQ(Position(sup, 1), (Vec3{4, 6, 5})) << "text after the last value is ignored";
    EXPECT_EQ(Colour(lin, 1), (Rgba{0, 0, 1, 1}));
    EXPECT_EQ(Normal(lin, 0), (Vec3{0, 0, 0}));
    EXPECT_EQ(lin.boundsMin, (Vec3{7, 8, 5}));
    EXPECT_EQ(lin.boundsMax, (Vec3{30, 40, 15}));
    EXPECT_EQ(lin.objectKinds[0], ObjectKind::LIN);
    EXPECT_EQ(sup.objectKinds[0], ObjectKind::SUP);
    EXPECT_EQ(observer.progress[0], (std::vector<int>{33, 66, 100}));
}

TEST(BlockModel, EachBlockIsAClosedBoxAtNinetyTwoPercentOfItsWholeSize) {
    RecordingObserver observer;
    SceneModel scene =
        Load(TagLine("BLKKDX", 2) + "10,10.9,5,\nskip\nskip\n1005,2005,302.5,255,\n1015,2005,302.5,65280,\n", &observer);
    ASSERT_EQ(scene.totalVertexCount, 72);
    EXPECT_EQ(scene.objectNames[0], "Bloques");
    EXPECT_EQ(observer.progressTitles[0], "Bloques");
    EXPECT_EQ(Position(scene, 0), (Vec3{1005 - 4.6f, 302.5f - 2.3f, 2005 - 4.6f})) << "sizes are whole numbers";
    EXPECT_EQ(Normal(scene, 0), (Vec3{0, 0, -1}));
    EXPECT_EQ(Colour(scene, 0), (Rgba{1, 0, 0, 1}));
    EXPECT_EQ(Colour(scene, 36), (Rgba{0, 1, 0, 1}));
    // Only the centres widen the bounds.
    EXPECT_EQ(scene.boundsMin, (Vec3{1005, 2005, 302.5f}));
    EXPECT_EQ(scene.boundsMax, (Vec3{1015, 2005, 302.5f}));

    // Every triangle is wound so that (b - a) x (c - a) points along its face normal;
    // six faces, each normal once per face, make the box closed.
    std::map<Vec3, int> faces;
    for (int t = 0; t < 12; ++t) {
        const Vec3 a = Position(scene, 3 * t), b = Position(scene, 3 * t + 1), c = Position(scene, 3 * t + 2);
        const Vec3 e1{b[0] - a[0], b[1] - a[1], b[2] - a[2]}, e2{c[0] - a[0], c[1] - a[1], c[2] - a[2]};
        const Vec3 cross{e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
        const Vec3 n = Normal(scene, 3 * t);
        EXPECT_GT(cross[0] * n[0] + cross[1] * n[1] + cross[2] * n[2], 0.0f) << "triangle " << t;
        ++faces[n];
    }
    EXPECT_EQ(faces.size(), 6u);

    // Size 0 makes the boxes flat.
    scene = Load(TagLine("BLKKDX", 1) + "12,1,0,\nskip\nskip\n0,0,0,0,\n");
    for (int i = 0; i < 36; ++i) EXPECT_EQ(Position(scene, i)[1], 0.0f) << i;
}

TEST(PointsAndDrillHoles, OnePointPerLineInTheSectionColourOneIntervalPerLineInItsOwn) {
    RecordingObserver observer;
    SceneModel points = Load(TagLine("PTS", 3) + "255,\n North pit ,old\nskip\n1000.5,2000,300\n1010,2005.25,302\n"
                             "1020,2010,305.5,extra\n", &observer);
    EXPECT_EQ(points.objectNames[0], " North pit ");
    EXPECT_EQ(points.verticesPerElement[0], 1);
    EXPECT_EQ(Position(points, 0), (Vec3{1000.5f, 300, 2000}));
    EXPECT_EQ(Position(points, 2), (Vec3{1020, 305.5f, 2010}));
    EXPECT_EQ(Colour(points, 1), (Rgba{1, 0, 0, 1}));
    EXPECT_EQ(points.boundsMin, (Vec3{1000.5f, 2000, 300}));
    EXPECT_EQ(points.boundsMax, (Vec3{1020, 2010, 305.5f}));
    EXPECT_EQ(observer.progress[0], (std::vector<int>{33, 66, 100}));

    SceneModel holes = Load(TagLine("SONKDX", 3) + "DH-01,\nskip\n1000,2000,310,1000,2000,300,255\n"
                            "1000,2000,300,1001,2000,290,65280,x\n1000,2000,310,999,2001,295,16711680\n");
    EXPECT_EQ(holes.objectNames[0], "DH-01");
    EXPECT_EQ(Position(holes, 0), (Vec3{1000, 310, 2000}));
    EXPECT_EQ(Position(holes, 3), (Vec3{1001, 290, 2000}));
    EXPECT_EQ(Colour(holes, 1), (Rgba{1, 0, 0, 1}));
    EXPECT_EQ(Colour(holes, 2), (Rgba{0, 1, 0, 1}));
    EXPECT_EQ(Colour(holes, 5), (Rgba{0, 0, 1, 1}));
    EXPECT_EQ(holes.boundsMin, (Vec3{999, 2000, 290}));
    EXPECT_EQ(holes.boundsMax, (Vec3{1001, 2001, 310}));
}

TEST(EmptySections, ACountOfZeroStillMakesANamedObjectWithItsMenuEntries) {
    for (const char* kind : {"T3", "LIN", "SUP", "BLKKDX", "PTS", "SONKDX"}) {
        RecordingObserver observer;
        SceneModel scene = Load(TagLine(kind, 0) + "0,0,0,\nname,\nskip\nskip\n" + kPoint, &observer);
        ASSERT_EQ(scene.objectCount, 2) << kind;
        EXPECT_EQ(scene.elementCounts[0], 0);
        EXPECT_EQ(scene.firstVertex[1], 0) << "the next object starts at the same index";
        EXPECT_EQ(Position(scene, 0), (Vec3{1, 3, 2}));
        EXPECT_EQ(observer.progress[0], std::vector<int>{}) << "shown and closed at once";
        EXPECT_EQ(observer.closed, 2);
    }
}

}  // namespace
}  // namespace talan
