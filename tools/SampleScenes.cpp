#include "tools/SampleScenes.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <functional>
#include <numbers>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace talan::samples {

namespace {

constexpr double kPi = std::numbers::pi;
constexpr double kDegree = kPi / 180.0;

// The site: a 2 km square on a local grid.
constexpr double kSiteX0 = 1000.0;
constexpr double kSiteY0 = 2000.0;
constexpr double kSiteSize = 2000.0;

constexpr uint64_t kSeed = 0x7A1A3D5EEDull;

// ---------------------------------------------------------------------------------
// Random numbers and noise: our own generators, so the output does not depend on the
// standard library's distributions.

uint64_t Mix64(uint64_t z) {
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

class Random {
public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next() { return Mix64(state_ += 0x9E3779B97F4A7C15ull); }
    double Uniform() { return static_cast<double>(Next() >> 11) * 0x1.0p-53; }  // [0, 1)
    double Uniform(double lo, double hi) { return lo + (hi - lo) * Uniform(); }
    // Standard normal (Box-Muller; one value per call is plenty here).
    double Normal() {
        const double u1 = 1.0 - Uniform();  // (0, 1]
        const double u2 = Uniform();
        return std::sqrt(-2.0 * std::log(u1)) * std::cos(2.0 * kPi * u2);
    }

private:
    uint64_t state_;
};

// A value in [-1, 1] for each lattice point.
double LatticeValue(int64_t i, int64_t j, int64_t k, uint64_t seed) {
    uint64_t h = seed;
    h = Mix64(h ^ (static_cast<uint64_t>(i) * 0x9E3779B97F4A7C15ull));
    h = Mix64(h ^ (static_cast<uint64_t>(j) * 0xC2B2AE3D27D4EB4Full));
    h = Mix64(h ^ (static_cast<uint64_t>(k) * 0x165667B19E3779F9ull));
    return static_cast<double>(h >> 11) * 0x1.0p-52 - 1.0;
}

double Fade(double t) { return t * t * t * (t * (t * 6.0 - 15.0) + 10.0); }
double Lerp(double a, double b, double t) { return a + (b - a) * t; }

// Smooth value noise in [-1, 1].
double ValueNoise3(double x, double y, double z, uint64_t seed) {
    const double fx = std::floor(x), fy = std::floor(y), fz = std::floor(z);
    const auto i = static_cast<int64_t>(fx), j = static_cast<int64_t>(fy), k = static_cast<int64_t>(fz);
    const double u = Fade(x - fx), v = Fade(y - fy), w = Fade(z - fz);
    auto at = [&](int di, int dj, int dk) { return LatticeValue(i + di, j + dj, k + dk, seed); };
    const double x00 = Lerp(at(0, 0, 0), at(1, 0, 0), u);
    const double x10 = Lerp(at(0, 1, 0), at(1, 1, 0), u);
    const double x01 = Lerp(at(0, 0, 1), at(1, 0, 1), u);
    const double x11 = Lerp(at(0, 1, 1), at(1, 1, 1), u);
    return Lerp(Lerp(x00, x10, v), Lerp(x01, x11, v), w);
}

double ValueNoise2(double x, double y, uint64_t seed) {
    const double fx = std::floor(x), fy = std::floor(y);
    const auto i = static_cast<int64_t>(fx), j = static_cast<int64_t>(fy);
    const double u = Fade(x - fx), v = Fade(y - fy);
    const double a = Lerp(LatticeValue(i, j, 0, seed), LatticeValue(i + 1, j, 0, seed), u);
    const double b = Lerp(LatticeValue(i, j + 1, 0, seed), LatticeValue(i + 1, j + 1, 0, seed), u);
    return Lerp(a, b, v);
}

// Fractal sum of octaves, scaled back to about [-1, 1].
double Fractal2(double x, double y, uint64_t seed, int octaves) {
    double sum = 0, amplitude = 1, total = 0, frequency = 1;
    for (int o = 0; o < octaves; ++o) {
        sum += amplitude * ValueNoise2(x * frequency, y * frequency, seed + static_cast<uint64_t>(o) * 7919u);
        total += amplitude;
        amplitude *= 0.5;
        frequency *= 2.03;
    }
    return sum / total;
}

// ---------------------------------------------------------------------------------
// Colours.

struct ColourStop {
    double value;
    int r, g, b;
};

uint32_t Ramp(const ColourStop* stops, size_t count, double value, int shade = 0) {
    size_t k = 0;
    while (k + 1 < count && value > stops[k + 1].value) ++k;
    double t = 0;
    const ColourStop& a = stops[k];
    const ColourStop& b = stops[std::min(k + 1, count - 1)];
    if (b.value > a.value) t = std::clamp((value - a.value) / (b.value - a.value), 0.0, 1.0);
    auto channel = [&](int ca, int cb) {
        return std::clamp(static_cast<int>(std::lround(ca + (cb - ca) * t)) + shade, 0, 255);
    };
    return Rgb(channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b));
}

// Hypsometric tints: rock grey at the pit floor, greens in the valleys, tan and brown
// on the slopes, pale on the highest hills.
uint32_t ElevationColour(double z, int shade) {
    static constexpr ColourStop kStops[] = {
        {240, 96, 92, 88},    {330, 138, 112, 84},  {395, 66, 118, 52},   {440, 104, 146, 66},
        {490, 168, 158, 96},  {540, 148, 118, 86},  {590, 226, 224, 218},
    };
    return Ramp(kStops, std::size(kStops), z, shade);
}

// Bare rock in the pit, darker at depth.
uint32_t RockColour(double z, int shade) {
    static constexpr ColourStop kStops[] = {{250, 104, 98, 92}, {400, 150, 136, 118}, {560, 182, 170, 152}};
    return Ramp(kStops, std::size(kStops), z, shade);
}

// Grade ramp of the block model, g/t.
uint32_t GradeColour(double grade) {
    static constexpr ColourStop kStops[] = {
        {0.0, 50, 70, 200},  {0.5, 0, 160, 230},  {1.0, 40, 180, 70},   {2.0, 240, 220, 40},
        {3.0, 245, 140, 30}, {4.0, 220, 30, 30},  {5.5, 150, 0, 110},
    };
    return Ramp(kStops, std::size(kStops), grade);
}

// Assay legend of the drill holes: one colour per class, as on a strip log.
uint32_t AssayColour(double assay) {
    if (assay < 0.1) return Rgb(140, 140, 140);
    if (assay < 0.5) return Rgb(60, 90, 230);
    if (assay < 1.0) return Rgb(40, 180, 70);
    if (assay < 2.0) return Rgb(240, 220, 40);
    if (assay < 4.0) return Rgb(245, 140, 30);
    return Rgb(220, 30, 30);
}

// ---------------------------------------------------------------------------------
// Geometry helpers.

Point3 Sub(const Point3& a, const Point3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Point3 Cross(const Point3& a, const Point3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double Dot(const Point3& a, const Point3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

bool SameWhenWritten(const Point3& a, const Point3& b) {
    return QuantiseCoordinate(a.x) == QuantiseCoordinate(b.x) && QuantiseCoordinate(a.y) == QuantiseCoordinate(b.y) &&
           QuantiseCoordinate(a.z) == QuantiseCoordinate(b.z);
}

using Triangle = std::array<Point3, 3>;

// Triangles oriented for the viewer, which takes the cross product of the two edges
// from the first corner in its (x, elevation, y) axes: in file axes its normal is
// the opposite of (b − a) × (c − a). A surface seen from above therefore lists its
// corners clockwise in plan.
struct TriangleList {
    std::vector<Triangle> triangles;

    // Adds the triangle so that its normal in the viewer points along `facing`.
    // Triangles that collapse when written (two corners at the same rounded point)
    // are left out.
    void Add(const Point3& a, const Point3& b, const Point3& c, const Point3& facing) {
        if (SameWhenWritten(a, b) || SameWhenWritten(b, c) || SameWhenWritten(a, c)) return;
        const Point3 n = Cross(Sub(b, a), Sub(c, a));
        if (Dot(n, n) < 1e-8) return;
        if (Dot(n, facing) > 0) {
            triangles.push_back({a, c, b});
        } else {
            triangles.push_back({a, b, c});
        }
    }
};

struct Segment {
    Point3 a, b;
};

// ---------------------------------------------------------------------------------
// The mine site: natural ground, the pit, the ore lens and its grade.

struct Hill {
    double cx, cy, height, sigmaAlong, sigmaAcross, angle;
};

class MineSite {
public:
    MineSite() {
        Random random(kSeed);
        for (int h = 0; h < 7; ++h) {
            Hill hill{};
            hill.cx = random.Uniform(kSiteX0 + 100, kSiteX0 + kSiteSize - 100);
            hill.cy = random.Uniform(kSiteY0 + 450, kSiteY0 + kSiteSize - 50);
            hill.height = random.Uniform(30, 105);
            hill.sigmaAlong = random.Uniform(150, 330);
            hill.sigmaAcross = random.Uniform(90, 200);
            hill.angle = random.Uniform(0, kPi);
            hills_.push_back(hill);
        }
        noiseSeed_ = random.Next();
        gradeSeed_ = random.Next();
        lensSeed_ = random.Next();
    }

    // Natural ground before mining: a tilted plain with hills, a winding valley in the
    // south and some roughness.
    double Natural(double x, double y) const {
        double z = 412.0 + 0.028 * (x - kSiteX0) - 0.010 * (y - kSiteY0);
        for (const Hill& h : hills_) {
            const double dx = x - h.cx, dy = y - h.cy;
            const double a = dx * std::cos(h.angle) + dy * std::sin(h.angle);
            const double b = -dx * std::sin(h.angle) + dy * std::cos(h.angle);
            z += h.height * std::exp(-0.5 * ((a / h.sigmaAlong) * (a / h.sigmaAlong) +
                                             (b / h.sigmaAcross) * (b / h.sigmaAcross)));
        }
        z += 11.0 * Fractal2(x / 330.0, y / 330.0, noiseSeed_, 5);
        const double valleyY = kSiteY0 + 320.0 + 110.0 * std::sin((x - kSiteX0) / 280.0);
        const double across = (y - valleyY) / 70.0;
        z -= 42.0 * std::exp(-0.5 * across * across);
        // Keep the highest tops below 600 without flattening them.
        if (z > 560.0) z = 560.0 + 38.0 * std::tanh((z - 560.0) / 38.0);
        return z;
    }

    // --- the pit: a stadium-shaped floor with benches around it ---

    // Horizontal distance from the pit's axis (a segment along its long side).
    double PitDistance(double x, double y) const {
        double u, v;
        ToPit(x, y, u, v);
        const double cu = std::clamp(u, -kPitHalfLength, kPitHalfLength);
        return std::hypot(u - cu, v);
    }

    // Elevation of the pit wall at distance d from the axis: flat floor, then benches
    // of a steep face and a flat berm.
    double PitProfile(double d) const {
        if (d <= kFloorRadius) return kFloorZ;
        const double t = d - kFloorRadius;
        const double bench = std::floor(t / BenchRun());
        const double r = t - bench * BenchRun();
        const double base = kFloorZ + bench * kBenchHeight;
        if (r < FaceRun()) return base + kBenchHeight * r / FaceRun();
        return base + kBenchHeight;
    }

    // Ground after mining: the natural ground with the pit dug into it.
    double Surface(double x, double y) const { return std::min(Natural(x, y), PitProfile(PitDistance(x, y))); }

    // Points of the offset curve at distance d from the axis, parametrised so that one
    // parameter value k moves straight outward as d grows: k in [0, RingSize()) runs
    // counter-clockwise along one long side, the far end, the other side, the near end.
    int RingSides() const { return ringSides_; }
    int RingCaps() const { return ringCaps_; }
    int RingSize() const { return 2 * ringSides_ + 2 * ringCaps_; }
    void SetRingResolution(int sides, int caps) {
        ringSides_ = sides;
        ringCaps_ = caps;
    }
    void RingPoint(double k, double d, double& x, double& y) const {
        const double sides = ringSides_, caps = ringCaps_;
        k = std::fmod(k, RingSize());
        if (k < 0) k += RingSize();
        double u, v;
        if (k < sides) {
            u = -kPitHalfLength + 2 * kPitHalfLength * k / sides;
            v = -d;
        } else if (k < sides + caps) {
            const double a = -kPi / 2 + kPi * (k - sides) / caps;
            u = kPitHalfLength + d * std::cos(a);
            v = d * std::sin(a);
        } else if (k < 2 * sides + caps) {
            u = kPitHalfLength - 2 * kPitHalfLength * (k - sides - caps) / sides;
            v = d;
        } else {
            const double a = kPi / 2 + kPi * (k - 2 * sides - caps) / caps;
            u = -kPitHalfLength + d * std::cos(a);
            v = d * std::sin(a);
        }
        FromPit(u, v, x, y);
    }

    double FloorZ() const { return kFloorZ; }
    double FloorRadius() const { return kFloorRadius; }
    double BenchHeight() const { return kBenchHeight; }
    double FaceRun() const { return kBenchHeight / std::tan(65.0 * kDegree); }
    double BermWidth() const { return kBermWidth; }
    double BenchRun() const { return FaceRun() + kBermWidth; }

    // --- the ore lens: a dipping, slightly irregular ellipsoid ---

    Point3 LensCentre() const { return {kLensX, kLensY, kLensZ}; }
    double LensHalfLength() const { return kLensA; }
    double LensHalfWidth() const { return kLensB; }
    double LensHalfThickness() const { return kLensC; }

    // Lens frame (u along strike, v across, w through the lens) to site coordinates.
    Point3 LensToWorld(double u, double v, double w) const {
        const double cd = std::cos(kLensDip), sd = std::sin(kLensDip);
        const double v2 = v * cd - w * sd;
        const double w2 = v * sd + w * cd;
        const double cs = std::cos(kLensStrike), ss = std::sin(kLensStrike);
        return {kLensX + u * cs - v2 * ss, kLensY + u * ss + v2 * cs, kLensZ + w2};
    }

    // Ellipsoidal radius of a point in the lens frame: 1 on the lens's mean surface.
    double LensRadius(double x, double y, double z) const {
        const double dx = x - kLensX, dy = y - kLensY, dz = z - kLensZ;
        const double cs = std::cos(kLensStrike), ss = std::sin(kLensStrike);
        const double u = dx * cs + dy * ss;
        const double v2 = -dx * ss + dy * cs;
        const double cd = std::cos(kLensDip), sd = std::sin(kLensDip);
        const double v = v2 * cd + dz * sd;
        const double w = -v2 * sd + dz * cd;
        return std::sqrt((u / kLensA) * (u / kLensA) + (v / kLensB) * (v / kLensB) + (w / kLensC) * (w / kLensC));
    }

    // Irregularity of the lens surface along a unit direction.
    double LensBulge(double dx, double dy, double dz) const {
        return 1.0 + 0.13 * ValueNoise3(2.3 * dx + 5.0, 2.3 * dy + 5.0, 2.3 * dz + 5.0, lensSeed_);
    }

    // Gold grade, g/t: high in the lens, fading outwards, with local variability.
    double Grade(double x, double y, double z) const {
        const double s = LensRadius(x, y, z);
        if (s > 2.6) return 0.0;
        const double base = 3.3 * std::exp(-0.8 * s * s);
        return base * std::exp(0.5 * ValueNoise3(x / 45.0, y / 45.0, z / 18.0, gradeSeed_));
    }

    uint64_t Seed() const { return kSeed; }

private:
    static constexpr double kPitX = 1985.0, kPitY = 3040.0, kPitAxis = 32.0 * kDegree;
    static constexpr double kPitHalfLength = 115.0, kFloorRadius = 35.0, kFloorZ = 250.0;
    static constexpr double kBenchHeight = 15.0, kBermWidth = 8.0;

    static constexpr double kLensX = 1995.0, kLensY = 3050.0, kLensZ = 212.0;
    static constexpr double kLensStrike = 40.0 * kDegree, kLensDip = 25.0 * kDegree;
    static constexpr double kLensA = 250.0, kLensB = 85.0, kLensC = 26.0;

    void ToPit(double x, double y, double& u, double& v) const {
        const double dx = x - kPitX, dy = y - kPitY;
        u = dx * std::cos(kPitAxis) + dy * std::sin(kPitAxis);
        v = -dx * std::sin(kPitAxis) + dy * std::cos(kPitAxis);
    }
    void FromPit(double u, double v, double& x, double& y) const {
        x = kPitX + u * std::cos(kPitAxis) - v * std::sin(kPitAxis);
        y = kPitY + u * std::sin(kPitAxis) + v * std::cos(kPitAxis);
    }

    std::vector<Hill> hills_;
    uint64_t noiseSeed_ = 0;
    uint64_t gradeSeed_ = 0;
    uint64_t lensSeed_ = 0;
    int ringSides_ = 8;
    int ringCaps_ = 24;
};

// ---------------------------------------------------------------------------------
// A regular grid of ground heights.

class TerrainGrid {
public:
    TerrainGrid(int cells, const std::function<double(double, double)>& height) : n_(cells) {
        if (cells < 1) throw std::invalid_argument("grid needs at least one cell");
        z_.resize(static_cast<size_t>(n_ + 1) * static_cast<size_t>(n_ + 1));
        for (int j = 0; j <= n_; ++j) {
            for (int i = 0; i <= n_; ++i) z_[Index(i, j)] = height(X(i), Y(j));
        }
    }

    int Cells() const { return n_; }
    double CellSize() const { return kSiteSize / n_; }
    double X(int i) const { return kSiteX0 + kSiteSize * i / n_; }
    double Y(int j) const { return kSiteY0 + kSiteSize * j / n_; }
    size_t NodeCount() const { return static_cast<size_t>(n_ + 1) * static_cast<size_t>(n_ + 1); }
    size_t Index(int i, int j) const { return static_cast<size_t>(j) * static_cast<size_t>(n_ + 1) + static_cast<size_t>(i); }
    Point3 Node(int i, int j) const { return {X(i), Y(j), z_[Index(i, j)]}; }
    double Height(int i, int j) const { return z_[Index(i, j)]; }

    // Marks the nodes that lie in dug ground, which is coloured as rock.
    void MarkExcavated(const std::function<bool(double, double, double)>& excavated) {
        excavated_.assign(NodeCount(), 0);
        for (int j = 0; j <= n_; ++j) {
            for (int i = 0; i <= n_; ++i) excavated_[Index(i, j)] = excavated(X(i), Y(j), Height(i, j));
        }
    }
    bool Excavated(int i, int j) const { return !excavated_.empty() && excavated_[Index(i, j)] != 0; }

    // The two triangles of cell (i, j), split along the diagonal from its low corner,
    // each listed clockwise in plan so that the viewer lights it from above.
    std::array<std::pair<int, int>, 3> CellTriangle(int i, int j, int t) const {
        if (t == 0) return {{{i, j}, {i + 1, j + 1}, {i + 1, j}}};
        return {{{i, j}, {i, j + 1}, {i + 1, j + 1}}};
    }

    // Height of the triangulated surface at (x, y), clamped to the grid.
    double Interpolate(double x, double y) const {
        const double gx = std::clamp((x - kSiteX0) / CellSize(), 0.0, static_cast<double>(n_));
        const double gy = std::clamp((y - kSiteY0) / CellSize(), 0.0, static_cast<double>(n_));
        const int i = std::min(static_cast<int>(gx), n_ - 1);
        const int j = std::min(static_cast<int>(gy), n_ - 1);
        const double fx = gx - i, fy = gy - j;
        const double h00 = Height(i, j), h10 = Height(i + 1, j), h01 = Height(i, j + 1), h11 = Height(i + 1, j + 1);
        if (fx >= fy) return h00 + fx * (h10 - h00) + fy * (h11 - h10);
        return h00 + fy * (h01 - h00) + fx * (h11 - h01);
    }

private:
    int n_;
    std::vector<double> z_;
    std::vector<unsigned char> excavated_;
};

// Colour of one topography triangle: its mean elevation, with a faint per-triangle
// shade so that flat ground does not look like plastic.
uint32_t TopographyColour(const TerrainGrid& grid, const std::array<std::pair<int, int>, 3>& corners, int i, int j,
                          int t) {
    double z = 0;
    int dug = 0;
    for (const auto& c : corners) {
        z += grid.Height(c.first, c.second);
        dug += grid.Excavated(c.first, c.second);
    }
    const uint64_t h = Mix64(static_cast<uint64_t>(i) * 0x9E3779B97F4A7C15ull ^ static_cast<uint64_t>(j) * 0xD1B54A32D192ED03ull ^
                             static_cast<uint64_t>(t));
    const int shade = static_cast<int>(h % 11) - 5;
    return dug >= 2 ? RockColour(z / 3.0, shade) : ElevationColour(z / 3.0, shade);
}

// The topography as triangles over shared vertices, each triangle with its colour.
struct Topography {
    std::vector<Point3> vertices;
    std::vector<std::array<uint32_t, 3>> faces;
    std::vector<uint32_t> colours;

    Triangle Corners(size_t f) const {
        return {vertices[faces[f][0]], vertices[faces[f][1]], vertices[faces[f][2]]};
    }
};

// Triangulates the grid, two triangles per cell. With a pit, the triangles are cut
// along the pit's crest: what lies over the pit is left out, so that the pit shell
// shows, and the edge of the cut follows the crest instead of the grid's cells.
Topography BuildTopography(const TerrainGrid& grid, const MineSite* pit) {
    const int n = grid.Cells();
    Topography topo;
    std::vector<uint32_t> nodeVertex(grid.NodeCount(), UINT32_MAX);
    std::unordered_map<uint64_t, uint32_t> edgeVertex;
    std::vector<unsigned char> inside(grid.NodeCount(), 0);
    // Pit wall minus ground: negative where the pit is dug below the ground.
    auto overPit = [&](double x, double y, double z) { return pit->PitProfile(pit->PitDistance(x, y)) - z; };
    if (pit != nullptr) {
        for (int j = 0; j <= n; ++j) {
            for (int i = 0; i <= n; ++i) inside[grid.Index(i, j)] = overPit(grid.X(i), grid.Y(j), grid.Height(i, j)) < 0;
        }
    }
    auto nodeIndex = [&](std::pair<int, int> c) {
        uint32_t& slot = nodeVertex[grid.Index(c.first, c.second)];
        if (slot == UINT32_MAX) {
            slot = static_cast<uint32_t>(topo.vertices.size());
            topo.vertices.push_back(grid.Node(c.first, c.second));
        }
        return slot;
    };
    // The crest point on the edge between two nodes, one over the pit and one not. It
    // is found from the lower-numbered node, so the two triangles that share the edge
    // share the point.
    auto crestIndex = [&](std::pair<int, int> a, std::pair<int, int> b) {
        size_t ia = grid.Index(a.first, a.second), ib = grid.Index(b.first, b.second);
        if (ia > ib) {
            std::swap(a, b);
            std::swap(ia, ib);
        }
        const uint64_t key = static_cast<uint64_t>(ia) * grid.NodeCount() + ib;
        const auto found = edgeVertex.find(key);
        if (found != edgeVertex.end()) return found->second;
        const Point3 pa = grid.Node(a.first, a.second), pb = grid.Node(b.first, b.second);
        auto at = [&](double t) {
            return Point3{pa.x + t * (pb.x - pa.x), pa.y + t * (pb.y - pa.y), pa.z + t * (pb.z - pa.z)};
        };
        const bool startInside = inside[ia] != 0;
        double lo = 0, hi = 1;
        for (int it = 0; it < 40; ++it) {
            const double mid = 0.5 * (lo + hi);
            const Point3 p = at(mid);
            ((overPit(p.x, p.y, p.z) < 0) == startInside ? lo : hi) = mid;
        }
        const auto index = static_cast<uint32_t>(topo.vertices.size());
        topo.vertices.push_back(at(0.5 * (lo + hi)));
        edgeVertex.emplace(key, index);
        return index;
    };
    auto addFace = [&](uint32_t a, uint32_t b, uint32_t c, uint32_t colour) {
        const Point3 &pa = topo.vertices[a], &pb = topo.vertices[b], &pc = topo.vertices[c];
        if (SameWhenWritten(pa, pb) || SameWhenWritten(pb, pc) || SameWhenWritten(pa, pc)) return;
        topo.faces.push_back({a, b, c});
        topo.colours.push_back(colour);
    };

    topo.faces.reserve(2 * static_cast<size_t>(n) * static_cast<size_t>(n));
    topo.colours.reserve(topo.faces.capacity());
    for (int j = 0; j < n; ++j) {
        for (int i = 0; i < n; ++i) {
            for (int t = 0; t < 2; ++t) {
                const auto c = grid.CellTriangle(i, j, t);
                const uint32_t colour = TopographyColour(grid, c, i, j, t);
                int over = 0;
                for (const auto& corner : c) over += inside[grid.Index(corner.first, corner.second)];
                if (over == 0) {
                    addFace(nodeIndex(c[0]), nodeIndex(c[1]), nodeIndex(c[2]), colour);
                    continue;
                }
                if (over == 3) continue;
                // Keep the part off the pit, corners in the same turning order.
                uint32_t polygon[4];
                int count = 0;
                for (int k = 0; k < 3; ++k) {
                    const auto& a = c[k];
                    const auto& b = c[(k + 1) % 3];
                    const bool aIn = inside[grid.Index(a.first, a.second)] != 0;
                    const bool bIn = inside[grid.Index(b.first, b.second)] != 0;
                    if (!aIn) polygon[count++] = nodeIndex(a);
                    if (aIn != bIn) polygon[count++] = crestIndex(a, b);
                }
                addFace(polygon[0], polygon[1], polygon[2], colour);
                if (count == 4) addFace(polygon[0], polygon[2], polygon[3], colour);
            }
        }
    }
    return topo;
}

// Writes the topography as one T3 section with a colour per triangle and, when asked,
// as a mesh of shared vertices.
void WriteTopography(SceneText& out, const Topography& topo, std::string_view name, IndexedMesh* mesh) {
    out.Reserve(out.Body().size() + topo.faces.size() * 92 + 4096);
    out.BeginTriangleSurface(name, static_cast<int64_t>(topo.faces.size()));
    for (size_t f = 0; f < topo.faces.size(); ++f) {
        const Triangle t = topo.Corners(f);
        out.AddTriangle(t[0], t[1], t[2], topo.colours[f]);
    }
    out.EndSection();
    if (mesh != nullptr) {
        mesh->vertices = topo.vertices;
        mesh->faces = topo.faces;
    }
}

// ---------------------------------------------------------------------------------
// The pit shell, ring by ring.

struct PitShell {
    TriangleList surface;
    std::vector<Point3> crest;  // one crest point per ring position, on the ground
};

// The pit shell from the floor up past the crest. Beyond the crest it runs on a metre
// below the ground for a few metres, so that no gap opens between it and the cut
// edge of the topography.
PitShell BuildPitShell(const MineSite& site, const TerrainGrid& ground) {
    constexpr double kApron = 12.0;
    const int ring = site.RingSize();
    PitShell shell;
    // Crest: the outermost point along each ring position where the wall is still
    // below the ground (the ground may rise above a berm and fall back behind it).
    std::vector<double> crestDistance(static_cast<size_t>(ring));
    double widest = 0;
    for (int k = 0; k < ring; ++k) {
        double crest = site.FloorRadius();
        double x = 0, y = 0;
        for (double d = site.FloorRadius(); d < 1500.0; d += 0.25) {
            site.RingPoint(k, d, x, y);
            const double wall = site.PitProfile(d);
            if (wall < ground.Interpolate(x, y)) crest = d + 0.25;
            if (wall > 700.0) break;
        }
        crestDistance[static_cast<size_t>(k)] = crest;
        widest = std::max(widest, crest);
        site.RingPoint(k, crest, x, y);
        shell.crest.push_back({x, y, ground.Interpolate(x, y)});
    }

    // Rings: the axis, the floor's edge, then the toe and crest of every bench.
    std::vector<double> rings = {0.0, site.FloorRadius()};
    for (double d = site.FloorRadius(); d < widest + kApron;) {
        d += site.FaceRun();
        rings.push_back(d);
        d += site.BermWidth();
        rings.push_back(d);
    }

    auto vertex = [&](int k, size_t r) {
        const int kk = k % ring;
        const double d = std::min(rings[r], crestDistance[static_cast<size_t>(kk)] + kApron);
        Point3 p;
        site.RingPoint(kk, d, p.x, p.y);
        p.z = std::min(site.PitProfile(d), ground.Interpolate(p.x, p.y) - 1.0);
        return p;
    };
    const Point3 up{0, 0, 1};
    for (size_t r = 0; r + 1 < rings.size(); ++r) {
        for (int k = 0; k < ring; ++k) {
            const Point3 a = vertex(k, r), b = vertex(k + 1, r), c = vertex(k + 1, r + 1), d = vertex(k, r + 1);
            shell.surface.Add(a, b, c, up);
            shell.surface.Add(a, c, d, up);
        }
    }
    return shell;
}

// ---------------------------------------------------------------------------------
// The ore lens: a closed surface of latitude and longitude bands.

TriangleList BuildOreLens(const MineSite& site, int bands, int sectors) {
    auto vertex = [&](int i, int j) {
        const double theta = kPi * i / bands;
        const double phi = 2 * kPi * (j % sectors) / sectors;
        // At the poles every sector meets in one point.
        const double s = (i == 0 || i == bands) ? 0.0 : std::sin(theta);
        const double dx = s * std::cos(phi), dy = s * std::sin(phi), dz = std::cos(theta);
        const double bulge = site.LensBulge(dx, dy, dz);
        return site.LensToWorld(site.LensHalfLength() * dx * bulge, site.LensHalfWidth() * dy * bulge,
                                site.LensHalfThickness() * dz * bulge);
    };
    const Point3 centre = site.LensCentre();
    TriangleList lens;
    for (int i = 0; i < bands; ++i) {
        for (int j = 0; j < sectors; ++j) {
            const Point3 a = vertex(i, j), b = vertex(i + 1, j), c = vertex(i + 1, j + 1), d = vertex(i, j + 1);
            const Point3 mid{(a.x + b.x + c.x + d.x) / 4, (a.y + b.y + c.y + d.y) / 4, (a.z + b.z + c.z + d.z) / 4};
            const Point3 out = Sub(mid, centre);
            lens.Add(a, b, c, out);
            lens.Add(a, c, d, out);
        }
    }
    return lens;
}

// ---------------------------------------------------------------------------------
// Contours of the topography, lifted half a metre so that they are drawn over the
// ground. `skipEvery` leaves out the levels that another set draws.

std::vector<Segment> ContourSegments(const Topography& topo, double interval, double skipEvery) {
    std::vector<Segment> segments;
    for (size_t f = 0; f < topo.faces.size(); ++f) {
        const Triangle p = topo.Corners(f);
        const double lo = std::min({p[0].z, p[1].z, p[2].z});
        const double hi = std::max({p[0].z, p[1].z, p[2].z});
        for (double level = std::ceil(lo / interval) * interval; level <= hi; level += interval) {
            if (skipEvery > 0 && std::fmod(level, skipEvery) == 0.0) continue;
            Point3 ends[2];
            int found = 0;
            for (int e = 0; e < 3 && found < 2; ++e) {
                const Point3& a = p[static_cast<size_t>(e)];
                const Point3& b = p[static_cast<size_t>((e + 1) % 3)];
                if ((a.z >= level) == (b.z >= level)) continue;
                const double s = (level - a.z) / (b.z - a.z);
                ends[found++] = {a.x + s * (b.x - a.x), a.y + s * (b.y - a.y), level + 0.5};
            }
            if (found == 2 && !SameWhenWritten(ends[0], ends[1])) segments.push_back({ends[0], ends[1]});
        }
    }
    return segments;
}

// ---------------------------------------------------------------------------------
// The haul road: from the pit floor up the walls at a steady grade across the faces
// and flat along the berms, out over the crest and on to the plant.

std::vector<Point3> HaulRoad(const MineSite& site, const TerrainGrid& topography) {
    constexpr double kStep = 8.0;     // metres of road per segment
    constexpr double kLift = 1.5;     // drawn above the ground
    constexpr double kFaceGrade = 0.10;
    constexpr double kBermRun = 30.0;  // road length to cross one berm
    std::vector<Point3> road;
    double k = site.RingSides() + site.RingCaps() * 0.5;  // start at the far end of the floor
    double d = site.FloorRadius() * 0.3;
    double x = 0, y = 0;
    site.RingPoint(k, d, x, y);
    road.push_back({x, y, site.PitProfile(d) + kLift});
    for (int step = 0; step < 20000; ++step) {
        double rate;  // outward distance per metre of road
        const double r = d - site.FloorRadius();
        if (r < 0 || std::fmod(r, site.BenchRun()) >= site.FaceRun()) {
            rate = site.BermWidth() / kBermRun;
        } else {
            rate = site.FaceRun() / (site.BenchHeight() / kFaceGrade);
        }
        double x1, y1;
        site.RingPoint(k + 0.01, d, x1, y1);
        const double speed = std::max(std::hypot(x1 - x, y1 - y) / 0.01, 0.5);
        k += kStep / speed;
        d += rate * kStep;
        site.RingPoint(k, d, x, y);
        const double ground = topography.Interpolate(x, y);
        const double wall = site.PitProfile(d);
        if (wall >= ground - 0.5) {
            road.push_back({x, y, ground + kLift});
            break;
        }
        road.push_back({x, y, wall + kLift});
    }
    // Out of the pit, straight away from it to the plant.
    double ox, oy;
    site.RingPoint(k, d + 1.0, ox, oy);
    const double dx = ox - x, dy = oy - y, len = std::hypot(dx, dy);
    for (int s = 1; s <= 36; ++s) {
        const double px = x + dx / len * 10.0 * s, py = y + dy / len * 10.0 * s;
        road.push_back({px, py, topography.Interpolate(px, py) + kLift});
    }
    return road;
}

// ---------------------------------------------------------------------------------
// Drill holes: aimed at the lens from the ground of the day, with a little deviation
// down the hole, sampled in fixed lengths.

struct Interval {
    Point3 from, to;
    uint32_t colour;
};

struct HoleCampaign {
    double dipMin, dipMax;   // degrees below horizontal
    double beyondMin, beyondMax;  // metres drilled past the target
    double sampleLength;     // metres per interval
};

std::vector<Interval> DrillHoles(const MineSite& site, int holes, uint64_t seed, const HoleCampaign& campaign,
                                 const std::function<double(double, double)>& ground) {
    Random random(seed);
    std::vector<Interval> intervals;
    auto direction = [](double dip, double azimuth) {
        return Point3{std::cos(dip * kDegree) * std::cos(azimuth * kDegree),
                      std::cos(dip * kDegree) * std::sin(azimuth * kDegree), -std::sin(dip * kDegree)};
    };
    for (int h = 0; h < holes; ++h) {
        // One draw per statement: the order in which a call's arguments are evaluated
        // is up to the compiler, and the output must not depend on it.
        const double along = random.Uniform(-0.85, 0.85) * site.LensHalfLength();
        const double across = random.Uniform(-0.7, 0.7) * site.LensHalfWidth();
        const Point3 target = site.LensToWorld(along, across, 0.0);
        const double dip = random.Uniform(campaign.dipMin, campaign.dipMax);
        const double azimuth = random.Uniform(0.0, 360.0);
        const double flattening = random.Uniform(0.005, 0.02);  // degrees per metre
        const double drift = random.Uniform(-0.02, 0.02);
        const Point3 dir = direction(dip, azimuth);
        auto at = [&](double s) { return Point3{target.x - s * dir.x, target.y - s * dir.y, target.z - s * dir.z}; };
        auto aboveGround = [&](double s) {
            const Point3 p = at(s);
            return p.z >= ground(p.x, p.y);
        };
        double s = 0;
        while (!aboveGround(s) && s < 2000) s += 2.0;
        double lo = std::max(0.0, s - 2.0), hi = s;
        for (int it = 0; it < 30; ++it) {
            const double mid = 0.5 * (lo + hi);
            (aboveGround(mid) ? hi : lo) = mid;
        }
        Point3 p = at(hi);
        p.z = ground(p.x, p.y);
        const double length = hi + random.Uniform(campaign.beyondMin, campaign.beyondMax);
        for (double depth = 0; depth < length - 1e-6;) {
            const double step = std::min(campaign.sampleLength, length - depth);
            const double middle = depth + step / 2;
            const Point3 dm = direction(dip - flattening * middle, azimuth + drift * middle);
            const Point3 q{p.x + dm.x * step, p.y + dm.y * step, p.z + dm.z * step};
            const double assay = site.Grade((p.x + q.x) / 2, (p.y + q.y) / 2, (p.z + q.z) / 2) *
                                 std::exp(0.3 * random.Normal());
            intervals.push_back({p, q, AssayColour(assay)});
            p = q;
            depth += step;
        }
    }
    return intervals;
}

// ---------------------------------------------------------------------------------
// Block models.

// Blocks around the lens that are still in the ground, sized so that about `wanted`
// of them reach the cut-off grade; the `wanted` richest are written.
void WriteOreBlocks(SceneText& out, const MineSite& site, int64_t wanted) {
    if (wanted <= 0) return;
    constexpr double kCutoff = 0.6;  // g/t
    const Point3 c = site.LensCentre();
    const double reachXY = site.LensHalfLength() + 80.0;
    const double reachZ = 110.0;
    struct Candidate {
        double grade;
        Point3 centre;
    };
    std::vector<Candidate> candidates;
    int size = 40;
    for (;;) {
        const int sz = std::max(1, size / 2);
        candidates.clear();
        const double x0 = std::floor((c.x - reachXY) / size) * size, y0 = std::floor((c.y - reachXY) / size) * size;
        const double z0 = std::floor((c.z - reachZ) / sz) * sz;
        const int nx = static_cast<int>(std::ceil(2 * reachXY / size)), nz = static_cast<int>(std::ceil(2 * reachZ / sz));
        for (int k = 0; k < nz; ++k) {
            for (int j = 0; j < nx; ++j) {
                for (int i = 0; i < nx; ++i) {
                    const Point3 p{x0 + (i + 0.5) * size, y0 + (j + 0.5) * size, z0 + (k + 0.5) * sz};
                    if (site.LensRadius(p.x, p.y, p.z) > 2.2) continue;
                    // Only blocks wholly in the ground: not mined out, not poking out of a wall.
                    const double top = p.z + 0.5 * sz, h = 0.5 * size;
                    if (top > site.Surface(p.x, p.y) || top > site.Surface(p.x - h, p.y - h) ||
                        top > site.Surface(p.x + h, p.y - h) || top > site.Surface(p.x - h, p.y + h) ||
                        top > site.Surface(p.x + h, p.y + h)) {
                        continue;
                    }
                    const double g = site.Grade(p.x, p.y, p.z);
                    if (g >= kCutoff) candidates.push_back({g, p});
                }
            }
        }
        const auto have = static_cast<double>(candidates.size());
        if (have >= 1.25 * static_cast<double>(wanted) || size == 1) break;
        const int next = static_cast<int>(std::floor(size * std::cbrt(have / (1.25 * static_cast<double>(wanted)))));
        size = std::clamp(next, 1, size - 1);
    }
    const int sz = std::max(1, size / 2);
    if (static_cast<int64_t>(candidates.size()) > wanted) {
        std::nth_element(candidates.begin(), candidates.begin() + wanted, candidates.end(),
                         [](const Candidate& a, const Candidate& b) { return a.grade > b.grade; });
        candidates.resize(static_cast<size_t>(wanted));
    }
    // Bench by bench from the bottom, row by row: the order a block model is listed in.
    std::sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        if (a.centre.z != b.centre.z) return a.centre.z < b.centre.z;
        if (a.centre.y != b.centre.y) return a.centre.y < b.centre.y;
        return a.centre.x < b.centre.x;
    });
    out.BeginBlocks(static_cast<int64_t>(candidates.size()), size, size, sz,
                    "Au grade model: blocks above 0.6 g/t, coloured by grade",
                    "x,y,z,colour (block centres)");
    for (const Candidate& b : candidates) out.AddBlock(b.centre, GradeColour(b.grade));
    out.EndSection();
}

// A full rectangular block model of exactly `count` blocks of 10 x 10 x 5 m around
// the lens, filled row by row and bench by bench from the bottom.
void WriteBlockBox(SceneText& out, const MineSite& site, int64_t count) {
    constexpr int kSx = 10, kSy = 10, kSz = 5;
    const int64_t layers = std::max<int64_t>(1, std::llround(std::cbrt(static_cast<double>(count)) / 2.5));
    const int64_t perLayer = std::max<int64_t>(1, (count + layers - 1) / layers);
    const auto nx = static_cast<int64_t>(std::ceil(std::sqrt(static_cast<double>(perLayer))));
    const int64_t ny = (perLayer + nx - 1) / nx;
    const Point3 c = site.LensCentre();
    const double x0 = std::floor((c.x - 0.5 * static_cast<double>(nx) * kSx) / kSx) * kSx;
    const double y0 = std::floor((c.y - 0.5 * static_cast<double>(ny) * kSy) / kSy) * kSy;
    const double z0 = std::floor((c.z - 0.5 * static_cast<double>(layers) * kSz) / kSz) * kSz;
    out.Reserve(out.Body().size() + static_cast<size_t>(count) * 32 + 256);
    out.BeginBlocks(count, kSx, kSy, kSz, "Au grade model: every block, coloured by g/t", "x,y,z,colour (block centres)");
    int64_t written = 0;
    for (int64_t k = 0; written < count; ++k) {
        for (int64_t j = 0; j < ny && written < count; ++j) {
            for (int64_t i = 0; i < nx && written < count; ++i, ++written) {
                const Point3 p{x0 + (static_cast<double>(i) + 0.5) * kSx, y0 + (static_cast<double>(j) + 0.5) * kSy,
                               z0 + (static_cast<double>(k) + 0.5) * kSz};
                out.AddBlock(p, GradeColour(site.Grade(p.x, p.y, p.z)));
            }
        }
    }
    out.EndSection();
}

// ---------------------------------------------------------------------------------
// Small writers shared by the scenes.

void WriteSurface(SceneText& out, std::string_view name, uint32_t colour, const TriangleList& list) {
    out.BeginTriangleSurface(name, static_cast<int64_t>(list.triangles.size()), colour);
    for (const Triangle& t : list.triangles) out.AddTriangle(t[0], t[1], t[2]);
    out.EndSection();
}

void WritePolyline(SceneText& out, std::string_view name, uint32_t colour, const std::vector<Point3>& points,
                   bool closed) {
    if (points.size() < 2) return;
    const size_t segments = closed ? points.size() : points.size() - 1;
    out.BeginLines(name, static_cast<int64_t>(segments), colour);
    for (size_t s = 0; s < segments; ++s) out.AddSegment(points[s], points[(s + 1) % points.size()]);
    out.EndSection();
}

void WriteContours(SceneText& out, std::string_view name, uint32_t colour, const std::vector<Segment>& segments) {
    if (segments.empty()) return;
    out.BeginSurfaceLines(name, static_cast<int64_t>(segments.size()), colour);
    for (const Segment& s : segments) out.AddSegment(s.a, s.b);
    out.EndSection();
}

void WritePoints(SceneText& out, std::string_view name, uint32_t colour, const std::vector<Point3>& points) {
    if (points.empty()) return;
    out.BeginPoints(name, static_cast<int64_t>(points.size()), colour);
    for (const Point3& p : points) out.AddPoint(p);
    out.EndSection();
}

void WriteIntervals(SceneText& out, std::string_view name, const std::vector<Interval>& intervals) {
    if (intervals.empty()) return;
    out.BeginDrillHoles(name, static_cast<int64_t>(intervals.size()));
    for (const Interval& iv : intervals) out.AddInterval(iv.from, iv.to, iv.colour);
    out.EndSection();
}

std::vector<Point3> ScatterPoints(const MineSite& site, int count, uint64_t seed, double lift, double margin) {
    Random random(seed);
    std::vector<Point3> points;
    for (int p = 0; p < count; ++p) {
        const double x = random.Uniform(kSiteX0 + margin, kSiteX0 + kSiteSize - margin);
        const double y = random.Uniform(kSiteY0 + margin, kSiteY0 + kSiteSize - margin);
        points.push_back({x, y, site.Surface(x, y) + lift});
    }
    return points;
}

}  // namespace

// ---------------------------------------------------------------------------------
// The scenes.

void BuildOpenPitScene(SceneText& out, const OpenPitOptions& options, IndexedMesh* topographyMesh) {
    MineSite site;
    const int caps = std::max(24, options.grid / 3);
    site.SetRingResolution(std::max(8, caps / 3), caps);
    const TerrainGrid ground(options.grid, [&](double x, double y) { return site.Natural(x, y); });
    const Topography topography = BuildTopography(ground, &site);
    const PitShell shell = BuildPitShell(site, ground);

    WriteTopography(out, topography, "Topography", topographyMesh);
    WriteSurface(out, "Pit shell", Rgb(176, 150, 122), shell.surface);
    WriteSurface(out, "Ore lens", Rgb(232, 128, 36), BuildOreLens(site, 18, 48));
    WriteOreBlocks(out, site, options.blocks);

    const int exploration = (options.holes * 2 + 2) / 3;
    auto collarHeight = [&](double x, double y) { return site.Surface(x, y); };
    WriteIntervals(out, "DDH 2019 exploration",
                   DrillHoles(site, exploration, site.Seed() + 101, {55, 85, 30, 70, 3.0}, collarHeight));
    WriteIntervals(out, "RC 2023 infill",
                   DrillHoles(site, options.holes - exploration, site.Seed() + 202, {60, 90, 10, 40, 2.0}, collarHeight));

    WritePolyline(out, "Haul road", Rgb(250, 226, 60), HaulRoad(site, ground), false);
    std::vector<Point3> crest = shell.crest;
    for (Point3& p : crest) p.z += 0.6;
    WritePolyline(out, "Pit crest", Rgb(230, 40, 40), crest, true);

    WriteContours(out, "Contours 10 m", Rgb(122, 92, 62), ContourSegments(topography, 10.0, 50.0));
    WriteContours(out, "Contours 50 m", Rgb(62, 40, 22), ContourSegments(topography, 50.0, 0.0));

    WritePoints(out, "Survey control", Rgb(255, 0, 255), ScatterPoints(site, 16, site.Seed() + 303, 1.0, 150.0));
    WritePoints(out, "Topo pickup", Rgb(255, 255, 255), ScatterPoints(site, 300, site.Seed() + 404, 1.0, 20.0));
}

int64_t SurfaceSceneTriangles(int grid) { return 2 * static_cast<int64_t>(grid) * grid; }

void BuildSurfaceScene(SceneText& out, int grid, IndexedMesh* topographyMesh) {
    MineSite site;
    TerrainGrid ground(grid, [&](double x, double y) { return site.Surface(x, y); });
    ground.MarkExcavated([&](double x, double y, double z) { return z < site.Natural(x, y) - 0.5; });
    const Topography topography = BuildTopography(ground, nullptr);
    if (static_cast<int64_t>(topography.faces.size()) != SurfaceSceneTriangles(grid)) {
        throw std::runtime_error("grid too fine: some of its triangles collapse at centimetre precision");
    }
    WriteTopography(out, topography, "Topography", topographyMesh);
}

void BuildDrillHoleScene(SceneText& out, int holes, int intervalsPerHole) {
    MineSite site;
    Random random(site.Seed() + 303);
    // Collars on a grid over the site, one section per hole, as drill-hole databases
    // are exported: straight holes, 5 m intervals coloured by the grade they cross.
    const int perSide = std::max(1, static_cast<int>(std::ceil(std::sqrt(static_cast<double>(holes)))));
    const double spacing = (kSiteSize - 200.0) / perSide;
    for (int h = 0; h < holes; ++h) {
        const double x = kSiteX0 + 100 + spacing * (h % perSide + 0.5);
        const double y = kSiteY0 + 100 + spacing * (h / perSide + 0.5);
        const double dip = random.Uniform(60.0, 90.0) * kDegree;
        const double azimuth = random.Uniform(0.0, 360.0) * kDegree;
        const Point3 step{5.0 * std::cos(dip) * std::cos(azimuth), 5.0 * std::cos(dip) * std::sin(azimuth),
                          -5.0 * std::sin(dip)};
        char name[24];
        std::snprintf(name, sizeof name, "DDH-%04d", h + 1);
        std::vector<Interval> intervals;
        Point3 p{x, y, site.Surface(x, y)};
        for (int i = 0; i < intervalsPerHole; ++i) {
            const Point3 q{p.x + step.x, p.y + step.y, p.z + step.z};
            intervals.push_back({p, q, AssayColour(site.Grade((p.x + q.x) / 2, (p.y + q.y) / 2, (p.z + q.z) / 2))});
            p = q;
        }
        WriteIntervals(out, name, intervals);
    }
}

void BuildBlockScene(SceneText& out, int64_t blocks) {
    MineSite site;
    WriteBlockBox(out, site, blocks);
}

void BuildAllKindsScene(SceneText& out, int grid, int64_t blocks, int holes, IndexedMesh* topographyMesh) {
    MineSite site;
    const TerrainGrid ground(grid, [&](double x, double y) { return site.Natural(x, y); });
    const Topography topography = BuildTopography(ground, nullptr);
    WriteTopography(out, topography, "Topography", topographyMesh);

    std::vector<Point3> track;
    for (int s = 0; s <= 12; ++s) {
        const double x = kSiteX0 + 200 + 1600.0 * s / 12, y = kSiteY0 + 300 + 1400.0 * s / 12;
        track.push_back({x, y, ground.Interpolate(x, y) + 1.5});
    }
    WritePolyline(out, "Access track", Rgb(250, 226, 60), track, false);
    WriteContours(out, "Contours 50 m", Rgb(62, 40, 22), ContourSegments(topography, 50.0, 0.0));
    WriteBlockBox(out, site, blocks);
    std::vector<Point3> stations;
    Random random(site.Seed() + 505);
    for (int p = 0; p < 8; ++p) {
        const double x = random.Uniform(kSiteX0 + 100, kSiteX0 + kSiteSize - 100);
        const double y = random.Uniform(kSiteY0 + 100, kSiteY0 + kSiteSize - 100);
        stations.push_back({x, y, ground.Interpolate(x, y) + 1.0});
    }
    WritePoints(out, "Survey control", Rgb(255, 0, 255), stations);
    auto collarHeight = [&](double x, double y) { return ground.Interpolate(x, y); };
    WriteIntervals(out, "DDH 2019 exploration",
                   DrillHoles(site, holes, site.Seed() + 101, {60, 80, 10, 20, 25.0}, collarHeight));
}

namespace {

void AppendHundredths(std::string& out, double value) {
    char buffer[32];
    out.append(buffer, FormatHundredths(buffer, QuantiseCoordinate(value)));
}

void AppendId(std::string& out, int64_t id) {
    char buffer[24];
    out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, id).ptr);
}

