#include "tools/SceneWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace talan::samples {

namespace {

// Tag lines are written as "Tavrin" in double quotes, two blanks, the tag, six
// blanks, the count and a comma: the tag then starts at position 10 and the count
// 7 positions after the tag's last character, where the reader looks for them.
constexpr std::string_view kSignatureQuoted = "\"Tavrin\"  ";
constexpr std::string_view kGapBeforeCount = "      ";

char* PutText(char* out, std::string_view text) {
    std::copy(text.begin(), text.end(), out);
    return out + text.size();
}

char* PutInteger(char* out, int64_t value) { return std::to_chars(out, out + 24, value).ptr; }

void CheckName(std::string_view name) {
    // The name is read as a field up to the next ',', so it must not hold one, and
    // a line break would shift every line after it.
    if (name.find_first_of(",\n\r") != std::string_view::npos) {
        throw std::invalid_argument("scene object name holds a comma or a line break");
    }
}

}  // namespace

int64_t QuantiseCoordinate(double value) { return std::llround(value * 100.0); }

char* FormatHundredths(char* out, int64_t hundredths) {
    uint64_t magnitude = hundredths < 0 ? 0 - static_cast<uint64_t>(hundredths) : static_cast<uint64_t>(hundredths);
    if (hundredths < 0) *out++ = '-';
    out = std::to_chars(out, out + 24, magnitude / 100).ptr;
    const unsigned fraction = static_cast<unsigned>(magnitude % 100);
    if (fraction != 0) {
        *out++ = '.';
        *out++ = static_cast<char>('0' + fraction / 10);
        if (fraction % 10 != 0) *out++ = static_cast<char>('0' + fraction % 10);
    }
    return out;
}

void SceneText::BeginSection(std::string_view tag, std::string_view name, int64_t count) {
    if (!openTag_.empty()) throw std::logic_error("scene section begun while another is open");
    if (count < 0) throw std::invalid_argument("negative element count");
    CheckName(name);
    openTag_ = tag;
    declared_ = count;
    written_ = 0;
    sections_.push_back(SectionInfo{std::string(tag), std::string(name), count});

    char line[64];
    char* p = PutText(line, kSignatureQuoted);
    p = PutText(p, tag);
    p = PutText(p, kGapBeforeCount);
    p = PutInteger(p, count);
    *p++ = ',';
    *p++ = '\n';
    body_.append(line, p);
}

void SceneText::CheckCanAdd(std::string_view tag) {
    if (openTag_ != tag) throw std::logic_error("element added to a section of another kind");
    if (written_ >= declared_) throw std::logic_error("more elements than the tag line announced");
    ++written_;
}

void SceneText::EndSection() {
    if (openTag_.empty()) throw std::logic_error("no section open");
    if (written_ != declared_) throw std::logic_error("section holds fewer elements than its tag line announced");
    openTag_.clear();
}

void SceneText::Track(int64_t x, int64_t y, int64_t z) {
    if (!hasPoints_) {
        min_ = max_ = {x, y, z};
        hasPoints_ = true;
        return;
    }
    const int64_t v[3] = {x, y, z};
    for (int i = 0; i < 3; ++i) {
        min_[i] = std::min(min_[i], v[i]);
        max_[i] = std::max(max_[i], v[i]);
    }
}

char* SceneText::PutPoint(char* out, const Point3& p, bool commaAfterZ) {
    const int64_t x = QuantiseCoordinate(p.x);
    const int64_t y = QuantiseCoordinate(p.y);
    const int64_t z = QuantiseCoordinate(p.z);
    Track(x, y, z);
    out = FormatHundredths(out, x);
    *out++ = ',';
    out = FormatHundredths(out, y);
    *out++ = ',';
    out = FormatHundredths(out, z);
    if (commaAfterZ) *out++ = ',';
    return out;
}

// --- T3 ---------------------------------------------------------------------------

