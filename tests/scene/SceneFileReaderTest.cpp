// The file as a whole: signature, MAX block, tag and header lines, object numbering
// and menu identifiers, Open (Add) of a second file, and what a failed load leaves.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "TestHelpers.h"
#include "scene/SceneFileReader.h"
#include "scene/SceneModel.h"

namespace talan {
namespace {

using testing::kExampleScene;
using testing::RecordingObserver;
using testing::TagLine;

SceneReadResult Read(SceneModel& scene, std::string_view text, RecordingObserver* observer = nullptr) {
    return ReadSceneText(scene, text, observer);
}

std::string WithoutBoundsBlock(std::string_view text) {
    // Drop the three bounds lines and the MAX of line 1.
    std::string s(text);
    s.erase(0, s.find("\"Tavrin\"  T3"));
    return s;
}

TEST(SceneFileReader, ExampleSceneGivesTwoObjectsWithTheirMenuIdsAndDeclaredBounds) {
    SceneModel scene;
    RecordingObserver observer;
    const SceneReadResult result = Read(scene, kExampleScene, &observer);
    EXPECT_TRUE(result.read);
    EXPECT_EQ(result.Status(), kStatusOk);
    ASSERT_EQ(scene.objectCount, 2);
    EXPECT_EQ(scene.objectNames, (std::vector<std::string>{"Pit floor", "Ramp"}));
    EXPECT_EQ(scene.firstVertex, (std::vector<int32_t>{0, 6}));
    EXPECT_EQ(scene.elementCounts, (std::vector<int32_t>{2, 1}));
    EXPECT_EQ(scene.verticesPerElement, (std::vector<int32_t>{3, 2}));
    EXPECT_EQ(scene.totalVertexCount, 8);
    EXPECT_EQ(scene.kindCount[static_cast<int>(ObjectKind::T3)], 1);
    EXPECT_EQ(scene.kindCount[static_cast<int>(ObjectKind::LIN)], 1);
    EXPECT_TRUE(scene.boundsFromFile);
    EXPECT_EQ(scene.boundsMin, (std::array<float, 3>{990, 1990, 290}));
    EXPECT_EQ(scene.boundsMax, (std::array<float, 3>{1010, 2010, 310}));
    ASSERT_EQ(observer.announcements.size(), 2u);
    EXPECT_EQ(observer.announcements[0].menuId, 5000);
    EXPECT_EQ(observer.announcements[0].transparencyMenuId, 10000);
    EXPECT_EQ(observer.announcements[1].menuId, 5002);
    EXPECT_EQ(observer.announcements[1].transparencyMenuId, -1);
    EXPECT_EQ(scene.nextObjectMenuId, 5004);
    EXPECT_EQ(scene.nextTransparencyMenuId, 10004);
    // The LIN reader skipped its fourth line and read the segment after it.
    EXPECT_EQ(scene.sceneVertices[7].position[1], 310.0f);
}

TEST(SceneFileReader, WithoutTheBoundsBlockTheVerticesGiveTheBounds) {
    SceneModel scene;
    std::string text = WithoutBoundsBlock(kExampleScene);
    Read(scene, text);
    EXPECT_FALSE(scene.boundsFromFile);
    EXPECT_EQ(scene.boundsMin, (std::array<float, 3>{990, 1990, 290}));
    EXPECT_EQ(scene.boundsMax, (std::array<float, 3>{1010, 2010, 310}));
}

TEST(SceneFileReader, TheBoundsBlockIsTrustedEvenWhenObjectsLieOutside) {
    SceneModel scene;
    Read(scene, "\"Tavrin\"  MAX\n1,0\n1,0\n1,0\n" + TagLine("PTS", 1) + "0,\np,\nskip\n500,600,700\n");
    EXPECT_EQ(scene.boundsMax, (std::array<float, 3>{1, 1, 1}));
    EXPECT_EQ(scene.boundsMin, (std::array<float, 3>{0, 0, 0}));
}

TEST(SceneFileReader, LineOneCanBeTheFirstTagLine) {
    SceneModel scene;
    Read(scene, TagLine("T3", 1) + "1,0,0,\nfirst,\n0,0,0,1,0,0,0,1,0,\n");
    ASSERT_EQ(scene.objectCount, 1);
    EXPECT_EQ(scene.objectNames[0], "first");
    EXPECT_EQ(scene.elementCounts[0], 1);
}

TEST(SceneFileReader, SkippedLinesRunUpToTheNextHeaderLine) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> objects;
    };
    const std::string pts = "0,\npoints,\nskip\n1,2,3\n";
    const Case cases[] = {
        // Line 1 has the signature but no tag: line 2 is examined as a header line.
        {"signature then tag", "xTavrin\n" + TagLine("PTS", 1) + pts, {"points"}},
        // Lines of any content between sections are skipped up to a header line.
        {"junk between sections",
         TagLine("PTS", 1) + pts + "\n\nremark\n  12,13\n" + TagLine("PTS", 1) + "0,\nsecond,\nskip\n4,5,6\n",
         {"points", "second"}},
        // A tag line right after a section needs no quotation mark.
        {"tag line without quote", TagLine("PTS", 1) + pts + "0123456789PTS      1,\n0,\nbare,\nskip\n1,1,1\n",
         {"points", "bare"}},
        // T4 at position 10 is no tag: it and the lines up to the next header are skipped.
        {"T4 is not a tag", "\"Tavrin\"\n\"Tavrin\"  T4      1,\nz,\n" + TagLine("PTS", 1) + pts, {"points"}},
        // A header line by its letters at positions 1, 2 or 3 ends the run; it is then
        // examined as a tag line, and the real tag line after it is reached in turn.
        {"header by position 1", "\"Tavrin\"\nnot\nxTzz\n" + TagLine("PTS", 1) + pts, {"points"}},
        {"header by position 3", "\"Tavrin\"\nnot\nxxxv\n" + TagLine("PTS", 1) + pts, {"points"}},
        // A tag line hidden in a run of skipped lines is not a header line when it has
        // none of the header letters: it is skipped with the run.
        {"tag line inside a run", "\"Tavrin\"\nnot\n0000000000PTS      1,\n0,\nq,\nskip\n1,2,3\n", {}},
        // The last line, unterminated, is never examined.
        {"unterminated last tag line", "\"Tavrin\"\nnot\n" + TagLine("PTS", 0).substr(0, 21), {}},
    };
    for (const Case& c : cases) {
        SceneModel scene;
        Read(scene, c.text);
        EXPECT_EQ(scene.objectNames, c.objects) << c.name;
        EXPECT_EQ(scene.objectCount, static_cast<int32_t>(c.objects.size())) << c.name;
    }
}

