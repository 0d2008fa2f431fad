// GOCAD ASCII files: each object type in stored axes with its normals, colours and
// names, vertex values, ids, parts, depths, several objects to a file, what is skipped
// and reported, and hostile text.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "TestHelpers.h"
#include "scene/GocadReader.h"
#include "scene/SceneFileReader.h"
#include "scene/SceneModel.h"

namespace talan {
namespace {

using testing::RecordingObserver;
using testing::TagLine;
using Vec3 = std::array<float, 3>;

Vec3 Position(const SceneModel& s, int i) {
    const SceneVertex v = VertexAt(s, i);
    return {v.position[0], v.position[1], v.position[2]};
}
Vec3 Normal(const SceneModel& s, int i) {
    const SceneVertex v = VertexAt(s, i);
    return {v.normal[0], v.normal[1], v.normal[2]};
}
Vec3 Colour(const SceneModel& s, int i) {
    const SceneVertex v = VertexAt(s, i);
    EXPECT_EQ(v.colour[3], 1.0f);
    return {v.colour[0], v.colour[1], v.colour[2]};
}

// The bytes of a literal, NULs included.
template <size_t N>
std::string Bytes(const char (&literal)[N]) {
    return std::string(literal, N - 1);
}

struct Read {
    SceneModel scene;
    RecordingObserver observer;
    std::vector<SkippedRow> skipped;
    ReadProblem problem = ReadProblem::None;
};

Read ReadText(const std::string& text, const std::string& file = "/data/pit.ts") {
    Read r;
    r.problem = ReadGocadText(r.scene, text, file, r.observer, r.skipped);
    return r;
}

std::vector<int64_t> SkippedLines(const Read& r, RowFault fault) {
    std::vector<int64_t> lines;
    for (const SkippedRow& row : r.skipped) {
        EXPECT_EQ(row.file, "/data/pit.ts");
        if (row.fault == fault) lines.push_back(row.line);
    }
    return lines;
}

// Two triangles sharing the edge 2-3; their corners are not in the plane z = const, so
// each normal has all three components.
const std::string kTwoTriangles =
    "GOCAD TSurf 1\n"
    "HEADER {\n"
    "name:Pit floor\n"
    "*solid*color:0.2 0.4 0.6 1\n"
    "}\n"
    "TFACE\n"
    "VRTX 1 1000 2000 300\n"
    "VRTX 2 1010 2000 305\n"
    "VRTX 3 1000 2010 310\n"
    "VRTX 4 1010 2010 290\n"
    "TRGL 1 2 3\n"
    "TRGL 2 4 3\n"
    "END\n";

TEST(GocadReader, TwoTriangleSurfaceInStoredAxesWithTheNormalsOfASceneFileTriangle) {
    Read r = ReadText(kTwoTriangles);
    ASSERT_EQ(r.problem, ReadProblem::None);
    const SceneModel& s = r.scene;
    ASSERT_EQ(s.objectNames, std::vector<std::string>{"Pit floor"});
    EXPECT_EQ(s.objectKinds[0], ObjectKind::T3);
    EXPECT_EQ(s.objectFormats[0], SourceFormat::GocadTSurf);
    EXPECT_EQ(s.totalVertexCount, 6);
    EXPECT_EQ(s.objectCount, 1);
    EXPECT_TRUE(r.skipped.empty());
    // File elevation second.
    EXPECT_EQ(Position(s, 0), (Vec3{1000, 300, 2000}));
    EXPECT_EQ(Position(s, 4), (Vec3{1010, 290, 2010}));
    EXPECT_EQ(s.boundsMin, (std::array<float, 3>{1000, 2000, 290}));
    EXPECT_EQ(s.boundsMax, (std::array<float, 3>{1010, 2010, 310}));
    EXPECT_EQ(Colour(s, 3), (Vec3{0.2f, 0.4f, 0.6f}));
    EXPECT_EQ(s.objectValues[0].ownColour, (std::array<float, 4>{0.2f, 0.4f, 0.6f, 1.0f}));
    EXPECT_TRUE(s.objectValues[0].columns.empty());

    // The same two triangles as a scene file gives them.
    SceneModel t3;
    ASSERT_TRUE(ReadSceneText(t3,
                              "\"Tavrin\"\n" + TagLine("T3", 2) + "1,0,0,\ns,\n" +
                                  "1000,2000,300,1010,2000,305,1000,2010,310,\n"
                                  "1010,2000,305,1010,2010,290,1000,2010,310,\n",
                              nullptr)
                    .read);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Position(s, i), Position(t3, i)) << i;
        EXPECT_EQ(Normal(s, i), Normal(t3, i)) << i;
    }
    EXPECT_NE(Normal(s, 0), Normal(s, 3));

