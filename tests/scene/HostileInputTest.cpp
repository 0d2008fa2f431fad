// Files that no tool would write on purpose: binary garbage, NUL bytes, a 50 MB line,
// counts far beyond the file or beyond 32 bits of vertices, truncated files, odd line
// ends, and paths that are not regular files. Each must give exactly the documented
// result, quickly and in memory proportional to the file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <fstream>
#include <future>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "TestHelpers.h"
#include "render/SceneLoad.h"
#include "scene/SceneFileReader.h"
#include "scene/SceneModel.h"

namespace talan {
namespace {

using namespace std::string_literals;  // "...\0..."s keeps the NUL bytes
using testing::kExampleScene;
using testing::RecordingObserver;

// Everything a load may change, for "the scene is exactly as it was".
struct Fingerprint {
    std::vector<std::string> names;
    std::vector<int32_t> counts, firstVertex, perElement;
    std::array<int32_t, kObjectKindCount> kinds;
    int32_t objects, totalVertices, nextMenuId, nextTransparencyId;
    std::array<float, 3> boundsMin, boundsMax;
    bool boundsFromFile;
    bool operator==(const Fingerprint&) const = default;
};
Fingerprint Take(const SceneModel& s) {
    return {s.objectNames,      s.elementCounts,    s.firstVertex,      s.verticesPerElement,
            s.kindCount,        s.objectCount,      s.totalVertexCount, s.nextObjectMenuId,
            s.nextTransparencyMenuId, s.boundsMin, s.boundsMax,        s.boundsFromFile};
}

// A whole load as the program runs it: read, then complete without smoothing.
struct Load {
    SceneReadResult read;
    int32_t status;
    ViewState view;
};
Load Complete(SceneModel& scene, SceneReadResult read) {
    Load load{read, 0, {}};
    load.status = CompleteSceneLoad(scene, load.view, read, false);
    return load;
}
Load LoadText(SceneModel& scene, std::string_view text) { return Complete(scene, ReadSceneText(scene, text, nullptr)); }

// Reproducible noise: the engine's raw output is the same with every standard library.
std::string RandomBytes(uint32_t seed, size_t n) {
    std::mt19937 engine(seed);
    std::string bytes(n, '\0');
    for (char& c : bytes) c = static_cast<char>(engine() & 0xFF);
    return bytes;
}

std::string Tag(std::string_view tag, std::string_view count) {
    return "\"Tavrin\"  " + std::string(tag) + "      " + std::string(count) + ",\n";
}

// One section body per kind: the lines after the tag line up to the first element,
// and an element line; lines chosen so that none of them is a header line.
struct KindBody {
    ObjectKind kind;
    const char* header;
    const char* element;
    int32_t verticesPerElement;
};
constexpr KindBody kBodies[] = {
    {ObjectKind::T3, "0,0,0,\nT,\n", "1,2,3,4,5,6,7,8,9,0,255,\n", 3},
    {ObjectKind::LIN, "255,\nL,\nskipped\n", "1,2,3,4,5,6\n", 2},
    {ObjectKind::SUP, "255,\nS,\n", "1,2,3,4,5,6\n", 2},
    {ObjectKind::BLKKDX, "10,10,5,\nskipped\nskipped\n", "1,2,3,255,\n", 36},
    {ObjectKind::PTS, "255,\nP,\nskipped\n", "1,2,3\n", 1},
    {ObjectKind::SONKDX, "D,\nskipped\n", "1,2,3,4,5,6,255\n", 2},
};
std::string Section(const KindBody& body, std::string_view count, int elements) {
    std::string text = Tag(ObjectKindTag(body.kind), count) + body.header;
    for (int i = 0; i < elements; ++i) text += body.element;
    return text;
}

// A points object of one point, to show that reading goes on after something hostile.
const std::string kLaterSection = Tag("PTS", "1") + "65280,\nafter,\nskipped\n7,8,9\n";

const SceneVertex& Vertex(const SceneModel& scene, size_t i) { return scene.sceneVertices[i]; }
void ExpectPosition(const SceneVertex& v, float x, float elevation, float y) {
    EXPECT_EQ(v.position[0], x);
    EXPECT_EQ(v.position[1], elevation);
    EXPECT_EQ(v.position[2], y);
}

TEST(HostileFiles, TextWithoutTheSignatureLeavesTheSceneAsItWas) {
    const std::string cases[] = {
        "",                                    // empty file
        "\"Tavri",                             // line 1 too short
        "\"Tavri\n\"Tavrin\"\n",               // the signature on line 2 is too late
        "\"tavrin\"  PTS      1,\n255,\nP,\nx\n1,2,3\n",  // wrong case
        "Tavrin\"  PTS      1,\n",             // the word at position 0 instead of 1
        "\"TAVRIN\"\n",
        RandomBytes(1, 4096),                  // binary garbage
        RandomBytes(2, 65536),
        "\0Tavri\0n\n"s,
    };
    for (const std::string& text : cases) {
        SCOPED_TRACE(::testing::PrintToString(text.substr(0, 40)));
        SceneModel scene;
        LoadText(scene, kExampleScene);
        const Fingerprint before = Take(scene);
        const Load load = LoadText(scene, text);
        EXPECT_FALSE(load.read.read);
        EXPECT_EQ(load.status, kStatusFail);
        EXPECT_FALSE(load.view.cameraFitted) << "a failed read stops the load";
        EXPECT_TRUE(Take(scene) == before);
    }
}

TEST(HostileFiles, PathsThatAreNotRegularFilesLeaveTheSceneAsItWas) {
    const std::string dir = ::testing::TempDir() + "/hostile-" + std::to_string(getpid());
    ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
    const std::string fifo = dir + "/pipe.KDX";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    for (const std::string& path : {dir + "/missing.KDX", dir, fifo, "/dev/null"s}) {
        SCOPED_TRACE(path);
        SceneModel scene;
        LoadText(scene, kExampleScene);
        const Fingerprint before = Take(scene);
        ASSERT_TRUE(before.boundsFromFile);
        // A FIFO without a writer must be turned away, not waited on; should the read
        // block, a writer is opened to release it so that the test ends either way.
        auto reading = std::async(std::launch::async, [&] { return ReadSceneFile(scene, path, nullptr); });
        if (reading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << "the read blocked";
            close(open(path.c_str(), O_WRONLY | O_NONBLOCK));
        }
        const Load load = Complete(scene, reading.get());
        EXPECT_FALSE(load.read.read);
        EXPECT_EQ(load.status, kStatusFail);
        EXPECT_TRUE(Take(scene) == before) << "boundsFromFile included";
    }
    unlink(fifo.c_str());
    rmdir(dir.c_str());
}

TEST(HostileFiles, ASignatureWithNothingAfterItReadsButHasNoVertexToShow) {
    const std::string cases[] = {"\"Tavrin\"", "\"Tavrin\"\n", "xTavrin\r\n", "\"Tavrin\"\r",
                                 "\"Tavrin\"  MAX\n", "\"Tavrin\"  MAX\n10,0\n10,0\n10,0\n"};
    for (const std::string& text : cases) {
        SCOPED_TRACE(::testing::PrintToString(text));
        SceneModel scene;
        const Load load = LoadText(scene, text);
        EXPECT_TRUE(load.read.read);
        EXPECT_FALSE(load.read.sectionRefused);
        EXPECT_EQ(load.status, kStatusInvalidArg) << "as the upload of a 0-byte vertex buffer";
        EXPECT_FALSE(load.view.cameraFitted);
        EXPECT_EQ(scene.objectCount, 0);
        EXPECT_EQ(scene.boundsFromFile, text.find("MAX") != std::string::npos);
    }
}

TEST(HostileGarbage, RandomBytesAfterTheSignatureMakeNothingAndDoNotHideALaterSection) {
    for (uint32_t seed = 1; seed <= 16; ++seed) {
        SCOPED_TRACE(seed);
        SceneModel scene;
        const Load load = LoadText(scene, "\"Tavrin\"\n" + RandomBytes(seed, 8192) + "\n" + kLaterSection);
        EXPECT_EQ(load.status, kStatusOk);
        ASSERT_EQ(scene.objectNames, std::vector<std::string>{"after"});
        EXPECT_EQ(scene.kindCount, (std::array<int32_t, 6>{0, 0, 0, 0, 1, 0}));
        ASSERT_EQ(scene.totalVertexCount, 1);
        ExpectPosition(Vertex(scene, 0), 7, 9, 8);
    }
}

TEST(HostileNul, NamesKeepNulBytesAndNumbersStopAtThem) {
    // Line 1 is both the signature line (character 0 is not examined) and the tag
    // line; the count, colour and every coordinate end at a NUL.
    const std::string text = "\0Tavrin\0\0\0PTS      2\0009,\n"
                             "255\0 65280,\n"
                             "Pit\0floor,\n"
                             "\0\0\0\n"
                             "1.5\0e3,2\0 9,0x10\0ff\n"
                             "-\0 5,1e999\0,\0 7\n"s;
    SceneModel scene;
    RecordingObserver observer;
    const SceneReadResult read = ReadSceneText(scene, text, &observer);
    EXPECT_EQ(read.Status(), kStatusOk);
    ASSERT_EQ(scene.elementCounts, std::vector<int32_t>{2});
    EXPECT_EQ(scene.objectNames[0], "Pit\0floor"s);
    ASSERT_EQ(observer.announcements.size(), 1u);
    EXPECT_EQ(observer.announcements[0].name, "Pit\0floor"s);
    ExpectPosition(Vertex(scene, 0), 1.5f, 16, 2);
    ExpectPosition(Vertex(scene, 1), 0, 0, std::numeric_limits<float>::infinity());
    EXPECT_EQ(Vertex(scene, 0).colour[0], 1.0f);
    EXPECT_EQ(Vertex(scene, 0).colour[1], 0.0f) << "the colour ends at the NUL";
}

// Peak resident memory, and resetting it where the kernel allows (otherwise the
// growth measured below can only come out too small, never too large).
long PeakResidentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return 0;
}
void ResetPeakResident() { std::ofstream("/proc/self/clear_refs") << "5"; }

TEST(HostileLongLine, AFiftyMegabyteLineIsReadInPlaceAndQuickly) {
    constexpr size_t kLong = size_t{50} << 20;
    struct Case {
        const char* what;
        std::string text;
    };
    Case cases[2];
    // Skipped as line 2, after the signature, before a section.
    cases[0] = {"skipped line", "\"Tavrin\"\n" + std::string(kLong, 'x') + "\n" + kLaterSection};
    // The first coordinate of a triangle: 50 MB of leading zeros before 12.5.
    cases[1] = {"triangle field", Tag("T3", "2") + "0,0,0,\nlong,\n" + std::string(kLong, '0') +
                                      "12.5,0,0,1,0,0,0,1,0,0,255,\n1,2,3,4,5,6,7,8,9,0,255,\n"};
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        SceneModel scene;
        ResetPeakResident();
        const long peakBefore = PeakResidentKiB();
        const auto start = std::chrono::steady_clock::now();
        const SceneReadResult read = ReadSceneText(scene, c.text, nullptr);
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_LT(seconds, 10.0);
        EXPECT_LT(PeakResidentKiB() - peakBefore, 32 * 1024) << "no copy of the line";
        EXPECT_EQ(read.Status(), kStatusOk);
        if (&c == &cases[0]) {
            EXPECT_EQ(scene.objectNames, std::vector<std::string>{"after"});
        } else {
            ASSERT_EQ(scene.elementCounts, std::vector<int32_t>{2});
            ExpectPosition(Vertex(scene, 0), 12.5f, 0, 0);
            ExpectPosition(Vertex(scene, 3), 1, 3, 2);
        }
    }
}

