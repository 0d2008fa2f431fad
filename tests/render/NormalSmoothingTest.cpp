// Smoothing averages the normals of corners at exactly the same point of one shown
// triangulated object, and leaves everything else alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <string>
#include <tuple>
#include <vector>

#include "TestHelpers.h"
#include "render/NormalSmoothing.h"
#include "scene/SceneFileReader.h"

namespace talan {
namespace {

using testing::TagLine;
using Vec3 = std::array<float, 3>;

Vec3 Normal(const SceneModel& scene, int i) {
    const SceneVertex v = VertexAt(scene, i);
    return {v.normal[0], v.normal[1], v.normal[2]};
}

std::string Surface(const char* name, const std::vector<std::string>& triangles) {
    std::string text = TagLine("T3", static_cast<long long>(triangles.size())) + "1,0,0,\n" + name + ",\n";
    for (const auto& t : triangles) text += t + ",\n";
    return text;
}

// Each case lists the corners that get the mean (0.5, 0.5, 0) of a flat face (normal
// up) and a standing one (normal along x), without rescaling; every other corner keeps
// its face normal.
TEST(NormalSmoothing, CornersAtExactlyTheSamePointOfOneShownSurfaceAreAveraged) {
    // Two triangles sharing the edge (0,0,0)-(0,1,0) in file axes: one flat, one in the plane x = 0.
    const std::vector<std::string> fold = {"0,0,0,0,1,0,1,0,0", "0,0,0,0,0,1,0,1,0"};
    char nudged[128];  // the shared corner (0,1,0) of the standing triangle one float step away
    std::snprintf(nudged, sizeof nudged, "0,0,0,0,0,1,0,%.9g,0", double{std::nextafter(1.0f, 2.0f)});
    std::vector<std::string> fan, grid;  // equal face normals: their mean gives each back
    const auto rim = [](double a) { return std::to_string(std::cos(a)) + "," + std::to_string(std::sin(a)) + ",0"; };
    for (int k = 0; k < 6; ++k) fan.push_back("0,0,0," + rim((k + 1) * M_PI / 3) + "," + rim(k * M_PI / 3));
    // A tilted 40 x 40 grid: every inner corner shared by six triangles, every column of
    // equal x a long run of equal sort keys.
    const auto at = [](int x, int y) { return std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(x); };
    for (int i = 0; i < 40 * 40; ++i) {
        const int x = i / 40, y = i % 40;
        grid.push_back(at(x, y) + "," + at(x + 1, y) + "," + at(x, y + 1));
        grid.push_back(at(x + 1, y) + "," + at(x + 1, y + 1) + "," + at(x, y + 1));
    }
    const std::string blocks = TagLine("BLKKDX", 2) + "1,1,1,\nskip\nskip\n0,0,0,0,\n1,0,0,0,\n";
    using Case = std::tuple<const char*, std::string, std::vector<int>>;  // name, sections, corners averaged
    for (const auto& [name, sections, averaged] : std::initializer_list<Case>{
        {"a fold", Surface("fold", fold), {0, 1, 3, 5}},
        {"-0 and 0", Surface("fold", {fold[0], "-0,0,0,0,0,1,0,1,0"}), {0, 1, 3, 5}},
        {"a corner one float step away", Surface("fold", {fold[0], nudged}), {0, 3}},
        {"corners at one place in plan, not in elevation", Surface("stack", {fold[0], "0,0,5,0,1,5,1,0,6"}), {}},
        {"two objects", Surface("a", {fold[0]}) + Surface("b", {fold[1]}), {}},
        // Only "Barras" with a capital marks bars; the fourth object is hidden; block
        // corners shared between neighbouring boxes keep their flat normals.
        {"bars, hidden, blocks, empty",
         Surface("Barras Norte", fold) + Surface("Zona Barras 2", fold) + Surface("barras", fold) +
             Surface("hidden", fold) + blocks + Surface("empty", {}),
         {12, 13, 15, 17}},
        {"a fan", Surface("fan", fan), {}},
        {"a grid", Surface("grid", grid), {}},
         }) {
        SCOPED_TRACE(name);
        SceneModel scene;
        ReadSceneText(scene, "\"Tavrin\"\n" + sections, nullptr);
        if (scene.objectCount > 3) scene.objectVisible[3] = false;
        std::vector<Vec3> faces;
        for (int i = 0; i < scene.totalVertexCount; ++i) faces.push_back(Normal(scene, i));
        SmoothTriangulatedNormals(scene);
        for (int i = 0; i < scene.totalVertexCount; ++i) {
            const bool mean = std::find(averaged.begin(), averaged.end(), i) != averaged.end();
            const Vec3 expected = mean ? Vec3{0.5f, 0.5f, 0} : faces[static_cast<size_t>(i)];
            for (int k = 0; k < 3; ++k) ASSERT_NEAR(Normal(scene, i)[k], expected[k], 1e-6f) << "corner " << i;
        }
        // Shown again, the hidden object is smoothed by the next pass.
        if (scene.objectCount < 4) continue;
        scene.objectVisible[3] = true;
        SmoothTriangulatedNormals(scene);
        EXPECT_EQ(Normal(scene, 18), (Vec3{0.5f, 0.5f, 0}));
    }
}

}  // namespace
}  // namespace talan
