// Files that no tool would write on purpose: binary garbage, NUL bytes, a 50 MB line,
// counts far beyond the file or beyond 32 bits of vertices, truncated files, odd line
// ends, and paths that are not regular files. Each must give exactly the documented
// result, in memory proportional to the file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <limits>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "TestHelpers.h"
#include "render/SceneLoad.h"
#include "scene/SceneFileReader.h"

namespace talan {
namespace {

using namespace std::string_literals;  // "...\0..."s keeps the NUL bytes
using testing::kExampleScene;
using testing::Snapshot;

// A whole load as the program runs it: read, then complete without smoothing.
struct Load {
    SceneReadResult read;
    ViewState view;
    int32_t status;
    Load(SceneModel& scene, SceneReadResult r) : read(r), status(CompleteSceneLoad(scene, view, r, false)) {}
    Load(SceneModel& scene, std::string_view text) : Load(scene, ReadSceneText(scene, text, nullptr)) {}
};

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

// A section of each kind with `elements` copies of one element line; no line of it
// is a header line.
std::string Section(ObjectKind kind, std::string_view count, int elements) {
    static constexpr const char* kBodies[][2] = {
        {"0,0,0,\nT,\n", "1,2,3,4,5,6,7,8,9,0,255,\n"}, {"255,\nL,\nskipped\n", "1,2,3,4,5,6\n"},
        {"255,\nS,\n", "1,2,3,4,5,6\n"},                 {"10,10,5,\nskipped\nskipped\n", "1,2,3,255,\n"},
        {"255,\nP,\nskipped\n", "1,2,3\n"},              {"D,\nskipped\n", "1,2,3,4,5,6,255\n"},
    };
    std::string text = Tag(ObjectKindTag(kind), count) + kBodies[static_cast<int>(kind)][0];
    for (int i = 0; i < elements; ++i) text += kBodies[static_cast<int>(kind)][1];
    return text;
}
constexpr int32_t kVerticesPerElement[] = {3, 2, 2, 36, 1, 2};

// A points object of one point, to show that reading goes on after something hostile.
const std::string kLaterSection = Tag("PTS", "1") + "65280,\nafter,\nskipped\n7,8,9\n";

// Every vertex position in stored axes: x, elevation, y.
using Points = std::vector<std::array<float, 3>>;
Points Positions(const SceneModel& scene) {
    Points all;
    ForEachVertex(scene, [&](const SceneVertex& v) { all.push_back({v.position[0], v.position[1], v.position[2]}); });
    return all;
}

// Files without the signature, and paths that are not regular files, stop the load
// and leave the scene exactly as it was.
TEST(HostileFiles, WhatIsNotASceneFileLeavesTheSceneAsItWas) {
    const std::string dir = ::testing::TempDir() + "/hostile-" + std::to_string(getpid());
    ASSERT_EQ(mkdir(dir.c_str(), 0700), 0);
    std::vector<std::string> paths{dir + "/missing.KDX", dir, dir + "/pipe.KDX", "/dev/null"};
    ASSERT_EQ(mkfifo(paths[2].c_str(), 0600), 0);
    for (const std::string& text : {
             "\"Tavri"s, "\"Tavri\n\"Tavrin\"\n"s,  // too short; the signature on line 2 is too late
             "\"tavrin\"  PTS      1,\n255,\nP,\nx\n1,2,3\n"s, "\"Tavrim\"\n"s, "\"TAVRIN\"\n"s,
             "Tavrin\"  PTS      1,\n"s,  // the word at position 0 instead of 1
             RandomBytes(1, 4096), RandomBytes(2, 65536), "\0Tavri\0n\n"s, ""s}) {
        paths.push_back(dir + "/" + std::to_string(paths.size()) + ".KDX");
        std::ofstream(paths.back(), std::ios::binary) << text;
    }
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        SceneModel scene;
        Load{scene, kExampleScene};
        const testing::SceneSnapshot before = Snapshot(scene);
        // A FIFO without a writer must be turned away, not waited on; should the read
        // block, a writer is opened to release it so that the test ends either way.
        auto reading = std::async(std::launch::async, [&] { return ReadSceneFile(scene, path, nullptr); });
        if (reading.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << "the read blocked";
            close(open(path.c_str(), O_WRONLY | O_NONBLOCK));
        }
        const Load load(scene, reading.get());
        EXPECT_FALSE(load.read.read);
        EXPECT_EQ(load.status, kStatusFail);
        EXPECT_FALSE(load.view.cameraFitted) << "a failed read stops the load";
        EXPECT_TRUE(Snapshot(scene) == before) << "boundsFromFile included";
    }
    std::filesystem::remove_all(dir);
}

TEST(HostileFiles, ASignatureWithNothingAfterItReadsButHasNoVertexToShow) {
    for (const std::string text : {"\"Tavrin\"", "\"Tavrin\"\n", "xTavrin\r\n", "\"Tavrin\"\r", "\"Tavrin\"  MAX\n",
                                   "\"Tavrin\"  MAX\n10,0\n10,0\n10,0\n"}) {
        SCOPED_TRACE(::testing::PrintToString(text));
        SceneModel scene;
        const Load load(scene, text);
        EXPECT_TRUE(load.read.read && !load.read.sectionRefused);
        EXPECT_EQ(load.status, kStatusInvalidArg) << "as the upload of a 0-byte vertex buffer";
        EXPECT_FALSE(load.view.cameraFitted);
        EXPECT_EQ(scene.boundsFromFile, text.find("MAX") != std::string::npos);
    }
}

TEST(HostileGarbage, RandomBytesAfterTheSignatureMakeNothingAndDoNotHideALaterSection) {
    for (uint32_t seed = 1; seed <= 16; ++seed) {
        SceneModel scene;
        EXPECT_EQ(Load(scene, "\"Tavrin\"\n" + RandomBytes(seed, 8192) + "\n" + kLaterSection).status, kStatusOk);
        ASSERT_EQ(scene.objectNames, std::vector<std::string>{"after"}) << seed;
        EXPECT_EQ(Positions(scene), (Points{{7, 9, 8}}));
    }
}

TEST(HostileNul, NamesKeepNulBytesAndNumbersStopAtThem) {
    // Line 1 is both the signature line (character 0 is not examined) and the tag
    // line; the count, colour and every coordinate end at a NUL.
    const std::string text = "\0Tavrin\0\0\0PTS      2\0009,\n255\0 65280,\nPit\0floor,\n\0\0\0\n"
                             "1.5\0e3,2\0 9,0x10\0ff\n-\0 5,1e999\0,\0 7\n"s;
    SceneModel scene;
    testing::RecordingObserver observer;
    EXPECT_EQ(ReadSceneText(scene, text, &observer).Status(), kStatusOk);
    ASSERT_EQ(scene.elementCounts, std::vector<int32_t>{2});
    EXPECT_EQ(scene.objectNames[0], "Pit\0floor"s);
    EXPECT_EQ(observer.announcements.at(0).name, "Pit\0floor"s);
    EXPECT_EQ(Positions(scene), (Points{{1.5f, 16, 2}, {0, 0, std::numeric_limits<float>::infinity()}}));
    EXPECT_EQ(VertexAt(scene, 0).colour[0], 1.0f);
    EXPECT_EQ(VertexAt(scene, 0).colour[1], 0.0f) << "the colour ends at the NUL";
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

TEST(HostileLongLine, AFiftyMegabyteLineIsReadInPlace) {
    const std::string kLong(size_t{50} << 20, '0');
    // Skipped as line 2, after the signature; then the first coordinate of a triangle:
    // 50 MB of leading zeros before 12.5.
    const std::pair<std::string, Points> cases[] = {
        {"\"Tavrin\"\n" + kLong + "x\n" + kLaterSection, {{7, 9, 8}}},
        {Tag("T3", "2") + "0,0,0,\nlong,\n" + kLong + "12.5,0,0,1,0,0,0,1,0,0,255,\n1,2,3,4,5,6,7,8,9,0,255,\n",
         {{12.5f, 0, 0}, {1, 0, 0}, {0, 0, 1}, {1, 3, 2}, {4, 6, 5}, {7, 9, 8}}}};
    for (const auto& [text, points] : cases) {
        SceneModel scene;
        std::ofstream("/proc/self/clear_refs") << "5";  // resets the peak where the kernel allows
        const long peakBefore = PeakResidentKiB();
        EXPECT_EQ(ReadSceneText(scene, text, nullptr).Status(), kStatusOk);
        EXPECT_LT(PeakResidentKiB() - peakBefore, 32 * 1024) << "no copy of the line";
        EXPECT_EQ(Positions(scene), points);
    }
}

// A count beyond 32 bits of vertices, or negative, refuses its section, and reading
// goes on after the tag line; a count far beyond the file keeps the elements present,
// in memory that follows the file.
TEST(HostileCounts, ASectionIsRefusedOrKeepsWhatTheFileHoldsInLittleMemory) {
    // Kind, count, whether two points come first (their vertices count towards the
    // limit), whether the section is refused.
    const std::tuple<ObjectKind, const char*, bool, bool> cases[] = {
        {ObjectKind::T3, "715827883", false, true},           // 3 × count = 2^31 + 1
        {ObjectKind::T3, "715827882", true, true},            // 2 + 3 × count = 2^31
        {ObjectKind::T3, "715827882", false, false},          // the largest that fits
        {ObjectKind::LIN, "1073741824", false, true},         // 2 × count = 2^31
        {ObjectKind::LIN, "100000000", false, false},
        {ObjectKind::SUP, "-1", false, true},
        {ObjectKind::SUP, "100000000", false, false},
        {ObjectKind::BLKKDX, "59652324", false, true},        // 36 × count = 2^31 + 16
        {ObjectKind::BLKKDX, "2147483648", false, true},      // atoi keeps the low 32 bits: -2^31
        {ObjectKind::BLKKDX, "59652323", false, false},
        {ObjectKind::PTS, "2147483646", true, true},          // 2 + count = 2^31
        {ObjectKind::PTS, "2147483647", false, false},
        {ObjectKind::SONKDX, "99999999999999999999", false, true},  // saturates, low 32 bits: -1
        {ObjectKind::SONKDX, "100000000", false, false},
    };
    for (const auto& [kind, count, afterTwoPoints, refused] : cases) {
        SCOPED_TRACE(std::string(ObjectKindTag(kind)) + " " + count);
        const std::string before = afterTwoPoints ? Tag("PTS", "2") + "255,\nbefore,\nskipped\n1,1,1\n2,2,2\n" : "";
        SceneModel scene;
        const Load load(scene, before + Section(kind, count, 20) + (refused ? kLaterSection : ""));
        EXPECT_EQ(load.read.sectionRefused, refused);
        EXPECT_EQ(load.status, refused ? kStatusFail : kStatusOk);
        EXPECT_TRUE(load.view.cameraFitted) << "the rest of the load completes";
        EXPECT_EQ(scene.objectCount, afterTwoPoints + 1);
        EXPECT_EQ(scene.elementCounts.back(), refused ? 1 : 20);
        EXPECT_EQ(scene.totalVertexCount,
                  2 * afterTwoPoints + (refused ? 1 : 20 * kVerticesPerElement[static_cast<int>(kind)]));
        const size_t storage = scene.sceneVertices.capacity() * sizeof(SceneVertex) +
                               scene.blockRecords.capacity() * sizeof(BlockRecord);
        EXPECT_LT(storage, size_t{1} << 20);
    }
}

TEST(HostileTruncation, AFileEndingInsideAnElementKeepsTheBegunElementWithZeros) {
    SceneModel scene;
    EXPECT_EQ(Load(scene, Tag("T3", "3") + "0,0,0,\ncut,\n1,2,3,4,5,6,7,8,9,0,255,\n10,20,30,40").status, kStatusOk);
    // The third triangle never began.
    EXPECT_EQ(Positions(scene), (Points{{1, 3, 2}, {4, 6, 5}, {7, 9, 8}, {10, 30, 20}, {40, 0, 0}, {0, 0, 0}}));
    EXPECT_EQ(VertexAt(scene, 3).colour[0], 0.0f) << "a missing colour reads as 0: black";

    // Ending inside the colour line: mode 1, A = 25, B missing, no name, no triangle.
    SceneModel early;
    EXPECT_EQ(Load(early, Tag("T3", "5") + "1,25").status, kStatusInvalidArg) << "no vertex at all";
    EXPECT_EQ(early.objectNames, std::vector<std::string>{""});
    EXPECT_EQ(early.elementCounts, std::vector<int32_t>{0});
}

TEST(HostileLineEnds, CrLfIsALineEndEvenInsideARunOnFieldWhileALoneCrIsAnOrdinaryByte) {
    SceneModel scene;
    ReadSceneText(scene, "\"Tavrin\"  PTS      3\r\r\n255,\r\nP\r\nQ\r,\r\nskipped\r\n1,2,3\r\r\n4,\r\n5,6\r\n7,8,9\r",
                  nullptr);
    EXPECT_EQ(scene.objectNames, std::vector<std::string>{"P\nQ\r"});
    EXPECT_EQ(Positions(scene), (Points{{1, 3, 2}, {4, 6, 5}, {7, 9, 8}}));

    // Lone CRs end no line: the whole file is line 1, which holds no tag at position 10.
    SceneModel mac;
    const Load load(mac, "\"Tavrin\"\r\"Tavrin\"  PTS      1,\r255,\rP,\rx\r1,2,3\r");
    EXPECT_TRUE(load.read.read);
    EXPECT_EQ(mac.objectCount, 0);
}

TEST(HostileMissingCommas, AFieldWithoutItsCommaRunsOnAndShiftsEverythingAfterIt) {
    // The first point lacks its second comma: y runs on to the next line's comma and
    // z is the rest of that line; the second point is then read from the LIN tag line
    // and the colour line after it, so the LIN section is lost.
    SceneModel scene;
    ReadSceneText(scene, Tag("PTS", "2") + "255,\nP,\nskipped\n1,2 3\n4,5,6\n" + Tag("LIN", "1") +
                             "16711680,\nRamp,\nskipped\n1,2,3,4,5,6\n", nullptr);
    EXPECT_EQ(scene.objectNames, std::vector<std::string>{"P"});
    EXPECT_EQ(Positions(scene), (Points{{1, 5, 2}, {0, 0, 16711680}}));

    // A triangle without its last comma takes the next line into its last field: the
    // number is still read, the rest of that line is skipped, and the third line
    // becomes triangle 2; the third triangle would come from beyond the file.
    SceneModel surface;
    ReadSceneText(surface, Tag("T3", "3") + "1,0,0,\ns,\n1,1,1,2,2,2,3,3,3\n9,9,9,9,9,9,9,9,9,\n4,4,4,5,5,5,6,6,6,\n",
                  nullptr);
    EXPECT_EQ(Positions(surface), (Points{{1, 1, 1}, {2, 2, 2}, {3, 3, 3}, {4, 4, 4}, {5, 5, 5}, {6, 6, 6}}));
}

}  // namespace
}  // namespace talan