TEST(HostileCounts, ASectionBeyondThirtyTwoBitsOfVerticesOrNegativeIsRefusedAndReadingGoesOn) {
    struct Case {
        ObjectKind kind;
        const char* count;
        bool afterTwoPoints;  // vertices already loaded count towards the limit
    };
    const Case cases[] = {
        {ObjectKind::T3, "2147483647", false},
        {ObjectKind::T3, "715827883", false},         // 3 × count = 2^31 + 1
        {ObjectKind::T3, "715827882", true},          // 2 + 3 × count = 2^31
        {ObjectKind::LIN, "1073741824", false},       // 2 × count = 2^31
        {ObjectKind::SUP, "-1", false},
        {ObjectKind::BLKKDX, "59652324", false},      // 36 × count = 2^31 + 16
        {ObjectKind::BLKKDX, "2147483648", false},    // atoi keeps the low 32 bits: -2^31
        {ObjectKind::PTS, "2147483646", true},        // 2 + count = 2^31
        {ObjectKind::PTS, "-2147483648", false},
        {ObjectKind::SONKDX, "99999999999999999999", false},  // saturates, low 32 bits: -1
        {ObjectKind::SONKDX, "1073741823", true},     // 2 + 2 × count = 2^31
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(ObjectKindTag(c.kind)) + " " + c.count);
        std::string text;
        std::vector<std::string> names;
        if (c.afterTwoPoints) {
            text = Tag("PTS", "2") + "255,\nbefore,\nskipped\n1,1,1\n2,2,2\n";
            names.push_back("before");
        }
        text += Section(kBodies[static_cast<int>(c.kind)], c.count, 3) + kLaterSection;
        names.push_back("after");

        SceneModel scene;
        const Load load = LoadText(scene, text);
        EXPECT_TRUE(load.read.sectionRefused);
        EXPECT_EQ(load.status, kStatusFail);
        EXPECT_TRUE(load.view.cameraFitted) << "the rest of the load completes";
        EXPECT_EQ(scene.objectNames, names) << "no object for the refused section";
        std::array<int32_t, 6> kinds{};
        kinds[static_cast<int>(ObjectKind::PTS)] = static_cast<int32_t>(names.size());
        EXPECT_EQ(scene.kindCount, kinds);
        EXPECT_EQ(scene.objectCount, static_cast<int32_t>(names.size()));
        ASSERT_EQ(scene.totalVertexCount, 2 * c.afterTwoPoints + 1);
        ExpectPosition(Vertex(scene, static_cast<size_t>(scene.totalVertexCount) - 1), 7, 9, 8);
        EXPECT_LT(scene.sceneVertices.capacity() + scene.blockRecords.capacity(), 1000u);
    }
}

