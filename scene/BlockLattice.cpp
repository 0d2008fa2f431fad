#include "scene/BlockLattice.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cmath>
#include <limits>
#include <thread>

namespace talan {

namespace {

constexpr double kDrawnShare = 0.92;  // boxes are drawn at this share of the block size

double Centre(const BlockRecord& b, int axis) { return (double{b.low[axis]} + double{b.high[axis]}) * 0.5; }

// The whole number nearest q, or false when q lies farther than `slack` from it.
bool NearWhole(double q, double slack, int64_t& k) {
    if (!(std::abs(q) < 1e15)) return false;
    k = q >= 0 ? static_cast<int64_t>(q + 0.5) : -static_cast<int64_t>(0.5 - q);
    return std::abs(q - static_cast<double>(k)) <= slack;
}

// Blocks are looked at in parts, one thread each, for large models.
size_t PartsFor(int64_t count) {
    if (count < (int64_t{1} << 16)) return 1;
    return std::clamp<size_t>(std::thread::hardware_concurrency(), 1, 8);
}

// Calls part(begin, end, index) for `parts` consecutive runs of [0, count), the first
// on this thread.
template <typename Part>
void ForParts(int64_t count, size_t parts, Part part) {
    std::vector<std::thread> threads;
    const auto bounds = [&](size_t i) { return count * static_cast<int64_t>(i) / static_cast<int64_t>(parts); };
    for (size_t i = 1; i < parts; ++i) threads.emplace_back([&, i] { part(bounds(i), bounds(i + 1), i); });
    part(0, bounds(1), 0);
    for (std::thread& thread : threads) thread.join();
}

size_t BrickOf(const BlockLattice& l, int64_t i, int64_t j, int64_t k) {
    const auto bx = static_cast<size_t>(i / kBrickSide), by = static_cast<size_t>(j / kBrickSide),
               bz = static_cast<size_t>(k / kBrickSide);
    return (bz * static_cast<size_t>(l.bricks[1]) + by) * static_cast<size_t>(l.bricks[0]) + bx;
}

size_t CellInBrick(int64_t i, int64_t j, int64_t k) {
    return static_cast<size_t>(((k % kBrickSide) * kBrickSide + (j % kBrickSide)) * kBrickSide + (i % kBrickSide));
}

}  // namespace

std::array<int64_t, 3> LatticeCellOf(const BlockLattice& lattice, const BlockRecord& block) {
    std::array<int64_t, 3> cell{};
    for (int a = 0; a < 3; ++a) {
        cell[a] = static_cast<int64_t>(std::floor((Centre(block, a) - lattice.origin[a]) / lattice.cell[a]));
    }
    return cell;
}

bool FindBlockLattice(const BlockRecord* blocks, int64_t count, const LatticeLimits& limits, BlockLattice& lattice) {
    lattice = BlockLattice{};
    if (count <= 0) return false;
    // The block size: the drawn edge over 0.92, a whole number as the file gives it.
    // Every block of a section has the same size; one whose box differs is not part
    // of the lattice.
    std::array<double, 3> size{}, first{}, inverse{};
    std::array<float, 3> edge{};
    for (int a = 0; a < 3; ++a) {
        edge[a] = blocks[0].high[a] - blocks[0].low[a];
        size[a] = std::nearbyint(double{edge[a]} / kDrawnShare);
        if (!(size[a] >= 1.0)) return false;
        first[a] = Centre(blocks[0], a);
        inverse[a] = 1.0 / size[a];
    }
    // Faces are floats, rounded by steps that grow with the coordinate: a few such
    // steps (4 x 2^-23 of the coordinate each) of this block's faces and the first
    // one's may part the sizes and the centres beyond the tolerance.
    const auto steps = [](const BlockRecord& b, int a) {
        return std::max(std::abs(double{b.low[a]}), std::abs(double{b.high[a]})) * 0x1p-21;
    };
    std::array<double, 3> firstSteps{};
    for (int a = 0; a < 3; ++a) firstSteps[a] = steps(blocks[0], a);

    // Every block on its point, and the range of the points.
    struct Range {
        std::array<int64_t, 3> lo{INT64_MAX, INT64_MAX, INT64_MAX}, hi{INT64_MIN, INT64_MIN, INT64_MIN};
        bool on = true;
    };
    std::vector<Range> ranges(PartsFor(count));
    ForParts(count, ranges.size(), [&](int64_t begin, int64_t end, size_t part) {
        Range& r = ranges[part];
        for (int64_t n = begin; n < end && r.on; ++n) {
            const BlockRecord& b = blocks[n];
            for (int a = 0; a < 3; ++a) {
                // The same size, though rounded differently at another coordinate.
                const double ulps = steps(b, a) + firstSteps[a];
                int64_t k = 0;
                if (std::abs(double{b.high[a] - b.low[a]} - edge[a]) > ulps ||
                    !NearWhole((Centre(b, a) - first[a]) * inverse[a], limits.tolerance + ulps * inverse[a], k)) {
                    r.on = false;
                    break;
                }
                r.lo[a] = std::min(r.lo[a], k);
                r.hi[a] = std::max(r.hi[a], k);
            }
        }
    });
    std::array<int64_t, 3> lo = ranges[0].lo, hi = ranges[0].hi;
    for (const Range& r : ranges) {
        if (!r.on) return false;
        for (int a = 0; a < 3; ++a) {
            lo[a] = std::min(lo[a], r.lo[a]);
            hi[a] = std::max(hi[a], r.hi[a]);
        }
    }
    int64_t tableEntries = 1;
    for (int a = 0; a < 3; ++a) {
        const int64_t cells = hi[a] - lo[a] + 1;
        if (cells > limits.maxCellsPerAxis || cells > std::numeric_limits<int32_t>::max() - kBrickSide) return false;
        lattice.cells[a] = static_cast<int32_t>(cells);
        lattice.bricks[a] = static_cast<int32_t>((cells + kBrickSide - 1) / kBrickSide);
        tableEntries *= lattice.bricks[a];
        if (tableEntries > count * limits.tableEntriesPerBlock + 4096) return false;
        lattice.cell[a] = size[a];
        // Lattice point k lies at the centre of cell k - lo.
        lattice.origin[a] = first[a] + (static_cast<double>(lo[a]) - 0.5) * size[a];
        const double half = double{static_cast<float>(size[a] * kDrawnShare) * 0.5f} / size[a];
        lattice.boxLow[a] = 0.5 - half;
        lattice.boxHigh[a] = 0.5 + half;
    }

    // Which bricks hold blocks, numbered in table order; then each block's colour in
    // its cell, where a second block in a cell undoes the lattice. The parts of the
    // model mark bricks and fill cells side by side.
    lattice.brickTable.assign(static_cast<size_t>(tableEntries), 0);
    const auto cellOf = [&](const BlockRecord& b) {
        std::array<int64_t, 3> c{};
        for (int a = 0; a < 3; ++a) {
            int64_t k = 0;
            NearWhole((Centre(b, a) - first[a]) * inverse[a], 1.0, k);
            c[a] = k - lo[a];
        }
        return c;
    };
    ForParts(count, ranges.size(), [&](int64_t begin, int64_t end, size_t) {
        for (int64_t n = begin; n < end; ++n) {
            const auto c = cellOf(blocks[n]);
            std::atomic_ref<uint32_t>(lattice.brickTable[BrickOf(lattice, c[0], c[1], c[2])]).store(1, std::memory_order_relaxed);
        }
    });
    uint32_t used = 0;
    for (uint32_t& entry : lattice.brickTable) {
        if (entry != 0) entry = ++used;
    }
    lattice.poolBricks = used;
    lattice.pool.assign(static_cast<size_t>(used) * kBrickCells, 0);
    std::atomic<bool> twice{false};
    ForParts(count, ranges.size(), [&](int64_t begin, int64_t end, size_t) {
        for (int64_t n = begin; n < end; ++n) {
            const BlockRecord& b = blocks[n];
            const auto c = cellOf(b);
            const size_t brick = lattice.brickTable[BrickOf(lattice, c[0], c[1], c[2])] - 1;
            const uint32_t colour =
                uint32_t{b.colour[0]} | uint32_t{b.colour[1]} << 8 | uint32_t{b.colour[2]} << 16 | 0xFF000000u;
            std::atomic_ref<uint32_t> cell(lattice.pool[brick * kBrickCells + CellInBrick(c[0], c[1], c[2])]);
            if (cell.exchange(colour, std::memory_order_relaxed) != 0) {
                twice.store(true, std::memory_order_relaxed);
                return;
            }
        }
    });
    if (twice.load()) {
        lattice = BlockLattice{};
        return false;
    }
    lattice.blocks = count;
    return true;
}

uint32_t LatticeCellColour(const BlockLattice& lattice, int64_t i, int64_t j, int64_t k) {
    if (i < 0 || j < 0 || k < 0 || i >= lattice.cells[0] || j >= lattice.cells[1] || k >= lattice.cells[2]) return 0;
    const uint32_t brick = lattice.brickTable[BrickOf(lattice, i, j, k)];
    if (brick == 0 || lattice.pool.empty()) return 0;
    return lattice.pool[(brick - 1) * size_t{kBrickCells} + CellInBrick(i, j, k)];
}

namespace {

// One walk of the cells of [from, to] along the ray, within the cells lo..hi;
// `visit(cell, tEnter, tLeave)` returns true to stop.
template <typename Visit>
bool WalkCells(const std::array<double, 3>& o, const std::array<double, 3>& d, double from, double to,
               const std::array<int64_t, 3>& lo, const std::array<int64_t, 3>& hi, double unit, Visit visit) {
    if (!(from < to)) return false;
    std::array<int64_t, 3> cell{}, step{};
    std::array<double, 3> inverse{};
    // The cell at the middle of the first step is found from a point just inside.
    for (int a = 0; a < 3; ++a) {
        inverse[a] = d[a] != 0 ? 1.0 / d[a] : std::numeric_limits<double>::infinity();
        step[a] = d[a] > 0 ? 1 : d[a] < 0 ? -1 : 0;
    }
    double t = from;
    double next = to;
    for (int a = 0; a < 3; ++a) {
        if (step[a] == 0) continue;
        const double p = o[a] + d[a] * from;
        const double boundary = (std::floor(p / unit) + (step[a] > 0 ? 1 : 0)) * unit;
        next = std::min(next, std::max((boundary - o[a]) * inverse[a], from));
    }
    const double middle = (from + std::min(next, to)) * 0.5;
    for (int a = 0; a < 3; ++a) {
        cell[a] = std::clamp(static_cast<int64_t>(std::floor((o[a] + d[a] * middle) / unit)), lo[a], hi[a]);
    }
    for (;;) {
        // Where the ray leaves this cell, and across which axis.
        double leave = to;
        int across = -1;
        for (int a = 0; a < 3; ++a) {
            if (step[a] == 0) continue;
            const double boundary = static_cast<double>(cell[a] + (step[a] > 0 ? 1 : 0)) * unit;
            const double ta = (boundary - o[a]) * inverse[a];
            if (ta < leave) {
                leave = ta;
                across = a;
            }
        }
        if (visit(cell, t, std::max(leave, t))) return true;
        if (across < 0) return false;
        t = std::max(leave, t);
        cell[across] += step[across];
        if (cell[across] < lo[across] || cell[across] > hi[across]) return false;
    }
}

}  // namespace

LatticeHit CastLatticeRay(const BlockLattice& lattice, const std::array<double, 3>& o,
                          const std::array<double, 3>& d, double tFrom, double tTo, int faces, bool skipBricks) {
    LatticeHit hit;
    if (d[0] == 0 && d[1] == 0 && d[2] == 0) return hit;  // no ray at all
    // The part of the ray within the lattice's box.
    double from = tFrom, to = tTo;
    for (int a = 0; a < 3; ++a) {
        if (d[a] == 0) {
            if (o[a] < 0 || o[a] > lattice.cells[a]) return hit;
            continue;
        }
        double t0 = -o[a] / d[a], t1 = (lattice.cells[a] - o[a]) / d[a];
        if (t0 > t1) std::swap(t0, t1);
        from = std::max(from, t0);
        to = std::min(to, t1);
    }
    if (!(from < to)) return hit;

    const auto inCell = [&](const std::array<int64_t, 3>& c, double, double) {
        if (LatticeCellColour(lattice, c[0], c[1], c[2]) == 0) return false;
        // The box of the block in this cell: where the ray enters and leaves it.
        double enter = -INFINITY, leave = INFINITY;
        int enterAxis = 0, leaveAxis = 0;
        for (int a = 0; a < 3; ++a) {
            const double lo = static_cast<double>(c[a]) + lattice.boxLow[a];
            const double hi = static_cast<double>(c[a]) + lattice.boxHigh[a];
            if (d[a] == 0) {
                if (o[a] < lo || o[a] > hi) return false;
                continue;
            }
            double t0 = (lo - o[a]) / d[a], t1 = (hi - o[a]) / d[a];
            if (t0 > t1) std::swap(t0, t1);
            if (t0 > enter) {
                enter = t0;
                enterAxis = a;
            }
            if (t1 < leave) {
                leave = t1;
                leaveAxis = a;
            }
        }
        if (enter > leave) return false;
        if (faces != 2 && enter >= tFrom && enter <= tTo) {
            hit = {true, {static_cast<int32_t>(c[0]), static_cast<int32_t>(c[1]), static_cast<int32_t>(c[2])}, enter,
                   enterAxis};
            return true;
        }
        if (faces != 1 && leave >= tFrom && leave <= tTo) {
            hit = {true, {static_cast<int32_t>(c[0]), static_cast<int32_t>(c[1]), static_cast<int32_t>(c[2])}, leave,
                   leaveAxis};
            return true;
        }
        return false;
    };
    const std::array<int64_t, 3> last{lattice.cells[0] - 1, lattice.cells[1] - 1, lattice.cells[2] - 1};
    if (!skipBricks) {
        WalkCells(o, d, from, to, {0, 0, 0}, last, 1.0, inCell);
        return hit;
    }
    // Brick by brick; the cells of a brick that holds blocks one by one.
    const std::array<int64_t, 3> lastBrick{lattice.bricks[0] - 1, lattice.bricks[1] - 1, lattice.bricks[2] - 1};
    WalkCells(o, d, from, to, {0, 0, 0}, lastBrick, kBrickSide,
              [&](const std::array<int64_t, 3>& b, double enter, double leave) {
                  const size_t index = (static_cast<size_t>(b[2]) * static_cast<size_t>(lattice.bricks[1]) +
                                        static_cast<size_t>(b[1])) * static_cast<size_t>(lattice.bricks[0]) +
                                       static_cast<size_t>(b[0]);
                  if (lattice.brickTable[index] == 0) return false;
                  std::array<int64_t, 3> lo{}, hi{};
                  for (int a = 0; a < 3; ++a) {
                      lo[a] = b[a] * kBrickSide;
                      hi[a] = std::min(lo[a] + kBrickSide - 1, last[a]);
                  }
                  return WalkCells(o, d, enter, leave, lo, hi, 1.0, inCell);
              });
    return hit;
}

}  // namespace talan
