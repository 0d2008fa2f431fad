// Writing scene files ("Tavrin" text files) from generated geometry.
//
// SceneText collects the text of the sections in one memory buffer and, alongside,
// the bounds of every point that the viewer's readers take into the scene bounds
// (triangle corners, segment and interval end points, points, block centres). The
// bounds block ("MAX") can only be written once everything is known, so the file is
// put together at the end: HeaderText() followed by Body().
//
// Every coordinate is rounded to 0.01 before it is written, and the bounds are kept
// in the same rounded units, so the bounds block holds exactly the text of the
// largest and smallest coordinates: a file read with and without its bounds block
// gives the same bounds. The same point always gives the same text, so corners
// shared by neighbouring triangles stay exactly equal after reading.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace talan::samples {

struct Point3 {
    double x = 0;
    double y = 0;
    double z = 0;
};

// A colour integer as the viewer reads it: 0x00BBGGRR, red in the low byte.
constexpr uint32_t Rgb(int red, int green, int blue) {
    return static_cast<uint32_t>(red & 255) | (static_cast<uint32_t>(green & 255) << 8) |
           (static_cast<uint32_t>(blue & 255) << 16);
}

// Coordinates are written in hundredths.
int64_t QuantiseCoordinate(double value);
// Writes a value given in hundredths, without trailing zeros ("1234.5", "-0.05", "300").
char* FormatHundredths(char* out, int64_t hundredths);

class SceneText {
public:
    struct SectionInfo {
        std::string tag;
        std::string name;
        int64_t count = 0;
    };

    SceneText() = default;

    void Reserve(size_t bytes) { body_.reserve(bytes); }

    // T3 whose triangles each carry their own colour (colour mode 0).
    void BeginTriangleSurface(std::string_view name, int64_t triangleCount);
    // T3 in one colour (colour mode 1, written with the same colour twice so that
    // the mean the reader takes is that colour).
    void BeginTriangleSurface(std::string_view name, int64_t triangleCount, uint32_t colour);
    void AddTriangle(const Point3& a, const Point3& b, const Point3& c);                  // one-colour surface
    void AddTriangle(const Point3& a, const Point3& b, const Point3& c, uint32_t colour);  // per-triangle colour

    // LIN: segments in one colour.
    void BeginLines(std::string_view name, int64_t segmentCount, uint32_t colour);
    // SUP: a surface given as segments in one colour.
    void BeginSurfaceLines(std::string_view name, int64_t segmentCount, uint32_t colour);
    void AddSegment(const Point3& a, const Point3& b);

    // BLKKDX: blocks of one whole-number size. The two notes fill the two lines the
    // reader skips (they must not hold a line break).
    void BeginBlocks(int64_t blockCount, int sizeX, int sizeY, int sizeZ, std::string_view note1,
                     std::string_view note2);
    void AddBlock(const Point3& centre, uint32_t colour);

    // PTS: points in one colour.
    void BeginPoints(std::string_view name, int64_t pointCount, uint32_t colour);
    void AddPoint(const Point3& p);

    // SONKDX: drill-hole intervals, each with its own colour.
    void BeginDrillHoles(std::string_view name, int64_t intervalCount);
    void AddInterval(const Point3& from, const Point3& to, uint32_t colour);

    // Checks that the open section got exactly the elements its tag line announced
    // (throws std::logic_error otherwise) and closes it.
    void EndSection();

    // The lines before the first section: the signature line with "MAX" and the three
    // bounds lines when `withBounds` is true and there is at least one point. Otherwise
    // it is empty, because the first tag line carries the signature itself (a file
    // without sections gets a bare signature line).
    std::string HeaderText(bool withBounds) const;
    const std::string& Body() const { return body_; }
    // Header and body as one string (the body is moved out).
    std::string TakeText(bool withBounds);
    // Writes header and body; returns false on a write error.
    bool WriteTo(std::FILE* file, bool withBounds) const;

    const std::vector<SectionInfo>& Sections() const { return sections_; }
    bool HasPoints() const { return hasPoints_; }
    // Bounds in hundredths, x, y, z (file axes); meaningful when HasPoints().
    const std::array<int64_t, 3>& BoundsMinHundredths() const { return min_; }
    const std::array<int64_t, 3>& BoundsMaxHundredths() const { return max_; }

private:
    void BeginSection(std::string_view tag, std::string_view name, int64_t count);
    void CheckCanAdd(std::string_view tag);
    // Appends the three rounded coordinates of p, each followed by ',' unless it is
    // the last value of the line, and widens the bounds.
    char* PutPoint(char* out, const Point3& p, bool commaAfterZ);
    void Track(int64_t x, int64_t y, int64_t z);

    std::string body_;
    std::vector<SectionInfo> sections_;
    std::string openTag_;
    int64_t declared_ = 0;
    int64_t written_ = 0;
    bool perTriangleColour_ = false;

    bool hasPoints_ = false;
    std::array<int64_t, 3> min_{};
    std::array<int64_t, 3> max_{};
};

// A triangle mesh with shared vertices, for the PLY copy of a surface.
struct IndexedMesh {
    std::vector<Point3> vertices;
    std::vector<std::array<uint32_t, 3>> faces;
};

// Writes `mesh` as an ASCII PLY file (x, y, z as floats, faces as "3 a b c"), with
// coordinates rounded and written exactly as in the scene file. Returns false on a
// write error.
bool WritePlyFile(std::FILE* file, const IndexedMesh& mesh);

}  // namespace talan::samples
