// Block models whose blocks stand on a lattice: every centre is the first centre plus
// whole multiples of the block size along each axis, at most one block to a cell.
// Such a model can be drawn by casting rays through its cells instead of drawing one
// box per block; this finds the lattice and packs the cells for that.
//
// The cells are packed in bricks of 8 x 8 x 8: a brick table over the whole lattice
// names, for each brick, where its cells lie in a pool that holds only the bricks
// with blocks in them, so that a sparse model (a shell, an ore body) costs memory for
// its blocks and not for the empty space around them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "scene/SceneStorage.h"

namespace talan {

inline constexpr int32_t kBrickSide = 8;
inline constexpr int32_t kBrickCells = kBrickSide * kBrickSide * kBrickSide;

// What a lattice may take. The defaults let any model through that fits in memory
// proportionate to its blocks; drawing lowers maxCellsPerAxis to what its textures
// can hold.
struct LatticeLimits {
    int64_t maxCellsPerAxis = int64_t{1} << 20;
    // The brick table may hold this many entries per block, plus a few thousand, so
    // that two blocks far apart do not make a table of empty space.
    int64_t tableEntriesPerBlock = 2;
    // A centre may lie this share of the block size off its lattice point (and a
    // few steps of its float more, for coordinates far from 0).
    double tolerance = 0.01;
};

struct BlockLattice {
    // Cell (i, j, k) spans origin + (i, j, k) * cell to origin + (i + 1, j + 1, k + 1) * cell
    // in file axes (x, y, elevation); lattice coordinates are (p - origin) / cell.
    std::array<double, 3> origin{};
    std::array<double, 3> cell{};  // the block size, above 0 on every axis
    // The drawn box of a block within its cell, in lattice units (0.04 and 0.96 for
    // boxes at 0.92 of the block size).
    std::array<double, 3> boxLow{}, boxHigh{};
    std::array<int32_t, 3> cells{};   // the lattice's extent in cells
    std::array<int32_t, 3> bricks{};  // in bricks: cells / 8 rounded up
    // Per brick, x fastest, then y, then z: 0 for a brick without a block, else 1 +
    // the brick's place in the pool.
    std::vector<uint32_t> brickTable;
    // kBrickCells cells per pool brick, x fastest within it: the block's colour as
    // red | green << 8 | blue << 16 | 0xFF << 24, or 0 for an empty cell.
    std::vector<uint32_t> pool;
    int64_t poolBricks = 0;
    int64_t blocks = 0;
};

// Whether the blocks [0, count) stand on one lattice within `limits`, and if so the
// lattice with every block's colour in its cell. False (and `lattice` left empty) for
// no blocks, a size that is not above 0, a centre off the lattice, two blocks in one
// cell, or a lattice beyond the limits.
bool FindBlockLattice(const BlockRecord* blocks, int64_t count, const LatticeLimits& limits, BlockLattice& lattice);

// The cell of a block of the lattice's model: the nearest lattice point to its centre.
std::array<int64_t, 3> LatticeCellOf(const BlockLattice& lattice, const BlockRecord& block);

// The colour word of cell (i, j, k), 0 for an empty cell or one outside the lattice.
uint32_t LatticeCellColour(const BlockLattice& lattice, int64_t i, int64_t j, int64_t k);

// Where a ray meets the first drawn box of the lattice: a ray origin + t * direction
// in lattice coordinates, kept where t lies in [tFrom, tTo]. A box is met where the ray
// enters it or, where that lies outside [tFrom, tTo] (a cut box is open), where it
// leaves it; `faces` keeps only entries (1) or only exits (2), as culling does, or
// both (0). Walks the cells one by one (Amanatides and Woo), skipping bricks without
// blocks when `skipBricks` is set.
struct LatticeHit {
    bool hit = false;
    std::array<int32_t, 3> cell{};
    double t = 0;
    int axis = 0;  // the axis across the face met: 0 x, 1 y, 2 elevation
};
LatticeHit CastLatticeRay(const BlockLattice& lattice, const std::array<double, 3>& origin,
                          const std::array<double, 3>& direction, double tFrom, double tTo, int faces,
                          bool skipBricks = true);

}  // namespace talan