// "PVRTX id x y z value", every number in hundredths.
void AppendPropertyVertex(std::string& out, int64_t id, const Point3& p, double value) {
    out += "PVRTX ";
    AppendId(out, id);
    for (double v : {p.x, p.y, p.z, value}) {
        out += ' ';
        AppendHundredths(out, v);
    }
    out += '\n';
}

// The lines every object written here begins with: type, header, coordinate system.
void AppendGocadHead(std::string& out, std::string_view type, std::string_view name, std::string_view colourLine) {
    out += "GOCAD ";
    out += type;
    out += " 1\nHEADER {\nname:";
    out += name;
    out += '\n';
    out += colourLine;
    out += "\n}\nGOCAD_ORIGINAL_COORDINATE_SYSTEM\nNAME Default\nAXIS_NAME \"X\" \"Y\" \"Z\"\n"
           "AXIS_UNIT \"m\" \"m\" \"m\"\nZPOSITIVE Elevation\nEND_ORIGINAL_COORDINATE_SYSTEM\n";
}

}  // namespace

std::string GocadSurfaceText(int grid, std::string_view name) {
    MineSite site;
    const TerrainGrid ground(grid, [&](double x, double y) { return site.Surface(x, y); });
    const int64_t triangles = SurfaceSceneTriangles(grid);
    std::string out;
    out.reserve(ground.NodeCount() * 48 + static_cast<size_t>(triangles) * 24 + 512);
    AppendGocadHead(out, "TSurf", name, "*solid*color:0.72 0.66 0.52 1");
    out += "PROPERTIES ELEV\nPROPERTY_CLASSES elev\nUNITS m\nNO_DATA_VALUES -99999\nTFACE\n";
    // Vertex ids run from 1 over the grid's nodes, row by row.
    const auto id = [&](int i, int j) { return static_cast<int64_t>(ground.Index(i, j)) + 1; };
    for (int j = 0; j <= grid; ++j) {
        for (int i = 0; i <= grid; ++i) AppendPropertyVertex(out, id(i, j), ground.Node(i, j), ground.Height(i, j));
    }
    for (int j = 0; j < grid; ++j) {
        for (int i = 0; i < grid; ++i) {
            for (int t = 0; t < 2; ++t) {
                out += "TRGL";
                for (const auto& [ci, cj] : ground.CellTriangle(i, j, t)) {
                    out += ' ';
                    AppendId(out, id(ci, cj));
                }
                out += '\n';
            }
        }
    }
    out += "END\n";
    return out;
}