TEST(HostileCounts, ACountFarBeyondTheFileKeepsOnlyTheElementsPresentInLittleMemory) {
    struct Case {
        ObjectKind kind;
        const char* count;
    };
    const Case cases[] = {
        {ObjectKind::T3, "100000000"},    {ObjectKind::LIN, "100000000"}, {ObjectKind::SUP, "100000000"},
        {ObjectKind::BLKKDX, "50000000"}, {ObjectKind::PTS, "100000000"}, {ObjectKind::SONKDX, "100000000"},
        // The largest counts whose vertices still fit 32 bits are not refused.
        {ObjectKind::T3, "715827882"},  {ObjectKind::BLKKDX, "59652323"},  {ObjectKind::PTS, "2147483647"},
    };
    for (const Case& c : cases) {
        const KindBody& body = kBodies[static_cast<int>(c.kind)];
        SCOPED_TRACE(std::string(ObjectKindTag(c.kind)) + " " + c.count);
        SceneModel scene;
        const std::string text = Section(body, c.count, 20);
        ASSERT_LT(text.size(), 1024u);
        const Load load = LoadText(scene, text);
        EXPECT_EQ(load.status, kStatusOk);
        EXPECT_EQ(scene.kindCount[static_cast<int>(c.kind)], 1);
        EXPECT_EQ(scene.elementCounts, std::vector<int32_t>{20});
        EXPECT_EQ(scene.totalVertexCount, 20 * body.verticesPerElement);
        EXPECT_LT(scene.sceneVertices.capacity() * sizeof(SceneVertex) +
                      scene.blockRecords.capacity() * sizeof(BlockRecord),
                  size_t{1} << 20);
    }
}