    ASSERT_EQ(r.observer.announcements.size(), 1u);
    EXPECT_EQ(r.observer.announcements[0].menuId, kFirstObjectMenuId);
    EXPECT_EQ(r.observer.announcements[0].transparencyMenuId, kFirstTransparencyMenuId);
}

TEST(GocadReader, ColourFormsAndOneLineHeaderAndDefaultNamesAndColours) {
    Read hex = ReadText("GOCAD TSurf 1\nHEADER{name:\"Top\"}\nHEADER {\n*solid*color: #ff8000\n}\n"
                        "VRTX 1 0 0 0\nVRTX 2 1 0 0\nVRTX 3 0 1 0\nTRGL 1 2 3\nEND\n");
    ASSERT_EQ(hex.problem, ReadProblem::None);
    EXPECT_EQ(hex.scene.objectNames[0], "Top");
    EXPECT_EQ(Colour(hex.scene, 0), (Vec3{255 * kByteToUnit, 128 * kByteToUnit, 0.0f}));

    // A plain colour counts only where the type's own key is missing; the line colour
    // key of a surface is not the surface's.
    const std::string triangle = "VRTX 1 0 0 0\nVRTX 2 1 0 0\nVRTX 3 0 1 0\nTRGL 1 2 3\nEND\n";
    Read plain = ReadText("GOCAD TSurf 1\nHEADER {\ncolor: 0 1 0\n*line*color: 1 0 0\n}\n" + triangle +
                          "GOCAD TSurf 1\nHEADER {\n*solid*color: 0 0 1\ncolor: 0 1 0\n}\n" + triangle +
                          "GOCAD TSurf 1\n" + triangle + "GOCAD TSurf 1\nHEADER {\ncolor: 2 -1 junk\n}\n" + triangle);
    ASSERT_EQ(plain.scene.objectNames.size(), 4u);
    EXPECT_EQ(Colour(plain.scene, 0), (Vec3{0, 1, 0}));
    EXPECT_EQ(Colour(plain.scene, 3), (Vec3{0, 0, 1}));
    EXPECT_EQ(Colour(plain.scene, 6), (Vec3{0.8f, 0.8f, 0.6f}));
    EXPECT_EQ(Colour(plain.scene, 9), (Vec3{0.8f, 0.8f, 0.6f}));
    // Unnamed objects take the file's name, numbered from the second object.
    EXPECT_EQ(plain.scene.objectNames, (std::vector<std::string>{"pit", "pit 2", "pit 3", "pit 4"}));
}

TEST(GocadReader, PropertiesGiveOneValuePerCornerWithNoDataAndMissingValuesAsNaN) {
    Read r = ReadText("GOCAD TSurf 1\n"
                      "PROPERTIES GRADE DIP ELEV\n"
                      "ESIZES 1 3 1\n"
                      "NO_DATA_VALUES -99999 -99999 -1\n"
                      "PVRTX 1 0 0 0 1.5 10 11 12 100\n"
                      "PVRTX 2 1 0 0 -99999 20 21 22 -1\n"
                      "PVRTX 3 0 1 0 2.5e1 30\n"
                      "VRTX 4 1 1 0\n"
                      "TRGL 3 1 2\n"
                      "TRGL 2 4 3\n"
                      "END\n");
    ASSERT_EQ(r.problem, ReadProblem::None);
    const ObjectValues& values = r.scene.objectValues[0];
    EXPECT_EQ(values.firstVertex, 0);
    EXPECT_EQ(values.verticesPerValue, 1);
    ASSERT_EQ(values.columns.size(), 3u);
    EXPECT_EQ(values.columns[0].name, "GRADE");
    EXPECT_EQ(values.columns[1].name, "DIP");
    EXPECT_EQ(values.columns[2].name, "ELEV");
    const float nan = std::nanf("");
    const auto expect = [&](size_t column, std::vector<float> want) {
        const std::vector<float>& got = values.columns[column].numbers;
        ASSERT_EQ(got.size(), want.size()) << column;
        for (size_t i = 0; i < want.size(); ++i) {
            if (std::isnan(want[i])) {
                EXPECT_TRUE(std::isnan(got[i])) << column << " " << i;
            } else {
                EXPECT_EQ(got[i], want[i]) << column << " " << i;
            }
        }
    };
    // Corners 3 1 2 and 2 4 3; a three-number DIP keeps its first number.
    expect(0, {25, 1.5f, nan, nan, nan, 25});
    expect(1, {30, 10, 20, 20, nan, 30});
    expect(2, {nan, 100, nan, nan, nan, nan});
}