std::string GocadPitLinesText() {
    // The pit crest and the haul road of the open-pit scene at its default grid.
    MineSite site;
    const OpenPitOptions options;
    const int caps = std::max(24, options.grid / 3);
    site.SetRingResolution(std::max(8, caps / 3), caps);
    const TerrainGrid ground(options.grid, [&](double x, double y) { return site.Natural(x, y); });
    std::vector<Point3> crest = BuildPitShell(site, ground).crest;
    for (Point3& p : crest) p.z += 0.6;
    const std::vector<Point3> road = HaulRoad(site, ground);

    std::string out;
    AppendGocadHead(out, "PLine", "Pit crest and haul road", "*line*color:0.98 0.89 0.24 1");
    out += "PROPERTIES CHAINAGE\nUNITS m\n";
    // Ids are numbered through both parts; each part's value is the distance along it.
    int64_t next = 1;
    const auto part = [&](const std::vector<Point3>& points, bool closed) {
        out += "ILINE\n";
        const int64_t first = next;
        double along = 0;
        for (size_t k = 0; k < points.size(); ++k) {
            if (k > 0) along += std::hypot(points[k].x - points[k - 1].x, points[k].y - points[k - 1].y);
            AppendPropertyVertex(out, next++, points[k], along);
        }
        for (int64_t a = first; a + 1 < next; ++a) {
            out += "SEG ";
            AppendId(out, a);
            out += ' ';
            AppendId(out, a + 1);
            out += '\n';
        }
        if (closed && next - first > 2) {
            out += "SEG ";
            AppendId(out, next - 1);
            out += ' ';
            AppendId(out, first);
            out += '\n';
        }
    };
    part(crest, true);
    part(road, false);
    out += "END\n";
    return out;
}

