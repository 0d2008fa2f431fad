#include "scene/ScenePicking.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace talan {

namespace {

constexpr double kRadiansToDegrees = 57.29577951308232;

FilePoint Sub(const FilePoint& a, const FilePoint& b) { return {a[0] - b[0], a[1] - b[1], a[2] - b[2]}; }
FilePoint Add(const FilePoint& a, const FilePoint& b) { return {a[0] + b[0], a[1] + b[1], a[2] + b[2]}; }
FilePoint Scale(const FilePoint& a, double s) { return {a[0] * s, a[1] * s, a[2] * s}; }
double Dot(const FilePoint& a, const FilePoint& b) { return a[0] * b[0] + a[1] * b[1] + a[2] * b[2]; }
FilePoint Cross(const FilePoint& a, const FilePoint& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}
double Length(const FilePoint& a) { return std::sqrt(Dot(a, a)); }

// A stored vertex's position in file axes.
FilePoint FileAxes(const SceneVertex& v) { return {v.position[0], v.position[2], v.position[1]}; }

// The closest point of triangle abc to p (the regions of the triangle's Voronoi
// diagram, taken in turn).
FilePoint ClosestOnTriangle(const FilePoint& p, const FilePoint& a, const FilePoint& b, const FilePoint& c) {
    const FilePoint ab = Sub(b, a), ac = Sub(c, a), ap = Sub(p, a);
    const double d1 = Dot(ab, ap), d2 = Dot(ac, ap);
    if (d1 <= 0 && d2 <= 0) return a;
    const FilePoint bp = Sub(p, b);
    const double d3 = Dot(ab, bp), d4 = Dot(ac, bp);
    if (d3 >= 0 && d4 <= d3) return b;
    const double vc = d1 * d4 - d3 * d2;
    if (vc <= 0 && d1 >= 0 && d3 <= 0) return Add(a, Scale(ab, d1 / (d1 - d3)));
    const FilePoint cp = Sub(p, c);
    const double d5 = Dot(ab, cp), d6 = Dot(ac, cp);
    if (d6 >= 0 && d5 <= d6) return c;
    const double vb = d5 * d2 - d1 * d6;
    if (vb <= 0 && d2 >= 0 && d6 <= 0) return Add(a, Scale(ac, d2 / (d2 - d6)));
    const double va = d3 * d6 - d5 * d4;
    if (va <= 0 && (d4 - d3) >= 0 && (d5 - d6) >= 0) {
        return Add(b, Scale(Sub(c, b), (d4 - d3) / ((d4 - d3) + (d5 - d6))));
    }
    const double denominator = va + vb + vc;
    if (denominator == 0) return a;  // a degenerate triangle: its corners were tried
    return Add(a, Add(Scale(ab, vb / denominator), Scale(ac, vc / denominator)));
}

FilePoint ClosestOnSegment(const FilePoint& p, const FilePoint& a, const FilePoint& b) {
    const FilePoint ab = Sub(b, a);
    const double lengthSquared = Dot(ab, ab);
    const double t = lengthSquared > 0 ? std::clamp(Dot(Sub(p, a), ab) / lengthSquared, 0.0, 1.0) : 0.0;
    return Add(a, Scale(ab, t));
}

// Distance from p to the surface of the box [low, high] (either bound may be the
// larger along an axis: negative sizes).
double DistanceToBoxSurface(const FilePoint& p, const BlockRecord& block) {
    double outside = 0, inside = std::numeric_limits<double>::infinity();
    bool within = true;
    for (int i = 0; i < 3; ++i) {
        const double lo = std::min(block.low[i], block.high[i]), hi = std::max(block.low[i], block.high[i]);
        const double below = lo - p[i], above = p[i] - hi;
        if (below > 0 || above > 0) {
            within = false;
            const double d = std::max(below, above);
            outside += d * d;
        } else {
            inside = std::min({inside, -below, -above});
        }
    }
    return within ? inside : std::sqrt(outside);
}

// The least distance from p to anything within the box of the given corners.
double DistanceToBounds(const FilePoint& p, const FilePoint& lo, const FilePoint& hi) {
    double sum = 0;
    for (int i = 0; i < 3; ++i) {
        const double d = std::max({lo[i] - p[i], p[i] - hi[i], 0.0});
        sum += d * d;
    }
    return std::sqrt(sum);
}

struct Slab {
    int axis;
    double low, high;
    // Whether anything of [lo, hi] along the slab's axis lies within it.
    bool Keeps(double lo, double hi) const { return axis < 0 || (std::max(lo, hi) >= low && std::min(lo, hi) <= high); }
};

// The distance from p to element e of a vertex object, or infinity when the slab
// cuts it away or it cannot beat `best`.
double ElementDistance(const SceneModel& scene, size_t k, int64_t e, const FilePoint& p, const Slab& slab,
                       double best) {
    const int32_t perElement = scene.verticesPerElement[k];
    const SceneVertex* v = &scene.sceneVertices[static_cast<size_t>(scene.firstStored[k] + e * perElement)];
    FilePoint corners[3];
    FilePoint lo{std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(),
                 std::numeric_limits<double>::infinity()};
    FilePoint hi = Scale(lo, -1);
    const int n = std::min(perElement, 3);
    for (int c = 0; c < n; ++c) {
        corners[c] = FileAxes(v[c]);
        for (int i = 0; i < 3; ++i) {
            lo[i] = std::min(lo[i], corners[c][i]);
            hi[i] = std::max(hi[i], corners[c][i]);
        }
    }
    const double infinity = std::numeric_limits<double>::infinity();
    if (slab.axis >= 0 && !slab.Keeps(lo[slab.axis], hi[slab.axis])) return infinity;
    if (DistanceToBounds(p, lo, hi) >= best) return infinity;
    if (n == 3) return Length(Sub(p, ClosestOnTriangle(p, corners[0], corners[1], corners[2])));
    if (n == 2) return Length(Sub(p, ClosestOnSegment(p, corners[0], corners[1])));
    return Length(Sub(p, corners[0]));
}

}  // namespace