TEST(GocadReader, AtomsReuseAPositionAndIdsMayHaveGapsAndBeHuge) {
    Read r = ReadText("GOCAD TSurf 1\n"
                      "PROPERTIES V\n"
                      "TFACE\n"
                      "PVRTX 10 0 0 0 7\n"
                      "PVRTX 2000000000 4 0 0 8\n"
                      "PVRTX 500 0 4 0 9\n"
                      "TRGL 10 2000000000 500\n"
                      "TFACE\n"
                      "ATOM 501 500\n"
                      "PATOM 502 2000000000 3\n"
                      "VRTX 999999999999 4 4 0\n"
                      "TRGL 502 999999999999 501\n"
                      "ATOM 503 77\n"
                      "END\n");
    ASSERT_EQ(r.problem, ReadProblem::None);
    EXPECT_EQ(r.scene.elementCounts[0], 2);
    EXPECT_EQ(Position(r.scene, 1), (Vec3{4, 0, 0}));
    EXPECT_EQ(Position(r.scene, 3), (Vec3{4, 0, 0}));
    EXPECT_EQ(Position(r.scene, 4), (Vec3{4, 0, 4}));
    EXPECT_EQ(Position(r.scene, 5), (Vec3{0, 0, 4}));
    const std::vector<float>& v = r.scene.objectValues[0].columns[0].numbers;
    ASSERT_EQ(v.size(), 6u);
    EXPECT_EQ(v[3], 3.0f);  // PATOM: its own value
    EXPECT_TRUE(std::isnan(v[4]));
    EXPECT_EQ(v[5], 9.0f);  // ATOM: the value of the vertex it repeats
    EXPECT_EQ(SkippedLines(r, RowFault::UnknownVertex), std::vector<int64_t>{13});
}

TEST(GocadReader, DepthsTurnIntoElevationsWhereverZPositiveDepthStands) {
    const std::string body = "VRTX 1 0 0 100\nVRTX 2 10 0 100\nVRTX 3 0 10 120\nTRGL 1 2 3\nEND\n";
    for (const std::string& declaration :
         {std::string("GOCAD_ORIGINAL_COORDINATE_SYSTEM\nNAME Default\nZPOSITIVE Depth\n"
                      "END_ORIGINAL_COORDINATE_SYSTEM\n"),
          std::string("HEADER {\nname:d\nZPOSITIVE: Depth\n}\n"), std::string("ZPOSITIVE Depth\n")}) {
        Read r = ReadText("GOCAD TSurf 1\n" + declaration + body);
        ASSERT_EQ(r.problem, ReadProblem::None) << declaration;
        EXPECT_EQ(Position(r.scene, 2), (Vec3{0, -120, 10})) << declaration;
        EXPECT_EQ(r.scene.boundsMin[2], -120.0f);
        EXPECT_EQ(r.scene.boundsMax[2], -100.0f);
        SceneModel t3;
        ReadSceneText(t3, "\"Tavrin\"\n" + TagLine("T3", 1) + "1,0,0,\ns,\n0,0,-100,10,0,-100,0,10,-120,\n", nullptr);
        EXPECT_EQ(Normal(r.scene, 0), Normal(t3, 0));
    }
    Read elevation = ReadText("GOCAD TSurf 1\nZPOSITIVE Elevation\n" + body);
    EXPECT_EQ(Position(elevation.scene, 2), (Vec3{0, 120, 10}));
}

