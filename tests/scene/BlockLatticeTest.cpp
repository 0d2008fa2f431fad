// Block models on a lattice: which models are found to stand on one, where each block
// lands in the brick table and pool, and the ray walk through the cells, checked
// against every box tried one by one.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "TestHelpers.h"
#include "scene/BlockLattice.h"

namespace talan {
namespace {

using testing::TagLine;

// A block as the reader makes it: the faces at the centre ± 0.92 of the size / 2.
BlockRecord Block(double x, double y, double z, std::array<int, 3> size, uint32_t rgb = 0x0000FF) {
    BlockRecord b{};
    const float c[3] = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
    for (int a = 0; a < 3; ++a) {
        const float half = static_cast<float>(size[a] * 0.92) * 0.5f;
        b.low[a] = c[a] - half;
        b.high[a] = c[a] + half;
    }
    b.colour[0] = static_cast<uint8_t>(rgb & 0xFF);
    b.colour[1] = static_cast<uint8_t>(rgb >> 8 & 0xFF);
    b.colour[2] = static_cast<uint8_t>(rgb >> 16 & 0xFF);
    return b;
}

bool Find(const std::vector<BlockRecord>& blocks, BlockLattice& lattice, LatticeLimits limits = {}) {
    return FindBlockLattice(blocks.data(), static_cast<int64_t>(blocks.size()), limits, lattice);
}

TEST(BlockLatticeTest, BlocksReadFromASectionLandInTheirCellsWithTheirColours) {
    SceneModel scene;
    const std::string text = TagLine("BLKKDX", 3) +
                             "10,20,5,\nskipped\nskipped\n"
                             "1005,2010,302.5,255,\n"      // red
                             "1015,2010,302.5,65280,\n"    // green, one cell along x
                             "1005,2050,292.5,16711680,\n";  // blue, two cells along y, two down
    ASSERT_TRUE(ReadSceneText(scene, text, nullptr).read);
    BlockLattice lattice;
    ASSERT_TRUE(FindBlockLattice(scene.blockRecords.data(), 3, {}, lattice));
    EXPECT_EQ(lattice.cells, (std::array<int32_t, 3>{2, 3, 3}));
    EXPECT_EQ(lattice.bricks, (std::array<int32_t, 3>{1, 1, 1}));
    EXPECT_EQ(lattice.cell, (std::array<double, 3>{10, 20, 5}));
    // Cell (0, 0, 0) is centred on the lowest lattice point: x 1005, y 2010, z 292.5.
    EXPECT_NEAR(lattice.origin[0], 1000, 1e-3);
    EXPECT_NEAR(lattice.origin[1], 2000, 1e-3);
    EXPECT_NEAR(lattice.origin[2], 290, 1e-3);
    for (int a = 0; a < 3; ++a) {
        EXPECT_NEAR(lattice.boxLow[a], 0.04, 1e-6);
        EXPECT_NEAR(lattice.boxHigh[a], 0.96, 1e-6);
    }
    EXPECT_EQ(LatticeCellColour(lattice, 0, 0, 2), 0xFF0000FFu);
    EXPECT_EQ(LatticeCellColour(lattice, 1, 0, 2), 0xFF00FF00u);
    EXPECT_EQ(LatticeCellColour(lattice, 0, 2, 0), 0xFFFF0000u);
    EXPECT_EQ(LatticeCellColour(lattice, 1, 2, 0), 0u);
    EXPECT_EQ(LatticeCellColour(lattice, 0, 0, 0), 0u);
    EXPECT_EQ(LatticeCellColour(lattice, 2, 0, 2), 0u);  // outside
    EXPECT_EQ(LatticeCellColour(lattice, -1, 0, 2), 0u);
    EXPECT_EQ((LatticeCellOf(lattice, scene.blockRecords[2])), (std::array<int64_t, 3>{0, 2, 0}));
    EXPECT_EQ(lattice.blocks, 3);
}

TEST(BlockLatticeTest, ModelsOffALatticeAreRefused) {
    const std::array<int, 3> size{10, 10, 5};
    BlockLattice lattice;
    EXPECT_FALSE(Find({}, lattice));
    // Within a hundredth of the size the centre still counts as on its point.
    EXPECT_TRUE(Find({Block(5, 5, 2.5, size), Block(15.05, 5, 2.5, size)}, lattice));
    EXPECT_FALSE(Find({Block(5, 5, 2.5, size), Block(15.5, 5, 2.5, size)}, lattice));
    EXPECT_FALSE(Find({Block(5, 5, 2.5, size), Block(5, 5, 2.5 + 2.5, size)}, lattice));  // half a cell up
    // Two blocks in one cell: the cast could show only one of them.
    EXPECT_FALSE(Find({Block(5, 5, 2.5, size), Block(15, 5, 2.5, size), Block(5, 5, 2.5, size, 0xFF00)}, lattice));
    EXPECT_TRUE(lattice.pool.empty());
    EXPECT_FALSE(Find({Block(5, 5, 2.5, {10, 0, 5})}, lattice));  // flat boxes
    EXPECT_FALSE(Find({Block(5, 5, 2.5, {10, -10, 5})}, lattice));
    // A second section's size in the same run of records.
    EXPECT_FALSE(Find({Block(5, 5, 2.5, size), Block(15, 5, 2.5, {10, 10, 10})}, lattice));
    // Two blocks so far apart that the brick table would be mostly empty space.
    EXPECT_FALSE(Find({Block(5, 5, 2.5, size), Block(2e4 + 5, 2e4 + 5, 2.5, size)}, lattice));
    LatticeLimits roomy;
    roomy.tableEntriesPerBlock = 1 << 20;
    EXPECT_TRUE(Find({Block(5, 5, 2.5, size), Block(2e4 + 5, 2e4 + 5, 2.5, size)}, lattice, roomy));
    LatticeLimits narrow;
    narrow.maxCellsPerAxis = 3;
    EXPECT_TRUE(Find({Block(5, 5, 2.5, size), Block(25, 5, 2.5, size)}, lattice, narrow));
    EXPECT_FALSE(Find({Block(5, 5, 2.5, size), Block(35, 5, 2.5, size)}, lattice, narrow));
}

TEST(BlockLatticeTest, LargeModelsLookedAtInPartsAreRefusedForOneBlockAnywhere) {
    // 70,000 blocks: every part of the model finds its blocks' cells.
    std::vector<BlockRecord> blocks;
    for (int k = 0; k < 35; ++k) {
        for (int j = 0; j < 40; ++j) {
            for (int i = 0; i < 50; ++i) blocks.push_back(Block(5 + 10 * i, 5 + 10 * j, 2.5 + 5 * k, {10, 10, 5}, i + j + k));
        }
    }
    BlockLattice lattice;
    ASSERT_TRUE(Find(blocks, lattice));
    EXPECT_EQ(lattice.cells, (std::array<int32_t, 3>{50, 40, 35}));
    EXPECT_EQ(std::count(lattice.pool.begin(), lattice.pool.end(), 0u),
              static_cast<long>(lattice.pool.size()) - 70000);
    EXPECT_EQ(LatticeCellColour(lattice, 49, 39, 34), 0xFF000000u | (49 + 39 + 34));
    for (size_t at : {size_t{3}, size_t{35000}, size_t{69999}}) {
        std::vector<BlockRecord> twice = blocks;
        twice[at] = blocks[(at + 1234) % blocks.size()];  // a second block in a cell, and one cell empty
        EXPECT_FALSE(Find(twice, lattice)) << at;
        std::vector<BlockRecord> off = blocks;
        off[at].low[1] += 3;
        off[at].high[1] += 3;
        EXPECT_FALSE(Find(off, lattice)) << at;
    }
}

TEST(BlockLatticeTest, FarFromTheOriginFloatCentresStillFindTheirPoints) {
    // The first block far from 0, the others near it: their sizes are rounded by the
    // steps of the first one's floats, which are coarser than their own.
    BlockLattice lattice;
    EXPECT_TRUE(Find({Block(-925, 5, 2.5, {10, 10, 5}), Block(-125, 5, 2.5, {10, 10, 5}), Block(5, 5, 2.5, {10, 10, 5})},
                     lattice));
    EXPECT_EQ(lattice.cells[0], 94);
    // Around 7 million a float steps by 0.5: the centres are rounded that much.
    std::vector<BlockRecord> blocks;
    for (int i = 0; i < 40; ++i) blocks.push_back(Block(500005 + 10.0 * i, 7000005 + 10.0 * (i % 7), 1002.5, {10, 10, 5}));
    ASSERT_TRUE(Find(blocks, lattice));
    EXPECT_EQ(lattice.cells, (std::array<int32_t, 3>{40, 7, 1}));
    for (int i = 0; i < 40; ++i) EXPECT_NE(LatticeCellColour(lattice, i, i % 7, 0), 0u) << i;
}

TEST(BlockLatticeTest, OnlyBricksWithBlocksTakeRoomInThePool) {
    // Two corners of a 20 x 17 x 9 lattice: bricks 3 x 3 x 2, two of them used.
    const std::array<int, 3> size{2, 3, 4};
    std::vector<BlockRecord> blocks{Block(1, 1.5, 2, size, 0x010203), Block(39, 49.5, 34, size, 0x040506),
                                    Block(3, 1.5, 2, size, 0x070809)};
    BlockLattice lattice;
    ASSERT_TRUE(Find(blocks, lattice));
    EXPECT_EQ(lattice.cells, (std::array<int32_t, 3>{20, 17, 9}));
    EXPECT_EQ(lattice.bricks, (std::array<int32_t, 3>{3, 3, 2}));
    EXPECT_EQ(lattice.poolBricks, 2);
    EXPECT_EQ(lattice.pool.size(), 2u * kBrickCells);
    // Table order: x fastest, then y, then z; pool places in that order.
    std::vector<uint32_t> table(18, 0);
    table[0] = 1;
    table[17] = 2;
    EXPECT_EQ(lattice.brickTable, table);
    EXPECT_EQ(LatticeCellColour(lattice, 0, 0, 0), 0xFF010203u);
    EXPECT_EQ(LatticeCellColour(lattice, 1, 0, 0), 0xFF070809u);
    EXPECT_EQ(LatticeCellColour(lattice, 19, 16, 8), 0xFF040506u);
    EXPECT_EQ(lattice.pool[kBrickCells + 3], 0xFF040506u);
    EXPECT_EQ(std::count(lattice.pool.begin(), lattice.pool.end(), 0u), 2 * kBrickCells - 3);
}

// The first box the ray shows, trying every filled cell: where it enters, or where it
// leaves one whose entry lies outside [from, to].
LatticeHit BruteForce(const BlockLattice& l, const std::array<double, 3>& o, const std::array<double, 3>& d,
                      double from, double to, int faces) {
    LatticeHit best;
    best.t = std::numeric_limits<double>::infinity();
    for (int k = 0; k < l.cells[2]; ++k) {
        for (int j = 0; j < l.cells[1]; ++j) {
            for (int i = 0; i < l.cells[0]; ++i) {
                if (LatticeCellColour(l, i, j, k) == 0) continue;
                const std::array<int, 3> c{i, j, k};
                double enter = -INFINITY, leave = INFINITY;
                for (int a = 0; a < 3; ++a) {
                    double t0 = (c[a] + l.boxLow[a] - o[a]) / d[a], t1 = (c[a] + l.boxHigh[a] - o[a]) / d[a];
                    if (t0 > t1) std::swap(t0, t1);
                    enter = std::max(enter, t0);
                    leave = std::min(leave, t1);
                }
                if (enter > leave) continue;
                double t = INFINITY;
                if (faces != 2 && enter >= from && enter <= to) {
                    t = enter;
                } else if (faces != 1 && leave >= from && leave <= to) {
                    t = leave;
                }
                if (t < best.t) best = {true, {i, j, k}, t, 0};
            }
        }
    }
    return best;
}

TEST(BlockLatticeTest, TheWalkShowsTheNearestBoxWithAndWithoutSkippingBricks) {
    // A sparse 29 x 23 x 19 lattice: an ore body of a few hundred blocks in clusters.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> unit(0, 1);
    std::vector<BlockRecord> blocks;
    std::vector<bool> taken(29 * 23 * 19);
    for (int n = 0; n < 400; ++n) {
        const int i = static_cast<int>(unit(random) * 29), j = static_cast<int>(unit(random) * 23);
        const int k = (i + j) % 5 == 0 ? static_cast<int>(unit(random) * 19) : static_cast<int>(unit(random) * 6);
        if (taken[static_cast<size_t>((k * 23 + j) * 29 + i)]) continue;
        taken[static_cast<size_t>((k * 23 + j) * 29 + i)] = true;
        blocks.push_back(Block(5 + 10 * i, 5 + 10 * j, 2.5 + 5 * k, {10, 10, 5}, 0x808080));
    }
    blocks.push_back(Block(5, 5, 2.5, {10, 10, 5}));
    blocks.push_back(Block(285, 225, 92.5, {10, 10, 5}));  // the far corner: the lattice's full extent
    BlockLattice lattice;
    ASSERT_TRUE(Find(blocks, lattice));
    ASSERT_EQ(lattice.cells, (std::array<int32_t, 3>{29, 23, 19}));
    int hits = 0, cut = 0;
    for (int n = 0; n < 3000; ++n) {
        // From outside or inside the lattice, in any direction (some along an axis).
        const std::array<double, 3> o{unit(random) * 50 - 10, unit(random) * 40 - 8, unit(random) * 30 - 5};
        std::array<double, 3> d{unit(random) - 0.5, unit(random) - 0.5, unit(random) - 0.5};
        if (n % 10 == 0) d = {0, 0, n % 20 == 0 ? 1.0 : -1.0};
        // Half the rays start at a slab's plane, which may cut boxes open.
        const double from = n % 2 == 0 ? 0.0 : unit(random) * 30;
        const double to = 1e3;
        const int faces = n % 3;
        const LatticeHit expected = BruteForce(lattice, o, d, from, to, faces);
        for (bool skip : {true, false}) {
            const LatticeHit walked = CastLatticeRay(lattice, o, d, from, to, faces, skip);
            ASSERT_EQ(walked.hit, expected.hit) << n << " skip " << skip;
            if (!expected.hit) continue;
            EXPECT_EQ(walked.cell, expected.cell) << n << " skip " << skip;
            EXPECT_NEAR(walked.t, expected.t, 1e-9) << n;
        }
        hits += expected.hit;
        cut += expected.hit && from > 0;
    }
    EXPECT_GT(hits, 250);  // the rays do meet boxes, also cut ones
    EXPECT_GT(cut, 50) << hits;
}

TEST(BlockLatticeTest, TheHitFaceIsTheOneTheRayCrosses) {
    BlockLattice lattice;
    ASSERT_TRUE(Find({Block(5, 5, 2.5, {10, 10, 5}), Block(15, 5, 2.5, {10, 10, 5})}, lattice));
    // Along +x through both boxes at mid height: the first box's x- face at 0.04.
    LatticeHit hit = CastLatticeRay(lattice, {-1, 0.5, 0.5}, {1, 0, 0}, 0, 100, 0);
    ASSERT_TRUE(hit.hit);
    EXPECT_EQ(hit.cell, (std::array<int32_t, 3>{0, 0, 0}));
    EXPECT_EQ(hit.axis, 0);
    EXPECT_NEAR(hit.t, 1.04, 1e-6);
    // Down onto the top of the second box: across the elevation axis.
    hit = CastLatticeRay(lattice, {1.5, 0.5, 3}, {0, 0, -1}, 0, 100, 0);
    EXPECT_EQ(hit.cell, (std::array<int32_t, 3>{1, 0, 0}));
    EXPECT_EQ(hit.axis, 2);
    EXPECT_NEAR(hit.t, 2.04, 1e-6);
    // Through the gap between the boxes: nothing.
    EXPECT_FALSE(CastLatticeRay(lattice, {1.0, 0.5, 3}, {0, 0, -1}, 0, 100, 0).hit);
    // (Exits only, entries only and starts inside a box are walked against every box
    // in TheWalkShowsTheNearestBoxWithAndWithoutSkippingBricks.)
    // A ray with no direction, or one running on without end beside the boxes: nothing.
    EXPECT_FALSE(CastLatticeRay(lattice, {0.5, 0.5, 0.5}, {0, 0, 0}, 0, INFINITY, 0).hit);
    EXPECT_FALSE(CastLatticeRay(lattice, {1.0, 0.5, 3}, {0, 0, -1}, 0, INFINITY, 0).hit);
    EXPECT_TRUE(CastLatticeRay(lattice, {0.5, 0.5, 3}, {0, 0, -1}, 0, INFINITY, 0).hit);
    // Stopping short of the box (the far plane or the slab): nothing.
    EXPECT_FALSE(CastLatticeRay(lattice, {-1, 0.5, 0.5}, {1, 0, 0}, 0, 1.0, 0).hit);
}

}  // namespace
}  // namespace talan
