// Shared helpers of the tests: loading scene text and recording what a load shows.
#pragma once

#include <unistd.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "scene/SceneFileReader.h"
#include "scene/SceneModel.h"

// What a test does when it finds no OpenGL context: it skips, or it fails where the
// build asks for OpenGL (TALAN_REQUIRE_GL, set in CI), so that a machine without a
// context cannot pass with every picture check skipped. Takes a streamed reason.
#ifdef TALAN_REQUIRE_GL
#define TALAN_WITHOUT_GL() GTEST_FAIL()
#else
#define TALAN_WITHOUT_GL() GTEST_SKIP()
#endif

namespace talan::testing {

// Everything a load shows the user, in order.
struct RecordingObserver : SceneLoadObserver {
    struct Announcement {
        int32_t index;
        ObjectKind kind;
        std::string name;
        int32_t menuId;
        int32_t transparencyMenuId;
    };
    std::vector<Announcement> announcements;
    std::vector<std::string> progressTitles;
    std::vector<std::vector<int>> progress;  // positions of each progress bar
    int closed = 0;

    void ObjectAnnounced(int32_t index, ObjectKind kind, std::string_view name, int32_t menuId,
                         int32_t transparencyMenuId) override {
        announcements.push_back({index, kind, std::string(name), menuId, transparencyMenuId});
    }
    void ProgressShown(std::string_view title) override {
        progressTitles.emplace_back(title);
        progress.emplace_back();
    }
    void ProgressChanged(int percent) override { progress.back().push_back(percent); }
    void ProgressClosed() override { ++closed; }
};

// The example scene of the file-format description: a T3 of two triangles and a LIN
// of one segment, with a MAX block.
inline constexpr std::string_view kExampleScene =
    "\"Tavrin\"  MAX\n"
    "1010,990\n"
    "2010,1990\n"
    "310,290\n"
    "\"Tavrin\"  T3      2,\n"
    "1,255,65280,\n"
    "Pit floor,\n"
    "990,1990,290,1010,1990,295,1000,2010,310,\n"
    "1010,1990,295,1010,2010,300,1000,2010,310,\n"
    "\"Tavrin\"  LIN      1,\n"
    "16711680,\n"
    "Ramp,\n"
    "(this line is skipped by the LIN reader)\n"
    "990,1990,290,1010,2010,310\n";

// A tag line in the usual form: quote, signature, quote, two blanks, tag, six blanks, count.
inline std::string TagLine(std::string_view tag, long long count) {
    return "\"Tavrin\"  " + std::string(tag) + "      " + std::to_string(count) + ",\n";
}

// Everything a read leaves in the scene model, records and bounds to the byte: for
// "the same scene" and "the scene as it was". Compare with EXPECT_TRUE(a == b), as
// the records make long strings.
struct SceneSnapshot {
    std::vector<std::string> names;
    std::vector<ObjectKind> kinds;
    std::vector<int32_t> counts, firstVertex, perElement;
    std::vector<int64_t> firstStored;
    std::array<int32_t, kObjectKindCount> kindCount;
    int32_t objects, totalVertices, nextMenuId, nextTransparencyMenuId;
    bool boundsFromFile;
    std::string vertices, blocks, bounds;
    bool operator==(const SceneSnapshot&) const = default;
};
inline std::string RawBytes(const void* data, size_t size) { return {static_cast<const char*>(data), size}; }
inline SceneSnapshot Snapshot(const SceneModel& s) {
    return {s.objectNames, s.objectKinds, s.elementCounts, s.firstVertex, s.verticesPerElement, s.firstStored,
            s.kindCount, s.objectCount, s.totalVertexCount, s.nextObjectMenuId, s.nextTransparencyMenuId,
            s.boundsFromFile, RawBytes(s.sceneVertices.data(), static_cast<size_t>(s.storedVertexCount) * sizeof(SceneVertex)),
            RawBytes(s.blockRecords.data(), static_cast<size_t>(s.storedBlockCount) * sizeof(BlockRecord)),
            RawBytes(s.boundsMin.data(), sizeof s.boundsMin) + RawBytes(s.boundsMax.data(), sizeof s.boundsMax)};
}

// A folder of its own for each test, named after it and removed afterwards.
struct TempFolder {
    std::string path = ::testing::TempDir() + "/talan-" + std::to_string(getpid()) + "-" +
                       ::testing::UnitTest::GetInstance()->current_test_info()->name();
    TempFolder() { std::filesystem::create_directories(path); }
    ~TempFolder() { std::filesystem::remove_all(path); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    std::string Write(const std::string& name, std::string_view text) const {
        std::ofstream(path + "/" + name, std::ios::binary) << text;
        return path + "/" + name;
    }
};

}  // namespace talan::testing
