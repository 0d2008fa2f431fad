#include "render/ReducedCopy.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numeric>

namespace talan {

namespace {

using Cell = std::array<int64_t, 3>;

struct Grid {
    double low[3];
    double side;
    int64_t cells[3];

    Cell CellOf(const float* p) const {
        Cell cell;
        for (int a = 0; a < 3; ++a) {
            const double at = std::floor((p[a] - low[a]) / side);
            cell[static_cast<size_t>(a)] = std::clamp<int64_t>(static_cast<int64_t>(at), 0, cells[a] - 1);
        }
        return cell;
    }
    int64_t Key(const Cell& c) const { return c[0] + cells[0] * (c[1] + cells[1] * c[2]); }
};

// One kept triangle: its three cells' keys in ascending order, and where it came from.
struct Kept {
    std::array<int64_t, 3> keys;
    int64_t triangle;
};

Grid MakeGrid(const double low[3], const double high[3], double side) {
    Grid grid{{low[0], low[1], low[2]}, side, {1, 1, 1}};
    // At most about 2^20 cells along an axis, so that keys fit 64 bits.
    double largest = 0;
    for (int a = 0; a < 3; ++a) largest = std::max(largest, high[a] - low[a]);
    grid.side = std::max(side, largest / double(1 << 20));
    for (int a = 0; a < 3; ++a) grid.cells[a] = static_cast<int64_t>((high[a] - low[a]) / grid.side) + 1;
    return grid;
}

std::vector<Kept> KeptTriangles(const SceneVertex* vertices, int64_t triangles, const Grid& grid) {
    std::vector<Kept> kept;
    for (int64_t t = 0; t < triangles; ++t) {
        Kept k{{}, t};
        for (int c = 0; c < 3; ++c) k.keys[static_cast<size_t>(c)] = grid.Key(grid.CellOf(vertices[3 * t + c].position));
        if (k.keys[0] == k.keys[1] || k.keys[1] == k.keys[2] || k.keys[0] == k.keys[2]) continue;
        std::sort(k.keys.begin(), k.keys.end());
        kept.push_back(k);
    }
    // Of the triangles on the same three cells the first stays, and the order of the
    // triangles is kept.
    std::stable_sort(kept.begin(), kept.end(), [](const Kept& a, const Kept& b) { return a.keys < b.keys; });
    kept.erase(std::unique(kept.begin(), kept.end(), [](const Kept& a, const Kept& b) { return a.keys == b.keys; }),
               kept.end());
    std::sort(kept.begin(), kept.end(), [](const Kept& a, const Kept& b) { return a.triangle < b.triangle; });
    return kept;
}

}  // namespace

std::vector<SceneVertex> ClusterTriangles(const SceneVertex* vertices, int64_t triangles, int64_t budget) {
    if (triangles <= 0 || budget <= 0) return {};
    double low[3], high[3];
    for (int a = 0; a < 3; ++a) {
        low[a] = std::numeric_limits<double>::infinity();
        high[a] = -low[a];
    }
    double area = 0;
    for (int64_t t = 0; t < triangles; ++t) {
        const float* p[3] = {vertices[3 * t].position, vertices[3 * t + 1].position, vertices[3 * t + 2].position};
        for (const float* q : p) {
            for (int a = 0; a < 3; ++a) {
                low[a] = std::min<double>(low[a], q[a]);
                high[a] = std::max<double>(high[a], q[a]);
            }
        }
        const double u[3] = {p[1][0] - p[0][0], p[1][1] - p[0][1], p[1][2] - p[0][2]};
        const double v[3] = {p[2][0] - p[0][0], p[2][1] - p[0][1], p[2][2] - p[0][2]};
        const double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        area += 0.5 * std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    }
    if (!std::isfinite(area) || !std::isfinite(low[0] + low[1] + low[2] + high[0] + high[1] + high[2])) return {};
    double extent = 0;
    for (int a = 0; a < 3; ++a) extent = std::max(extent, high[a] - low[a]);
    if (extent <= 0) return {};
    // A surface of area A on cubes of side s crosses about A / s^2 cells, and its
    // clustered copy has about two triangles per cell.
    double side = area > 0 ? std::sqrt(2.0 * area / static_cast<double>(budget)) : extent / std::sqrt(double(budget));
    std::vector<Kept> kept;
    for (int tries = 0; tries < 8; ++tries) {
        kept = KeptTriangles(vertices, triangles, MakeGrid(low, high, side));
        if (static_cast<int64_t>(kept.size()) <= 2 * budget) break;
        side *= std::sqrt(static_cast<double>(kept.size()) / static_cast<double>(budget));
        kept.clear();
    }
    // Every corner in a cell becomes one point: the mean of the kept triangles'
    // corners in that cell, which lies on the surface and reaches its edges.
    const Grid grid = MakeGrid(low, high, side);
    struct Corner {
        int64_t key;
        int64_t vertex;
    };
    std::vector<Corner> corners;
    corners.reserve(kept.size() * 3);
    for (const Kept& k : kept) {
        for (int64_t c = 0; c < 3; ++c) {
            const int64_t vertex = 3 * k.triangle + c;
            corners.push_back({grid.Key(grid.CellOf(vertices[vertex].position)), vertex});
        }
    }
    std::sort(corners.begin(), corners.end(), [](const Corner& a, const Corner& b) { return a.key < b.key; });
    std::vector<int64_t> keys;
    std::vector<std::array<float, 3>> means;
    for (size_t i = 0; i < corners.size();) {
        size_t j = i;
        double sum[3] = {0, 0, 0};
        for (; j < corners.size() && corners[j].key == corners[i].key; ++j) {
            for (int a = 0; a < 3; ++a) sum[a] += vertices[corners[j].vertex].position[a];
        }
        const double n = static_cast<double>(j - i);
        keys.push_back(corners[i].key);
        means.push_back({static_cast<float>(sum[0] / n), static_cast<float>(sum[1] / n), static_cast<float>(sum[2] / n)});
        i = j;
    }
    std::vector<SceneVertex> out;
    out.reserve(kept.size() * 3);
    for (const Kept& k : kept) {
        for (int c = 0; c < 3; ++c) {
            SceneVertex v = vertices[3 * k.triangle + c];
            const int64_t key = grid.Key(grid.CellOf(v.position));
            const auto at = static_cast<size_t>(std::lower_bound(keys.begin(), keys.end(), key) - keys.begin());
            std::copy(means[at].begin(), means[at].end(), v.position);
            out.push_back(v);
        }
    }
    return out;
}

std::vector<int64_t> ElementsKept(int64_t elements, int64_t budget) {
    std::vector<int64_t> kept;
    if (elements <= 0 || budget <= 0) return kept;
    const int64_t count = std::min(elements, budget);
    kept.reserve(static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i) {
        kept.push_back(i * (elements / count) + i * (elements % count) / count);  // i x elements / count
    }
    return kept;
}

std::vector<int64_t> ShareBudget(const std::vector<int64_t>& elements, const std::vector<bool>& kinds, int64_t budget) {
    std::vector<int64_t> shares(elements.size(), 0);
    const int64_t small = budget / 16;
    int64_t total = 0, smallTotal = 0, bigTotal = 0;
    for (size_t k = 0; k < elements.size(); ++k) {
        if (!kinds[k] || elements[k] <= 0) continue;
        total += elements[k];
        (elements[k] <= small ? smallTotal : bigTotal) += elements[k];
    }
    const int64_t left = std::max(budget - smallTotal, budget / 4);
    for (size_t k = 0; k < elements.size(); ++k) {
        if (!kinds[k] || elements[k] <= 0) continue;
        if (total <= budget || elements[k] <= small || bigTotal <= left) {
            shares[k] = elements[k];
            continue;
        }
        const double share = static_cast<double>(left) * static_cast<double>(elements[k]) / static_cast<double>(bigTotal);
        shares[k] = std::max<int64_t>(1, static_cast<int64_t>(share));
    }
    return shares;
}

}  // namespace talan