void SceneText::BeginTriangleSurface(std::string_view name, int64_t triangleCount) {
    BeginSection("T3", name, triangleCount);
    perTriangleColour_ = true;
    body_ += "0,0,0,\n";  // colour mode 0: the colours come with the triangles
    body_.append(name);
    body_ += ",\n";
}

void SceneText::BeginTriangleSurface(std::string_view name, int64_t triangleCount, uint32_t colour) {
    BeginSection("T3", name, triangleCount);
    perTriangleColour_ = false;
    char line[64];
    char* p = PutText(line, "1,");
    p = PutInteger(p, colour);
    *p++ = ',';
    p = PutInteger(p, colour);
    *p++ = ',';
    *p++ = '\n';
    body_.append(line, p);
    body_.append(name);
    body_ += ",\n";
}

void SceneText::AddTriangle(const Point3& a, const Point3& b, const Point3& c) {
    CheckCanAdd("T3");
    if (perTriangleColour_) throw std::logic_error("this surface needs a colour per triangle");
    char line[256];
    char* p = PutPoint(line, a, true);
    p = PutPoint(p, b, true);
    p = PutPoint(p, c, true);
    *p++ = '\n';
    body_.append(line, p);
}

void SceneText::AddTriangle(const Point3& a, const Point3& b, const Point3& c, uint32_t colour) {
    CheckCanAdd("T3");
    if (!perTriangleColour_) throw std::logic_error("this surface has one colour");
    char line[256];
    char* p = PutPoint(line, a, true);
    p = PutPoint(p, b, true);
    p = PutPoint(p, c, true);
    // An unused field, then the triangle's colour; both end with a comma.
    *p++ = '0';
    *p++ = ',';
    p = PutInteger(p, colour);
    *p++ = ',';
    *p++ = '\n';
    body_.append(line, p);
}

// --- LIN and SUP ------------------------------------------------------------------

void SceneText::BeginLines(std::string_view name, int64_t segmentCount, uint32_t colour) {
    BeginSection("LIN", name, segmentCount);
    body_ += std::to_string(colour) + ",\n";
    body_.append(name);
    body_ += ",\n";
    body_ += "x1,y1,z1,x2,y2,z2 (one segment per line)\n";  // the line reader skips this line
}

void SceneText::BeginSurfaceLines(std::string_view name, int64_t segmentCount, uint32_t colour) {
    BeginSection("SUP", name, segmentCount);
    body_ += std::to_string(colour) + ",\n";
    body_.append(name);
    body_ += ",\n";
}

void SceneText::AddSegment(const Point3& a, const Point3& b) {
    if (openTag_ != "LIN" && openTag_ != "SUP") throw std::logic_error("segment outside a LIN or SUP section");
    CheckCanAdd(openTag_);
    char line[160];
    char* p = PutPoint(line, a, true);
    p = PutPoint(p, b, false);
    *p++ = '\n';
    body_.append(line, p);
}

// --- BLKKDX -----------------------------------------------------------------------

void SceneText::BeginBlocks(int64_t blockCount, int sizeX, int sizeY, int sizeZ, std::string_view note1,
                            std::string_view note2) {
    if (note1.find_first_of("\n\r") != std::string_view::npos || note2.find_first_of("\n\r") != std::string_view::npos) {
        throw std::invalid_argument("block model note holds a line break");
    }
    BeginSection("BLKKDX", "Bloques", blockCount);
    char line[96];
    char* p = PutInteger(line, sizeX);
    *p++ = ',';
    p = PutInteger(p, sizeY);
    *p++ = ',';
    p = PutInteger(p, sizeZ);
    *p++ = ',';
    *p++ = '\n';
    body_.append(line, p);
    body_.append(note1);
    body_ += '\n';
    body_.append(note2);
    body_ += '\n';
}

void SceneText::AddBlock(const Point3& centre, uint32_t colour) {
    CheckCanAdd("BLKKDX");
    char line[96];
    char* p = PutPoint(line, centre, true);
    p = PutInteger(p, colour);
    *p++ = ',';
    *p++ = '\n';
    body_.append(line, p);
}

