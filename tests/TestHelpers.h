// Shared helpers of the tests: loading scene text and recording what a load shows.
#pragma once

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

}  // namespace talan::testing
