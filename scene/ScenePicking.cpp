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
    bool Keeps(const FilePoint& p) const { return Keeps(p[static_cast<size_t>(std::max(axis, 0))], p[static_cast<size_t>(std::max(axis, 0))]); }
};

// A pick's place on one element: the point, how far it lies from the drawn point,
// and, where it is what the pixel shows (met by the ray, or a segment or point
// within reach of it, near enough the drawn point), how far along the ray.
struct Candidate {
    double distance = std::numeric_limits<double>::infinity();
    FilePoint point{};
    bool direct = false;
    double along = 0;
};

FilePoint Along(const PickQuery& q, double t) { return Add(q.origin, Scale(q.direction, t)); }

double ParameterOf(const PickQuery& q, const FilePoint& p) {
    return Dot(Sub(p, q.origin), q.direction) / Dot(q.direction, q.direction);
}

// A point that the ray meets, direct when it lies within the depth buffer's reach of
// the drawn point.
Candidate Met(const PickQuery& q, const FilePoint& point) {
    const double distance = Length(Sub(point, q.drawn));
    return {distance, point, distance <= q.depthTolerance, ParameterOf(q, point)};
}

// A point of a line or a point set, `width` pixels across as drawn: direct when the ray
// passes within half that of it, near the drawn point.
Candidate Near(const PickQuery& q, const FilePoint& point, double distance, double width) {
    const FilePoint onRay = Along(q, ParameterOf(q, point));
    const bool direct = Length(Sub(point, onRay)) <= width / 2 * q.pixelSize &&
                        Length(Sub(onRay, q.drawn)) <= q.depthTolerance;
    return {distance, point, direct, ParameterOf(q, point)};
}

// The part of segment ab that lies within the slab; false when none does.
bool ClipToSlab(const Slab& slab, FilePoint& a, FilePoint& b) {
    if (slab.axis < 0) return true;
    const auto axis = static_cast<size_t>(slab.axis);
    const double from = a[axis], to = b[axis];
    if (from == to) return slab.Keeps(a);
    const double s0 = std::clamp((slab.low - from) / (to - from), 0.0, 1.0);
    const double s1 = std::clamp((slab.high - from) / (to - from), 0.0, 1.0);
    const FilePoint d = Sub(b, a), start = a;
    a = Add(start, Scale(d, std::min(s0, s1)));
    b = Add(start, Scale(d, std::max(s0, s1)));
    return slab.Keeps(a) || slab.Keeps(b);
}

// Where the ray meets triangle abc, as the parameter along it; barycentric
// coordinates may stray a little past the edges, which rounding puts pixels on.
bool RayMeetsTriangle(const PickQuery& q, const FilePoint& a, const FilePoint& b, const FilePoint& c, double& t) {
    constexpr double kEdgeSlack = 1e-6;
    const FilePoint e1 = Sub(b, a), e2 = Sub(c, a);
    const FilePoint p = Cross(q.direction, e2);
    const double determinant = Dot(e1, p);
    if (determinant == 0) return false;
    const FilePoint s = Sub(q.origin, a);
    const double u = Dot(s, p) / determinant;
    const FilePoint r = Cross(s, e1);
    const double v = Dot(q.direction, r) / determinant;
    if (u < -kEdgeSlack || v < -kEdgeSlack || u + v > 1 + kEdgeSlack) return false;
    t = Dot(e2, r) / determinant;
    return t >= 0;
}

Candidate OnTriangle(const PickQuery& q, const Slab& slab, const FilePoint& a, const FilePoint& b, const FilePoint& c) {
    double t = 0;
    if (RayMeetsTriangle(q, a, b, c, t) && slab.Keeps(Along(q, t))) return Met(q, Along(q, t));
    // Missed, as the edges of a wireframe triangle are: by its distance only.
    return {Length(Sub(q.drawn, ClosestOnTriangle(q.drawn, a, b, c))), q.drawn};
}

// The point of segment ab nearest the ray.
FilePoint NearestTheRay(const PickQuery& q, const FilePoint& a, const FilePoint& b) {
    const FilePoint u = Sub(b, a), w = Sub(a, q.origin);
    const double uu = Dot(u, u), ud = Dot(u, q.direction), dd = Dot(q.direction, q.direction);
    const double denominator = uu * dd - ud * ud;
    const double s =
        denominator > 0 ? std::clamp((ud * Dot(q.direction, w) - dd * Dot(u, w)) / denominator, 0.0, 1.0) : 0.0;
    return Add(a, Scale(u, s));
}