ElementHit FindNearestElement(const SceneModel& scene, const FilePoint& point, int axis, double keepLow,
                              double keepHigh) {
    const Slab slab{axis >= 0 && axis < 3 ? axis : -1, keepLow, keepHigh};
    ElementHit best;
    best.distance = std::numeric_limits<double>::infinity();
    const size_t objects = std::min(static_cast<size_t>(std::max(scene.objectCount, 0)), scene.firstVertex.size());
    for (size_t k = 0; k < objects; ++k) {
        if (!scene.objectVisible[k]) continue;
        const int64_t elements = scene.elementCounts[k];
        for (int64_t e = 0; e < elements; ++e) {
            double d;
            if (IsBlockModel(scene, k)) {
                const BlockRecord& block = scene.blockRecords[static_cast<size_t>(scene.firstStored[k] + e)];
                d = slab.axis >= 0 && !slab.Keeps(block.low[slab.axis], block.high[slab.axis])
                        ? std::numeric_limits<double>::infinity()
                        : DistanceToBoxSurface(point, block);
            } else {
                d = ElementDistance(scene, k, e, point, slab, best.distance);
            }
            if (d < best.distance) best = {static_cast<int32_t>(k), e, d};
        }
    }
    if (best.object < 0) best.distance = 0;
    return best;
}

bool PointOnElement(const SceneModel& scene, const ElementHit& hit, const FilePoint& origin,
                    const FilePoint& direction, FilePoint& point) {
    if (hit.object < 0) return false;
    const auto k = static_cast<size_t>(hit.object);
    if (IsBlockModel(scene, k)) {
        // Where the ray enters the box: the slabs method.
        const BlockRecord& block = scene.blockRecords[static_cast<size_t>(scene.firstStored[k] + hit.element)];
        double enter = -std::numeric_limits<double>::infinity(), leave = std::numeric_limits<double>::infinity();
        for (int i = 0; i < 3; ++i) {
            const double lo = std::min(block.low[i], block.high[i]), hi = std::max(block.low[i], block.high[i]);
            if (direction[i] == 0) {
                if (origin[i] < lo || origin[i] > hi) return false;
                continue;
            }
            double t0 = (lo - origin[i]) / direction[i], t1 = (hi - origin[i]) / direction[i];
            if (t0 > t1) std::swap(t0, t1);
            enter = std::max(enter, t0);
            leave = std::min(leave, t1);
        }
        if (enter > leave || leave < 0) return false;
        point = Add(origin, Scale(direction, std::max(enter, 0.0)));
        return true;
    }
    const int32_t perElement = scene.verticesPerElement[k];
    const SceneVertex* v = &scene.sceneVertices[static_cast<size_t>(scene.firstStored[k] + hit.element * perElement)];
    if (perElement == 3) {
        // Where the ray meets the triangle's plane.
        const FilePoint a = FileAxes(v[0]);
        const FilePoint normal = Cross(Sub(FileAxes(v[1]), a), Sub(FileAxes(v[2]), a));
        const double facing = Dot(normal, direction);
        if (facing == 0) return false;
        point = Add(origin, Scale(direction, Dot(normal, Sub(a, origin)) / facing));
        return true;
    }
    if (perElement == 2) {
        // The point of the segment nearest the ray.
        const FilePoint a = FileAxes(v[0]), u = Sub(FileAxes(v[1]), a), w = Sub(a, origin);
        const double uu = Dot(u, u), ud = Dot(u, direction), dd = Dot(direction, direction);
        const double denominator = uu * dd - ud * ud;
        const double s = denominator > 0 ? std::clamp((ud * Dot(direction, w) - dd * Dot(u, w)) / denominator, 0.0, 1.0)
                                         : 0.0;
        point = Add(a, Scale(u, s));
        return true;
    }
    point = FileAxes(v[0]);
    return true;
}

Measurement Measure(const FilePoint& from, const FilePoint& to) {
    Measurement m;
    const double dx = to[0] - from[0], dy = to[1] - from[1];
    m.dz = to[2] - from[2];
    m.horizontalDistance = std::hypot(dx, dy);
    m.slopeDistance = std::hypot(m.horizontalDistance, m.dz);
    if (m.horizontalDistance > 0) {
        m.azimuth = std::atan2(dx, dy) * kRadiansToDegrees;
        if (m.azimuth < 0) m.azimuth += 360.0;
    }
    if (m.slopeDistance > 0) m.dip = std::atan2(-m.dz, m.horizontalDistance) * kRadiansToDegrees;
    return m;
}

}  // namespace talan