TEST(GocadReader, LineSetDrawsItsSegmentsAcrossPartsWithValues) {
    Read r = ReadText("GOCAD PLine 1\r\n"
                      "HEADER {\r\n"
                      "name: Haul road\r\n"
                      "*line*color: #0000ff\r\n"
                      "}\r\n"
                      "PROPERTIES WIDTH\r\n"
                      "ILINE\r\n"
                      "PVRTX 1\t1000 2000 300\t12\r\n"
                      "PVRTX 2 1100 2000 310 14   \r\n"
                      "SEG 1 2\r\n"
                      "ILINE\r\n"
                      "PVRTX 3 1200 2100 320 16\r\n"
                      "SEG 2 3\r\n"
                      "TRGL 1 2 3\r\n"
                      "END\r\n");
    ASSERT_EQ(r.problem, ReadProblem::None);
    const SceneModel& s = r.scene;
    EXPECT_EQ(s.objectNames[0], "Haul road");
    EXPECT_EQ(s.objectKinds[0], ObjectKind::LIN);
    EXPECT_EQ(s.objectFormats[0], SourceFormat::GocadPLine);
    EXPECT_EQ(s.elementCounts[0], 2);
    EXPECT_EQ(s.verticesPerElement[0], 2);
    EXPECT_EQ(Position(s, 2), (Vec3{1100, 310, 2000}));
    EXPECT_EQ(Position(s, 3), (Vec3{1200, 320, 2100}));
    EXPECT_EQ(Normal(s, 3), (Vec3{0, 0, 0}));
    EXPECT_EQ(Colour(s, 0), (Vec3{0, 0, 255 * kByteToUnit}));
    EXPECT_EQ(s.objectValues[0].columns[0].numbers, (std::vector<float>{12, 14, 14, 16}));
    EXPECT_EQ(r.observer.announcements[0].transparencyMenuId, -1);
    EXPECT_TRUE(r.skipped.empty());
}

TEST(GocadReader, PointSetDrawsEveryVertexIncludingAtoms) {
    Read r = ReadText("GOCAD VSet 1\nHEADER {\nname:Survey\n*atoms*color:1 0 0\n}\nPROPERTIES AU\n"
                      "PVRTX 1 5 6 7 0.5\nVRTX 2 8 9 10\nPATOM 3 1 0.75\nEND\n");
    ASSERT_EQ(r.problem, ReadProblem::None);
    const SceneModel& s = r.scene;
    EXPECT_EQ(s.objectKinds[0], ObjectKind::PTS);
    EXPECT_EQ(s.objectFormats[0], SourceFormat::GocadVSet);
    EXPECT_EQ(s.elementCounts[0], 3);
    EXPECT_EQ(s.verticesPerElement[0], 1);
    EXPECT_EQ(Position(s, 1), (Vec3{8, 10, 9}));
    EXPECT_EQ(Position(s, 2), (Vec3{5, 7, 6}));
    EXPECT_EQ(Colour(s, 2), (Vec3{1, 0, 0}));
    const std::vector<float>& v = s.objectValues[0].columns[0].numbers;
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(v[0], 0.5f);
    EXPECT_TRUE(std::isnan(v[1]));
    EXPECT_EQ(v[2], 0.75f);
}

TEST(GocadReader, SeveralObjectsFollowTheSceneAndUnknownTypesAndBlocksAreSkipped) {
    Read r;
    ASSERT_TRUE(ReadSceneText(r.scene, std::string(testing::kExampleScene), nullptr).read);
    ASSERT_EQ(r.scene.objectNames.size(), 2u);
    const std::string text = "GOCAD Voxet 1\nHEADER {\nname:vox\n}\nAXIS_O 0 0 0\nVRTX 1 0 0 0\nEND\n"
                             "GOCAD TSurf 1\n"
                             "HEADER {\nname:a\n}\n"
                             "PROPERTY_CLASS_HEADER Z {\nVRTX 9 9 9 9\nkind: Depth\n}\n"
                             "BSTONE 1\nUNITS m m\n"
                             "VRTX 1 0 0 0\nVRTX 2 1 0 0\nVRTX 3 0 1 0\nTRGL 1 2 3\nBORDER 4 1 2\nEND\n"
                             "GOCAD SGrid 1\nEND\n"
                             "GOCAD VSet 1\nVRTX 1 1 2 3\nEND\n";
    r.problem = ReadGocadText(r.scene, text, "/data/pit.ts", r.observer, r.skipped);
    ASSERT_EQ(r.problem, ReadProblem::None);
    const SceneModel& s = r.scene;
    ASSERT_EQ(s.objectNames, (std::vector<std::string>{"Pit floor", "Ramp", "a", "pit 4"}));
    EXPECT_EQ(s.firstVertex[2], 8);
    EXPECT_EQ(s.firstVertex[3], 11);
    EXPECT_EQ(s.totalVertexCount, 12);
    EXPECT_EQ(s.objectFormats[1], SourceFormat::SceneFile);
    EXPECT_EQ(s.objectFormats[3], SourceFormat::GocadVSet);
    EXPECT_EQ(s.elementCounts[2], 1);  // the vertex inside the property block is no vertex
    EXPECT_EQ(Position(s, 11), (Vec3{1, 3, 2}));
    EXPECT_EQ(s.objectCount, 4);
    EXPECT_FALSE(s.boundsFromFile);
    // The scene file's declared bounds are widened by the new points.
    EXPECT_EQ(s.boundsMin[0], 0.0f);
    EXPECT_EQ(s.boundsMax[0], 1010.0f);
    ASSERT_EQ(r.observer.announcements.size(), 2u);
    EXPECT_EQ(r.observer.announcements[0].index, 2);
    EXPECT_EQ(r.observer.announcements[0].menuId, kFirstObjectMenuId + 4);
    EXPECT_EQ(r.observer.announcements[1].transparencyMenuId, -1);
}