TEST(SceneFileReader, TagsAreTestedAtPositionTenInTheirOrder) {
    struct Case {
        std::string tagLine;
        ObjectKind kind;
        int32_t count;
    };
    const Case cases[] = {
        {"\"Tavrin\"  T3      7,", ObjectKind::T3, 7},
        {"\"123456789T3xxxxxx12,junk", ObjectKind::T3, 12},
        {"\"123456789LINxxxxxx3,", ObjectKind::LIN, 3},
        {"\"123456789SUPxxxxxx4", ObjectKind::SUP, 4},
        {"\"123456789BLKKDXxxxxxx5,", ObjectKind::BLKKDX, 5},
        {"\"123456789PTSxxxxxx 6,", ObjectKind::PTS, 6},
        {"\"123456789SONKDXxxxxxx8,", ObjectKind::SONKDX, 8},
        {"\"123456789T3", ObjectKind::T3, 0},  // no count field at all reads as 0
    };
    for (const Case& c : cases) {
        SceneModel scene;
        RecordingObserver observer;
        Read(scene, "\"Tavrin\"\n\"\n" + c.tagLine + "\n", &observer);
        ASSERT_EQ(observer.announcements.size(), 1u) << c.tagLine;
        EXPECT_EQ(observer.announcements[0].kind, c.kind) << c.tagLine;
        EXPECT_EQ(scene.kindCount[static_cast<int>(c.kind)], 1) << c.tagLine;
        // The file ends at once, so no element is made whatever the count says.
        EXPECT_EQ(scene.elementCounts[0], 0) << c.tagLine;
    }
}

