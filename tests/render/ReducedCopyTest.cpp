// The stand-ins drawn while the view moves: a surface clustered to a triangle budget
// keeps its shape, colours and facing without a split corner; shares of elements are
// spread evenly; the budget goes to the big objects.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <vector>

#include "render/ReducedCopy.h"

namespace talan {
namespace {

// A wavy height field over 0..100 x 0..100 of 2 x n x n triangles, each corner with
// the colour of its triangle and an upward normal, counter-clockwise from above.
std::vector<SceneVertex> Terrain(int n) {
    std::vector<SceneVertex> vertices;
    const auto corner = [&](int i, int j, float colour) {
        const float x = 100.0f * static_cast<float>(i) / static_cast<float>(n);
        const float y = 100.0f * static_cast<float>(j) / static_cast<float>(n);
        // Stored axes: x, elevation, y.
        vertices.push_back({{x, 5.0f * std::sin(x / 15.0f) * std::cos(y / 20.0f), y}, {0, 1, 0}, {colour, 0.5f, 0.25f, 1}});
    };
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < n; ++j) {
            const float colour = static_cast<float>((i + j) % 7) / 7.0f;
            corner(i, j, colour), corner(i, j + 1, colour), corner(i + 1, j + 1, colour);
            corner(i, j, colour), corner(i + 1, j + 1, colour), corner(i + 1, j, colour);
        }
    }
    return vertices;
}

// The z component of the triangle's normal in (x, y) plan: positive when it runs
// counter-clockwise seen from above.
double PlanWinding(const SceneVertex* t) {
    const double ax = t[1].position[0] - t[0].position[0], ay = t[1].position[2] - t[0].position[2];
    const double bx = t[2].position[0] - t[0].position[0], by = t[2].position[2] - t[0].position[2];
    return ax * by - ay * bx;
}

TEST(ClusterTriangles, KeepsTheSurfaceWithinTheBudgetWithSharedCornersColoursAndFacing) {
    const std::vector<SceneVertex> terrain = Terrain(150);  // 45,000 triangles
    const int64_t triangles = static_cast<int64_t>(terrain.size() / 3);
    const double facing = PlanWinding(terrain.data());
    for (const int64_t budget : {500, 5000}) {
        SCOPED_TRACE(budget);
        const std::vector<SceneVertex> copy = ClusterTriangles(terrain.data(), triangles, budget);
        const auto kept = static_cast<int64_t>(copy.size() / 3);
        ASSERT_EQ(copy.size() % 3, 0u);
        EXPECT_GT(kept, budget / 3);
        EXPECT_LE(kept, 2 * budget);
        double area = 0;
        int64_t flipped = 0;
        std::set<std::array<float, 3>> points;
        std::map<std::array<float, 3>, int> uses;
        for (int64_t t = 0; t < kept; ++t) {
            const SceneVertex* v = &copy[static_cast<size_t>(3 * t)];
            // Three distinct corners, one colour (its source's); a few triangles where
            // the surface folds within a cell may turn over.
            flipped += PlanWinding(v) * facing < 0;
            EXPECT_TRUE(v[0].colour[0] == v[1].colour[0] && v[1].colour[0] == v[2].colour[0]) << t;
            EXPECT_EQ(v[0].normal[1], 1.0f);
            std::set<std::array<float, 3>> corners;
            for (int c = 0; c < 3; ++c) {
                const std::array<float, 3> p{v[c].position[0], v[c].position[1], v[c].position[2]};
                corners.insert(p);
                ++uses[p];
                // On the surface's bounds, near its height there.
                EXPECT_TRUE(p[0] >= 0 && p[0] <= 100 && p[2] >= 0 && p[2] <= 100);
                EXPECT_NEAR(p[1], 5.0f * std::sin(p[0] / 15.0f) * std::cos(p[2] / 20.0f), 1.5f);
            }
            EXPECT_EQ(corners.size(), 3u) << t;
            area += std::abs(PlanWinding(v)) / 2;
        }
        EXPECT_LT(flipped, kept / 50);
        // The plan area is kept within the cells along the edge, and corners are shared
        // by the neighbours (a closed surface, not loose triangles).
        const double cell = std::sqrt(2.0 * 100 * 100 / static_cast<double>(budget));
        EXPECT_GT(area, (100 - 2 * cell) * (100 - 2 * cell));
        EXPECT_LT(area, 100.0 * 100 * 1.1);
        int shared = 0;
        for (const auto& [point, n] : uses) shared += n >= 3;
        EXPECT_GT(shared, static_cast<int>(uses.size()) / 2);
    }
}