DrillTableTexts BuildDrillTables(int holes, int64_t intervals) {
    Random random(kSeed + 606);
    DrillTableTexts out;
    out.collars = "HOLEID,X,Y,Z,DEPTH\n";
    out.surveys = "HOLEID,DEPTH,AZIMUTH,DIP\n";
    out.assays = "HOLEID,FROM,TO,AU,CU,LITH\n";
    out.assays.reserve(static_cast<size_t>(intervals) * 40 + 64);
    static constexpr const char* kRocks[] = {"oxide", "sulphide", "breccia", "waste"};
    char line[160];
    const auto append = [&line](std::string& to, int length) { to.append(line, static_cast<size_t>(length)); };
    for (int h = 0; h < holes; ++h) {
        char name[16];
        std::snprintf(name, sizeof name, "DH-%05d", h + 1);
        const double x = random.Uniform(kSiteX0, kSiteX0 + kSiteSize);
        const double y = random.Uniform(kSiteY0, kSiteY0 + kSiteSize);
        const double z = 500.0 + 60.0 * std::sin((x - kSiteX0) / 300.0) + 35.0 * std::cos((y - kSiteY0) / 250.0);
        const double depth = std::round(random.Uniform(150.0, 300.0));
        append(out.collars, std::snprintf(line, sizeof line, "%s,%.2f,%.2f,%.2f,%.1f\n", name, x, y, z, depth));

        // Stations from the collar to the bottom, each turning a few degrees flatter.
        const int stations = 3 + static_cast<int>(random.Next() % 3);
        double azimuth = random.Uniform(0.0, 360.0);
        double dip = random.Uniform(-85.0, -55.0);
        for (int s = 0; s < stations; ++s) {
            const double at = depth * s / (stations - 1);
            append(out.surveys, std::snprintf(line, sizeof line, "%s,%.1f,%.2f,%.2f\n", name, at, azimuth, dip));
            azimuth = std::fmod(azimuth + random.Uniform(-6.0, 6.0) + 360.0, 360.0);
            dip = std::min(-5.0, dip + random.Uniform(1.0, 8.0));
        }

        // Intervals in whole centimetres from a little below the collar, each a share of
        // the rest of the hole with a small unsampled gap after some.
        const int64_t count = intervals / holes + (h < intervals % holes ? 1 : 0);
        const int64_t startCm = static_cast<int64_t>(random.Uniform(0.0, 10.0) * 100.0);
        const double stepCm = (depth * 100.0 - static_cast<double>(startCm)) / static_cast<double>(std::max<int64_t>(count, 1));
        const double rockDepth = random.Uniform(20.0, 60.0);
        for (int64_t i = 0; i < count; ++i) {
            const auto fromCm = startCm + static_cast<int64_t>(std::round(stepCm * static_cast<double>(i)));
            const auto nextCm = startCm + static_cast<int64_t>(std::round(stepCm * static_cast<double>(i + 1)));
            const double share = random.Uniform() < 0.9 ? 1.0 : random.Uniform(0.5, 0.9);
            const int64_t toCm = std::max(fromCm + 1, fromCm + static_cast<int64_t>(std::round((nextCm - fromCm) * share)));
            const double middle = 0.005 * static_cast<double>(fromCm + toCm);
            const int rock = middle < rockDepth ? 0 : static_cast<int>(1 + random.Next() % 3);
            const double au = std::exp(random.Normal() - (rock == 3 ? 2.5 : 0.5));
            const double cu = std::exp(0.6 * random.Normal() - (rock == 3 ? 3.0 : 1.0));
            char gold[24] = "";
            if (random.Uniform() >= 0.08) std::snprintf(gold, sizeof gold, "%.3f", au);
            append(out.assays, std::snprintf(line, sizeof line, "%s,%lld.%02lld,%lld.%02lld,%s,%.3f,%s\n", name,
                                             static_cast<long long>(fromCm / 100), static_cast<long long>(fromCm % 100),
                                             static_cast<long long>(toCm / 100), static_cast<long long>(toCm % 100), gold,
                                             cu, kRocks[rock]));
        }
    }
    return out;
}

std::string SurfaceSceneText(int grid) {
    SceneText text;
    BuildSurfaceScene(text, grid, nullptr);
    return text.TakeText(true);
}

std::string BlockSceneText(int64_t blocks) {
    SceneText text;
    BuildBlockScene(text, blocks);
    return text.TakeText(true);
}

}  // namespace talan::samples