TEST(HostileTruncation, AFileEndingInsideAnElementKeepsTheBegunElementWithZeros) {
    SceneModel scene;
    Load load = LoadText(scene, Tag("T3", "3") + "0,0,0,\ncut,\n1,2,3,4,5,6,7,8,9,0,255,\n10,20,30,40");
    EXPECT_EQ(load.status, kStatusOk);
    ASSERT_EQ(scene.elementCounts, std::vector<int32_t>{2}) << "the third triangle never began";
    ExpectPosition(Vertex(scene, 3), 10, 30, 20);
    ExpectPosition(Vertex(scene, 4), 40, 0, 0);
    ExpectPosition(Vertex(scene, 5), 0, 0, 0);
    EXPECT_EQ(Vertex(scene, 3).colour[0], 0.0f) << "a missing colour reads as 0: black";

    // Ending inside the colour line: mode 1, A = 25, B missing, no name, no triangle.
    SceneModel early;
    load = LoadText(early, Tag("T3", "5") + "1,25");
    EXPECT_EQ(early.objectNames, std::vector<std::string>{""});
    EXPECT_EQ(early.elementCounts, std::vector<int32_t>{0});
    EXPECT_EQ(load.status, kStatusInvalidArg) << "no vertex at all";
}

TEST(HostileLineEnds, CrLfIsALineEndEvenInsideARunOnFieldWhileALoneCrIsAnOrdinaryByte) {
    SceneModel scene;
    LoadText(scene, "\"Tavrin\"  PTS      3\r\r\n255,\r\nP\r,\r\nskipped\r\n1,2,3\r\r\n4,\r\n5,6\r\n7,8,9\r");
    EXPECT_EQ(scene.objectNames, std::vector<std::string>{"P\r"});
    ASSERT_EQ(scene.elementCounts, std::vector<int32_t>{3});
    ExpectPosition(Vertex(scene, 0), 1, 3, 2);
    ExpectPosition(Vertex(scene, 1), 4, 6, 5);
    ExpectPosition(Vertex(scene, 2), 7, 9, 8);

    // Lone CRs end no line: the whole file is line 1, which holds no tag at position 10.
    SceneModel mac;
    const Load load = LoadText(mac, "\"Tavrin\"\r\"Tavrin\"  PTS      1,\r255,\rP,\rx\r1,2,3\r");
    EXPECT_TRUE(load.read.read);
    EXPECT_EQ(mac.objectCount, 0);
}

TEST(HostileMissingCommas, AFieldWithoutItsCommaRunsOnAndShiftsEverythingAfterIt) {
    // The first point lacks its second comma: y runs on to the next line's comma and
    // z is the rest of that line; the second point is then read from the LIN tag line
    // and the colour line after it, so the LIN section is lost.
    SceneModel scene;
    LoadText(scene, Tag("PTS", "2") + "255,\nP,\nskipped\n1,2 3\n4,5,6\n" + Tag("LIN", "1") +
                        "16711680,\nRamp,\nskipped\n1,2,3,4,5,6\n");
    EXPECT_EQ(scene.objectNames, std::vector<std::string>{"P"});
    EXPECT_EQ(scene.kindCount[static_cast<int>(ObjectKind::LIN)], 0);
    ASSERT_EQ(scene.totalVertexCount, 2);
    ExpectPosition(Vertex(scene, 0), 1, 5, 2);
    ExpectPosition(Vertex(scene, 1), 0, 0, 16711680);
}

}  // namespace
}  // namespace talan