TEST(ClusterTriangles, NothingComesOfNoTrianglesNoBudgetAPointOrBadNumbers) {
    const std::vector<SceneVertex> terrain = Terrain(4);
    EXPECT_TRUE(ClusterTriangles(terrain.data(), 0, 100).empty());
    EXPECT_TRUE(ClusterTriangles(terrain.data(), 32, 0).empty());
    std::vector<SceneVertex> point(6, SceneVertex{{1, 2, 3}, {0, 1, 0}, {1, 1, 1, 1}});
    EXPECT_TRUE(ClusterTriangles(point.data(), 2, 10).empty());
    std::vector<SceneVertex> bad = terrain;
    bad[4].position[1] = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(ClusterTriangles(bad.data(), 32, 10).empty());
    bad[4].position[1] = std::numeric_limits<float>::infinity();
    EXPECT_TRUE(ClusterTriangles(bad.data(), 32, 10).empty());
    // Tiny and huge coordinates alike: a grid of at most 2^20 cells a side.
    std::vector<SceneVertex> far = Terrain(20);
    far[0].position[0] = -3e9f;
    const std::vector<SceneVertex> copy = ClusterTriangles(far.data(), 800, 200);
    EXPECT_LE(copy.size(), 3u * 400);
}

TEST(ElementsKept, AreEvenlySpreadFromTheFirstAndAllWhenFew) {
    EXPECT_EQ(ElementsKept(10, 4), (std::vector<int64_t>{0, 2, 5, 7}));
    EXPECT_EQ(ElementsKept(3, 5), (std::vector<int64_t>{0, 1, 2}));
    EXPECT_TRUE(ElementsKept(0, 5).empty());
    EXPECT_TRUE(ElementsKept(5, 0).empty());
    const std::vector<int64_t> big = ElementsKept(50'000'000, 40'000);
    ASSERT_EQ(big.size(), 40'000u);
    EXPECT_EQ(big.back(), 50'000'000 - 1250);
    for (size_t i = 1; i < big.size(); ++i) ASSERT_EQ(big[i] - big[i - 1], 1250);
}

TEST(ShareBudget, SmallObjectsStayWholeAndTheBigOnesShareTheRest) {
    const std::vector<bool> kinds{true, true, false, true, true};
    // All fit: everything whole; another kind gets nothing.
    EXPECT_EQ(ShareBudget({10, 20, 5000, 30, 0}, kinds, 100), (std::vector<int64_t>{10, 20, 0, 30, 0}));
    // 1000 is at most a sixteenth of 16000: whole; the rest is shared in proportion.
    EXPECT_EQ(ShareBudget({1000, 30000, 9, 90000, 0}, kinds, 16000), (std::vector<int64_t>{1000, 3750, 0, 11250, 0}));
    // Many small objects still leave a quarter of the budget to the big ones.
    std::vector<int64_t> elements(40, 100);
    elements.push_back(1'000'000);
    const std::vector<int64_t> shares = ShareBudget(elements, std::vector<bool>(41, true), 1600);
    EXPECT_EQ(shares.front(), 100);
    EXPECT_EQ(shares.back(), 400);
}

}  // namespace
}  // namespace talan