// Where the ray enters the box, or, where the slab cuts that side away, leaves it
// (a cut box is open and shows its far sides).
Candidate OnBox(const PickQuery& q, const Slab& slab, const BlockRecord& block) {
    double enter = -std::numeric_limits<double>::infinity(), leave = std::numeric_limits<double>::infinity();
    bool met = true;
    for (int i = 0; i < 3 && met; ++i) {
        const double lo = std::min(block.low[i], block.high[i]), hi = std::max(block.low[i], block.high[i]);
        if (q.direction[i] == 0) {
            met = q.origin[i] >= lo && q.origin[i] <= hi;
            continue;
        }
        double t0 = (lo - q.origin[i]) / q.direction[i], t1 = (hi - q.origin[i]) / q.direction[i];
        if (t0 > t1) std::swap(t0, t1);
        enter = std::max(enter, t0);
        leave = std::min(leave, t1);
    }
    if (met && enter <= leave && leave >= 0) {
        for (double t : {std::max(enter, 0.0), leave}) {
            if (slab.Keeps(Along(q, t))) return Met(q, Along(q, t));
        }
    }
    return {DistanceToBoxSurface(q.drawn, block), q.drawn};
}

// The candidate of element e of a vertex object, or none when the slab cuts it away
// or it lies farther from the drawn point than `reach`.
Candidate OnElement(const SceneModel& scene, size_t k, int64_t e, const PickQuery& q, const Slab& slab, double reach) {
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
    if (slab.axis >= 0 && !slab.Keeps(lo[slab.axis], hi[slab.axis])) return {};
    if (DistanceToBounds(q.drawn, lo, hi) > reach) return {};
    constexpr double kLineWidth = 2, kPointWidth = 5;  // pixels, with a little to spare
    if (n == 3) return OnTriangle(q, slab, corners[0], corners[1], corners[2]);
    if (n == 2) {
        if (!ClipToSlab(slab, corners[0], corners[1])) return {};
        return Near(q, NearestTheRay(q, corners[0], corners[1]),
                    Length(Sub(q.drawn, ClosestOnSegment(q.drawn, corners[0], corners[1]))), kLineWidth);
    }
    return Near(q, corners[0], Length(Sub(q.drawn, corners[0])), kPointWidth);
}

// Whether `c` shows at the pixel rather than `best`: what the ray meets near the
// drawn point comes first, the nearest the eye among those; otherwise the element
// nearest the drawn point.
bool Better(const Candidate& c, const Candidate& best) {
    if (c.direct != best.direct) return c.direct;
    return c.direct ? c.along < best.along : c.distance < best.distance;
}

}  // namespace

ElementHit FindPickedElement(const SceneModel& scene, const PickQuery& query, const std::vector<bool>* skip) {
    const Slab slab{query.axis >= 0 && query.axis < 3 ? query.axis : -1, query.keepLow, query.keepHigh};
    ElementHit hit;
    Candidate best;
    const size_t objects = std::min(static_cast<size_t>(std::max(scene.objectCount, 0)), scene.firstVertex.size());
    for (size_t k = 0; k < objects; ++k) {
        if (!scene.objectVisible[k] || (skip != nullptr && k < skip->size() && (*skip)[k])) continue;
        const int64_t elements = scene.elementCounts[k];
        for (int64_t e = 0; e < elements; ++e) {
            // Beyond this an element can only win by its distance.
            const double tolerance = query.depthTolerance + query.pixelSize * 8;
            const double reach = best.direct ? tolerance : std::max(tolerance, best.distance);
            Candidate candidate;
            if (IsBlockModel(scene, k)) {
                const BlockRecord& block = scene.blockRecords[static_cast<size_t>(scene.firstStored[k] + e)];
                const FilePoint lo{std::min(block.low[0], block.high[0]), std::min(block.low[1], block.high[1]),
                                   std::min(block.low[2], block.high[2])};
                const FilePoint hi{std::max(block.low[0], block.high[0]), std::max(block.low[1], block.high[1]),
                                   std::max(block.low[2], block.high[2])};
                if (slab.Keeps(block.low[std::max(slab.axis, 0)], block.high[std::max(slab.axis, 0)]) &&
                    DistanceToBounds(query.drawn, lo, hi) <= reach) {
                    candidate = OnBox(query, slab, block);
                }
            } else {
                candidate = OnElement(scene, k, e, query, slab, reach);
            }
            if (candidate.distance <= reach && Better(candidate, best)) {
                best = candidate;
                hit = {static_cast<int32_t>(k), e, candidate.distance, candidate.point};
            }
        }
    }
    return hit;
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