TEST(GocadReader, BadVerticesAndUnknownIdsAreReportedWithTheirLines) {
    Read r = ReadText("GOCAD TSurf 1\n"                // 1
                      "VRTX 1 0 0 0\n"                 // 2
                      "VRTX 2 1 0 0\n"                 // 3
                      "VRTX 3 0 1 0\n"                 // 4
                      "VRTX 4 1 1\n"                   // 5: too few numbers
                      "VRTX 5 1 1 nan\n"               // 6
                      "VRTX 6 1 -inf 1\n"              // 7
                      "VRTX 7 1e39 1 1\n"              // 8: beyond a float
                      "VRTX -8 1 1 1\n"                // 9
                      "VRTX 9 1 x1 1\n"                // 10
                      "# VRTX 10 1 1 1 comment\n"      // 11
                      "TRGL 1 2 4\n"                   // 12
                      "TRGL 1 2 6\n"                   // 13
                      "TRGL 1 2\n"                     // 14
                      "TRGL 1 2 3\n"                   // 15
                      "TRGL 1 3 10\n"                  // 16
                      "END\n");
    ASSERT_EQ(r.problem, ReadProblem::None);
    EXPECT_EQ(r.scene.elementCounts[0], 1);
    EXPECT_EQ(SkippedLines(r, RowFault::BadVertex), (std::vector<int64_t>{5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(SkippedLines(r, RowFault::UnknownVertex), (std::vector<int64_t>{12, 13, 14, 16}));
}

TEST(GocadReader, HostileTextGivesAMessageAndLeavesTheSceneAsItWas) {
    for (const std::string& text :
         {std::string(), std::string("GOCAD TSurf 1"), std::string("GOCAD TSurf 1\nEND\n"),
          std::string("GOCAD TSurf 1\nVRTX 1 0 0 0\nVRTX 2 1 0 0\nEND\n"), std::string("GOCAD Voxet 1\nEND\n"),
          std::string("GOCAD PLine 1\nVRTX 1 0 0 0\nTRGL 1 1 1\nEND"), Bytes("\0\xff\x01GOCAD\n\n\x80"),
          std::string("GOCAD TSurf 1\nHEADER {\nVRTX 1 0 0 0\nVRTX 2 1 0 0\nVRTX 3 0 1 0\nTRGL 1 2 3\n")}) {
        SCOPED_TRACE(text);
        Read r;
        ASSERT_TRUE(ReadSceneText(r.scene, std::string(testing::kExampleScene), nullptr).read);
        SceneModel before;
        ReadSceneText(before, std::string(testing::kExampleScene), nullptr);
        r.problem = ReadGocadText(r.scene, text, "/data/pit.ts", r.observer, r.skipped);
        EXPECT_EQ(r.problem, ReadProblem::NoObjects);
        EXPECT_EQ(r.scene.objectNames, before.objectNames);
        EXPECT_EQ(r.scene.totalVertexCount, before.totalVertexCount);
        EXPECT_EQ(r.scene.boundsMin, before.boundsMin);
        EXPECT_EQ(r.scene.boundsMax, before.boundsMax);
        EXPECT_TRUE(r.scene.boundsFromFile);
        EXPECT_EQ(r.observer.closed, 1);
    }
}

TEST(GocadReader, FileCutShortKeepsWhatWasReadAndANewObjectEndsTheOneBefore) {
    Read r = ReadText("GOCAD TSurf 1\nVRTX 1 0 0 0\nVRTX 2 1 0 0\nVRTX 3 0 1 0\nTRGL 1 2 3\n"
                      "GOCAD PLine 1\nVRTX 1 0 0 0\r\nVRTX 2 1 0 0\nSEG 1 2\nSEG 1 3\nSEG 2");
    ASSERT_EQ(r.problem, ReadProblem::None);
    EXPECT_EQ(r.scene.objectKinds, (std::vector<ObjectKind>{ObjectKind::T3, ObjectKind::LIN}));
    EXPECT_EQ(r.scene.elementCounts, (std::vector<int32_t>{1, 1}));
    EXPECT_EQ(SkippedLines(r, RowFault::UnknownVertex), (std::vector<int64_t>{10, 11}));

    // Binary bytes inside an object only cost their lines.
    Read binary = ReadText(Bytes("GOCAD VSet 1\nVRTX 1 1 2 3\n\xff\xfe\0\x01 \x80\nVRTX\t2 4 5 6\n\0"));
    ASSERT_EQ(binary.problem, ReadProblem::None);
    EXPECT_EQ(binary.scene.elementCounts[0], 2);
}

TEST(GocadReader, ProgressIsTitledWithTheFileAndRisesToAHundred) {
    std::string text = "GOCAD VSet 1\n";
    for (int i = 1; i <= 1000; ++i) text += "VRTX " + std::to_string(i) + " 1 2 3\n";
    text += "END\n";
    Read r = ReadText(text);
    ASSERT_EQ(r.observer.progressTitles, std::vector<std::string>{"pit.ts"});
    const std::vector<int>& steps = r.observer.progress[0];
    ASSERT_FALSE(steps.empty());
    EXPECT_EQ(steps.back(), 100);
    for (size_t i = 1; i < steps.size(); ++i) EXPECT_GT(steps[i], steps[i - 1]);
    EXPECT_EQ(r.observer.closed, 1);
    EXPECT_EQ(r.scene.elementCounts[0], 1000);
}

std::string SampleText(const char* name) {
    std::ifstream in(std::string(TALAN_SAMPLES_DIR) + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(GocadReader, SampleFilesReadWholeOnTheOpenPitSite) {
    const std::string surfaceText = SampleText("open_pit_surface.ts");
    ASSERT_TRUE(IsGocadText(surfaceText));
    Read surface = ReadText(surfaceText);
    ASSERT_EQ(surface.problem, ReadProblem::None);
    EXPECT_TRUE(surface.skipped.empty());
    const SceneModel& s = surface.scene;
    EXPECT_EQ(s.objectNames, std::vector<std::string>{"Pit surface"});
    EXPECT_EQ(s.elementCounts[0], 3200);
    ASSERT_EQ(s.objectValues[0].columns.size(), 1u);
    EXPECT_EQ(s.objectValues[0].columns[0].name, "ELEV");
    for (int i = 0; i < s.totalVertexCount; ++i) {
        // The elevation property is the vertex's own elevation, and the ground faces up.
        EXPECT_EQ(s.objectValues[0].columns[0].numbers[static_cast<size_t>(i)], Position(s, i)[1]);
        EXPECT_GT(Normal(s, i)[1], 0.0f) << i;
    }
    EXPECT_GE(s.boundsMin[0], 1000.0f);
    EXPECT_LE(s.boundsMax[1], 4000.0f);
    EXPECT_GT(s.boundsMin[2], 150.0f);
    EXPECT_LT(s.boundsMax[2], 600.0f);

    const std::string linesText = SampleText("pit_lines.pl");
    ASSERT_TRUE(IsGocadText(linesText));
    Read lines = ReadText(linesText);
    ASSERT_EQ(lines.problem, ReadProblem::None);
    EXPECT_TRUE(lines.skipped.empty());
    EXPECT_EQ(lines.scene.objectKinds, std::vector<ObjectKind>{ObjectKind::LIN});
    EXPECT_EQ(lines.scene.elementCounts[0], 422);
    // The distance along each part starts at 0: the closed crest's first vertex ends
    // its last segment too, and the road starts again from 0.
    const std::vector<float>& chainage = lines.scene.objectValues[0].columns[0].numbers;
    EXPECT_EQ(std::count(chainage.begin(), chainage.end(), 0.0f), 3);
}

TEST(GocadReader, GocadTextIsKnownByItsFirstLine) {
    EXPECT_TRUE(IsGocadText("GOCAD VSet 1\r\n"));
    for (const char* text : {"GOCAD", " GOCAD TSurf 1\n", "\"Tavrin\"\n", ""}) EXPECT_FALSE(IsGocadText(text));
}

}  // namespace
}  // namespace talan