TEST(SceneFileReader, OpenAddContinuesNumberingAndWidensTheBounds) {
    SceneModel scene;
    RecordingObserver observer;
    Read(scene, kExampleScene, &observer);
    Read(scene, TagLine("T3", 1) + "1,0,0,\nfar,\n2000,3000,400,2001,3000,400,2000,3001,400,\n", &observer);
    ASSERT_EQ(scene.objectCount, 3);
    EXPECT_EQ(scene.firstVertex[2], 8);
    EXPECT_EQ(observer.announcements[2].menuId, 5004);
    EXPECT_EQ(observer.announcements[2].transparencyMenuId, 10004);
    EXPECT_FALSE(scene.boundsFromFile);
    EXPECT_EQ(scene.boundsMin, (std::array<float, 3>{990, 1990, 290}));
    EXPECT_EQ(scene.boundsMax, (std::array<float, 3>{2001, 3001, 400}));
}

TEST(SceneFileReader, ResetStartsNumberingAgainAndTheNextObjectAtVertexZero) {
    SceneModel scene;
    Read(scene, kExampleScene);
    ResetScene(scene);
    EXPECT_EQ(scene.objectCount, 2);  // refreshed by the next load or frame, not by the reset
    EXPECT_EQ(CountObjects(scene), 0);
    EXPECT_EQ(scene.boundsMax[0], -kBoundsResetValue);
    RecordingObserver observer;
    Read(scene, TagLine("PTS", 1) + "0,\np,\nskip\n1,2,3\n" + TagLine("SONKDX", 1) + "h,\nskip\n0,0,0,0,0,1,255\n",
         &observer);
    EXPECT_EQ(scene.firstVertex, (std::vector<int32_t>{0, 1}));
    EXPECT_EQ(scene.totalVertexCount, 3);
    EXPECT_EQ(observer.announcements[0].menuId, 5000);
    EXPECT_EQ(observer.announcements[1].menuId, 5002);
    EXPECT_EQ(scene.nextTransparencyMenuId, 10004);  // 10002 used up without an entry
}

TEST(SceneFileReader, NotASceneFileChangesNothing) {
    const std::string bad[] = {"", "\"Tavri", "\"tavrin\"  T3      1,\n", "\"Tavrim\"\n", "Tavrin\n"};
    for (const std::string& text : bad) {
        SceneModel scene;
        Read(scene, kExampleScene);
        const auto before = scene.objectNames;
        const SceneReadResult result = Read(scene, text);
        EXPECT_FALSE(result.read) << text;
        EXPECT_EQ(result.Status(), kStatusFail) << text;
        EXPECT_EQ(scene.objectNames, before);
        EXPECT_TRUE(scene.boundsFromFile) << "kept from the earlier load";
    }
    SceneModel scene;
    EXPECT_FALSE(ReadSceneFile(scene, "/nonexistent/scene.KDX", nullptr).read);
}

TEST(SceneFileReader, CarriageReturnLineFeedReadsAsALineEnd) {
    std::string crlf;
    for (char c : kExampleScene) {
        if (c == '\n') crlf += '\r';
        crlf += c;
    }
    SceneModel plain, windows;
    Read(plain, kExampleScene);
    Read(windows, crlf);
    EXPECT_EQ(windows.objectNames, plain.objectNames);
    ASSERT_EQ(windows.totalVertexCount, plain.totalVertexCount);
    EXPECT_EQ(0, std::memcmp(windows.sceneVertices.data(), plain.sceneVertices.data(),
                             sizeof(SceneVertex) * static_cast<size_t>(plain.totalVertexCount)));
    // A lone CR is an ordinary character of the name.
    SceneModel lone;
    Read(lone, TagLine("PTS", 0) + "0,\nA\rB,\n");
    EXPECT_EQ(lone.objectNames[0], "A\rB");
}

TEST(SceneFileReader, ReadsAFileFromDiskAsFromMemory) {
    SceneModel fromDisk, fromMemory;
    const std::string path = ::testing::TempDir() + "/example.KDX";
    FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    std::fwrite(kExampleScene.data(), 1, kExampleScene.size(), file);
    std::fclose(file);
    EXPECT_EQ(ReadSceneFile(fromDisk, path, nullptr).Status(), kStatusOk);
    Read(fromMemory, kExampleScene);
    EXPECT_EQ(fromDisk.objectNames, fromMemory.objectNames);
    EXPECT_EQ(fromDisk.totalVertexCount, fromMemory.totalVertexCount);
}

}  // namespace
}  // namespace talan
