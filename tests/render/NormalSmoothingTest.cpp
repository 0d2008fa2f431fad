// Smoothing averages the normals of corners at exactly the same point of one shown
// triangulated object, and leaves everything else alone.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

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

// Two triangles sharing the edge (0,0,0)-(0,1,0) in file axes, one lying flat (normal up),
// one standing in the plane x = 0 (normal along x).
const std::vector<std::string> kFold = {"0,0,0,0,1,0,1,0,0", "0,0,0,0,0,1,0,1,0"};

SceneModel Load(const std::string& sections) {
    SceneModel scene;
    ReadSceneText(scene, "\"Tavrin\"\n" + sections, nullptr);
    return scene;
}

TEST(NormalSmoothing, SharedCornersGetTheMeanWithoutRescaling) {
    SceneModel scene = Load(Surface("fold", kFold));
    ASSERT_EQ(Normal(scene, 0), (Vec3{0, 1, 0}));
    ASSERT_EQ(Normal(scene, 3), (Vec3{1, 0, 0}));
    SmoothTriangulatedNormals(scene);
    // Corners at (0,0,0) and (0,1,0): the mean of (0,1,0) and (1,0,0), of length ~0.707.
    for (int i : {0, 1, 3, 5}) EXPECT_EQ(Normal(scene, i), (Vec3{0.5f, 0.5f, 0})) << i;
    EXPECT_EQ(Normal(scene, 2), (Vec3{0, 1, 0}));
    EXPECT_EQ(Normal(scene, 4), (Vec3{1, 0, 0}));
}

TEST(NormalSmoothing, AFanOfEqualNormalsKeepsThem) {
    std::vector<std::string> fan;
    for (int k = 0; k < 6; ++k) {
        const double a0 = k * M_PI / 3, a1 = (k + 1) * M_PI / 3;
        fan.push_back("0,0,0," + std::to_string(std::cos(a1)) + "," + std::to_string(std::sin(a1)) + ",0," +
                      std::to_string(std::cos(a0)) + "," + std::to_string(std::sin(a0)) + ",0");
    }
    SceneModel scene = Load(Surface("fan", fan));
    SmoothTriangulatedNormals(scene);
    for (int i = 0; i < 18; ++i) EXPECT_EQ(Normal(scene, i), (Vec3{0, 1, 0})) << i;
}

TEST(NormalSmoothing, PositionsMustBeExactlyEqual) {
    // The second triangle's shared corner is one float step away from the first's.
    const float nudged = std::nextafter(1.0f, 2.0f);
    char second[128];
    std::snprintf(second, sizeof second, "0,0,0,0,0,1,0,%.9g,0", static_cast<double>(nudged));
    SceneModel scene = Load(Surface("fold", {kFold[0], second}));
    SmoothTriangulatedNormals(scene);
    EXPECT_EQ(Normal(scene, 1), (Vec3{0, 1, 0}));
    EXPECT_EQ(Normal(scene, 5), (Vec3{1, 0, 0}));
    EXPECT_EQ(Normal(scene, 0), (Vec3{0.5f, 0.5f, 0}));  // the origin is still shared
}

TEST(NormalSmoothing, MinusZeroAndZeroAreTheSamePoint) {
    SceneModel scene = Load(Surface("fold", {kFold[0], "-0,0,0,0,0,1,0,1,0"}));
    SmoothTriangulatedNormals(scene);
    EXPECT_EQ(Normal(scene, 0), (Vec3{0.5f, 0.5f, 0}));
    EXPECT_EQ(Normal(scene, 3), (Vec3{0.5f, 0.5f, 0}));
}

TEST(NormalSmoothing, OnlyShownTriangulatedObjectsWithoutBarrasInTheirName) {
    const std::string blocks = TagLine("BLKKDX", 2) + "1,1,1,\nskip\nskip\n0,0,0,0,\n1,0,0,0,\n";
    SceneModel scene = Load(Surface("Barras Norte", kFold) + Surface("Zona Barras 2", kFold) +
                            Surface("barras", kFold) + Surface("hidden", kFold) + blocks + Surface("empty", {}));
    scene.objectVisible[3] = false;
    SceneModel before = Load(Surface("x", kFold));
    SmoothTriangulatedNormals(scene);
    EXPECT_EQ(Normal(scene, 0), (Vec3{0, 1, 0}));   // Barras Norte
    EXPECT_EQ(Normal(scene, 6), (Vec3{0, 1, 0}));   // Zona Barras 2
    EXPECT_EQ(Normal(scene, 12), (Vec3{0.5f, 0.5f, 0}));  // barras, lower case, is smoothed
    EXPECT_EQ(Normal(scene, 18), (Vec3{0, 1, 0}));  // hidden
    // Block corners shared between neighbouring boxes keep their flat normals.
    for (int i = 24; i < 24 + 72; ++i) {
        const Vec3 n = Normal(scene, i);
        EXPECT_EQ(std::abs(n[0]) + std::abs(n[1]) + std::abs(n[2]), 1.0f) << i;
    }
    // Shown again, the hidden object is smoothed by the next pass.
    scene.objectVisible[3] = true;
    SmoothTriangulatedNormals(scene);
    EXPECT_EQ(Normal(scene, 18), (Vec3{0.5f, 0.5f, 0}));
}

TEST(NormalSmoothing, CornersOfDifferentObjectsAreNeverAveraged) {
    SceneModel scene = Load(Surface("a", {kFold[0]}) + Surface("b", {kFold[1]}));
    SmoothTriangulatedNormals(scene);
    EXPECT_EQ(Normal(scene, 0), (Vec3{0, 1, 0}));
    EXPECT_EQ(Normal(scene, 3), (Vec3{1, 0, 0}));
}

TEST(NormalSmoothing, AGridSharesEveryInnerCornerAmongSixTriangles) {
    // A 40 x 40 grid of flat cells, tilted so that every face normal is the same: the
    // sum of equal normals divided by the count gives each back (up to rounding), and
    // every column of equal x is a long run of equal sort keys.
    std::vector<std::string> triangles;
    for (int i = 0; i < 40; ++i) {
        for (int j = 0; j < 40; ++j) {
            auto corner = [](int x, int y) { return std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(x); };
            triangles.push_back(corner(i, j) + "," + corner(i + 1, j) + "," + corner(i, j + 1));
            triangles.push_back(corner(i + 1, j) + "," + corner(i + 1, j + 1) + "," + corner(i, j + 1));
        }
    }
    SceneModel scene = Load(Surface("grid", triangles));
    const Vec3 face = Normal(scene, 0);
    SmoothTriangulatedNormals(scene);
    for (int i = 0; i < scene.totalVertexCount; ++i) {
        const Vec3 n = Normal(scene, i);
        for (int c = 0; c < 3; ++c) EXPECT_NEAR(n[c], face[c], 1e-6f) << i;
    }
}

}  // namespace
}  // namespace talan