// --- PTS --------------------------------------------------------------------------

void SceneText::BeginPoints(std::string_view name, int64_t pointCount, uint32_t colour) {
    BeginSection("PTS", name, pointCount);
    body_ += std::to_string(colour) + ",\n";
    body_.append(name);
    body_ += ",\n";
    body_ += "x,y,z (one point per line)\n";  // the points reader skips this line
}

void SceneText::AddPoint(const Point3& point) {
    CheckCanAdd("PTS");
    char line[96];
    char* p = PutPoint(line, point, false);
    *p++ = '\n';
    body_.append(line, p);
}

// --- SONKDX -----------------------------------------------------------------------

void SceneText::BeginDrillHoles(std::string_view name, int64_t intervalCount) {
    BeginSection("SONKDX", name, intervalCount);
    body_.append(name);
    body_ += ",\n";
    body_ += "x1,y1,z1,x2,y2,z2,colour (one interval per line)\n";  // skipped by the drill-hole reader
}

void SceneText::AddInterval(const Point3& from, const Point3& to, uint32_t colour) {
    CheckCanAdd("SONKDX");
    char line[192];
    char* p = PutPoint(line, from, true);
    p = PutPoint(p, to, true);
    p = PutInteger(p, colour);
    *p++ = '\n';
    body_.append(line, p);
}

// --- the whole file ---------------------------------------------------------------

std::string SceneText::HeaderText(bool withBounds) const {
    // Without a single point there are no bounds to declare.
    if (!withBounds || !hasPoints_) return body_.empty() ? std::string("\"Tavrin\"\n") : std::string();
    std::string header = "\"Tavrin\"  MAX\n";
    for (int axis = 0; axis < 3; ++axis) {
        char line[64];
        char* p = FormatHundredths(line, max_[axis]);
        *p++ = ',';
        p = FormatHundredths(p, min_[axis]);
        *p++ = '\n';
        header.append(line, p);
    }
    return header;
}

std::string SceneText::TakeText(bool withBounds) {
    if (!openTag_.empty()) throw std::logic_error("scene text taken while a section is open");
    std::string text = HeaderText(withBounds);
    text.reserve(text.size() + body_.size());
    text += body_;
    body_.clear();
    body_.shrink_to_fit();
    return text;
}

bool SceneText::WriteTo(std::FILE* file, bool withBounds) const {
    if (!openTag_.empty()) throw std::logic_error("scene text written while a section is open");
    const std::string header = HeaderText(withBounds);
    return std::fwrite(header.data(), 1, header.size(), file) == header.size() &&
           std::fwrite(body_.data(), 1, body_.size(), file) == body_.size();
}

bool WritePlyFile(std::FILE* file, const IndexedMesh& mesh) {
    std::string text;
    text.reserve(mesh.vertices.size() * 28 + mesh.faces.size() * 24 + 512);
    text += "ply\nformat ascii 1.0\ncomment Talan 3D sample surface, same triangles as the scene file\n";
    text += "element vertex " + std::to_string(mesh.vertices.size()) + "\n";
    text += "property float x\nproperty float y\nproperty float z\n";
    text += "element face " + std::to_string(mesh.faces.size()) + "\n";
    text += "property list uchar int vertex_indices\nend_header\n";
    char line[96];
    for (const Point3& v : mesh.vertices) {
        char* p = FormatHundredths(line, QuantiseCoordinate(v.x));
        *p++ = ' ';
        p = FormatHundredths(p, QuantiseCoordinate(v.y));
        *p++ = ' ';
        p = FormatHundredths(p, QuantiseCoordinate(v.z));
        *p++ = '\n';
        text.append(line, p);
    }
    for (const auto& f : mesh.faces) {
        char* p = line;
        *p++ = '3';
        for (uint32_t index : f) {
            *p++ = ' ';
            p = std::to_chars(p, p + 12, index).ptr;
        }
        *p++ = '\n';
        text.append(line, p);
    }
    return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

}  // namespace talan::samples
