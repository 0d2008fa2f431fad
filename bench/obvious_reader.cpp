// obvious_reader: THE YARDSTICK for reading benchmarks, not part of the viewer.
//
// This is the scene-file reader as a first, straightforward version would write it:
// std::ifstream, std::getline up to ',' for every field and up to the line end for
// the rest of a line, atof/atoi on c_str(), and one std::vector of vertices that is
// replaced by an exactly-sized copy for every section. It follows the same file
// layout as the viewer (signature, "MAX" bounds block, tag lines with the tag at
// position 10, header lines, the six section layouts) and builds the same vertices
// (positions in (x, elevation, y) order, face normals for triangles and block boxes,
// colours), so that a benchmark run can put the viewer's reader next to it. It makes
// no attempt at odd cases beyond reading a missing number as 0; for well-formed files
// it gives the same vertex count and bounds as the viewer.
//
//   obvious_reader FILE...
//
// Prints, per file, the object count, the vertex count and the bounds; the time taken
// to read goes to stderr.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

struct Vertex {
    float position[3];
    float normal[3];
    float colour[4];
};

enum Kind { kT3, kLIN, kSUP, kBLKKDX, kPTS, kSONKDX, kKinds };
const char* const kTags[kKinds] = {"T3", "LIN", "SUP", "BLKKDX", "PTS", "SONKDX"};

struct Scene {
    std::vector<Vertex> vertices;
    std::vector<std::string> names;
    std::vector<int> elementCounts;
    std::vector<int> verticesPerElement;
    std::vector<int> firstVertex;
    int kindCount[kKinds] = {};
    float boundsMax[3] = {-999999995904.0f, -999999995904.0f, -999999995904.0f};
    float boundsMin[3] = {999999995904.0f, 999999995904.0f, 999999995904.0f};
    bool boundsFromFile = false;
};

// Registers an object and grows the vertex array to exactly the new total, copying
// the earlier vertices over.
int BeginObject(Scene& scene, int count, int perElement) {
    if (count < 0) count = 0;
    const int first = static_cast<int>(scene.vertices.size());
    std::vector<Vertex> grown(static_cast<size_t>(first) + static_cast<size_t>(count) * static_cast<size_t>(perElement));
    std::copy(scene.vertices.begin(), scene.vertices.end(), grown.begin());
    scene.vertices.swap(grown);
    scene.elementCounts.push_back(count);
    scene.verticesPerElement.push_back(perElement);
    scene.firstVertex.push_back(first);
    return first;
}

void GrowBounds(Scene& scene, float x, float y, float z) {
    if (scene.boundsFromFile) return;
    const float p[3] = {x, y, z};
    for (int i = 0; i < 3; ++i) {
        if (p[i] > scene.boundsMax[i]) scene.boundsMax[i] = p[i];
        if (p[i] < scene.boundsMin[i]) scene.boundsMin[i] = p[i];
    }
}

std::string ReadField(std::ifstream& in) {
    std::string field;
    std::getline(in, field, ',');
    return field;
}

std::string ReadRestOfLine(std::ifstream& in) {
    std::string rest;
    std::getline(in, rest);
    return rest;
}

float ReadFloat(std::ifstream& in) { return static_cast<float>(std::atof(ReadField(in).c_str())); }
int ReadInt(std::ifstream& in) { return std::atoi(ReadField(in).c_str()); }

void SetColour(float* out, int c) {
    out[0] = static_cast<float>(c & 255) * 0.003921569f;
    out[1] = static_cast<float>((c / 256) & 255) * 0.003921569f;
    out[2] = static_cast<float>((c / 65536) & 255) * 0.003921569f;
    out[3] = 1.0f;
}

void SetVertex(Vertex& v, float x, float y, float z, const float* normal, const float* colour) {
    v.position[0] = x;
    v.position[1] = z;
    v.position[2] = y;
    for (int i = 0; i < 3; ++i) v.normal[i] = normal[i];
    for (int i = 0; i < 4; ++i) v.colour[i] = colour[i];
}

int CountField(const std::string& tagLine, size_t start) {
    if (tagLine.size() <= start) return 0;
    return std::atoi(tagLine.substr(start).c_str());
}

void ReadTriangles(std::ifstream& in, Scene& scene, const std::string& tagLine) {
    const int n = CountField(tagLine, 18);
    const int first = BeginObject(scene, n, 3);
    const int mode = ReadInt(in);
    const int colourA = ReadInt(in);
    const int colourB = ReadInt(in);
    ReadRestOfLine(in);
    scene.names.push_back(ReadField(in));
    ReadRestOfLine(in);
    float meanColour[4];
    for (int i = 0, divisor = 1; i < 3; ++i, divisor *= 256) {
        const int sum = ((colourA / divisor) & 255) + ((colourB / divisor) & 255);
        meanColour[i] = static_cast<float>(sum) * 0.003921569f * 0.5f;
    }
    meanColour[3] = 1.0f;
    for (int t = 0; t < n; ++t) {
        float c[9];
        for (float& value : c) value = ReadFloat(in);
        float colour[4];
        if (mode == 1) {
            std::copy(meanColour, meanColour + 4, colour);
        } else {
            ReadField(in);
            SetColour(colour, ReadInt(in));
        }
        // Face normal from the corners in (x, elevation, y) order.
        const float p1[3] = {c[0], c[2], c[1]}, p2[3] = {c[3], c[5], c[4]}, p3[3] = {c[6], c[8], c[7]};
        const float e1[3] = {p2[0] - p1[0], p2[1] - p1[1], p2[2] - p1[2]};
        const float e2[3] = {p3[0] - p1[0], p3[1] - p1[1], p3[2] - p1[2]};
        float normal[3] = {e1[1] * e2[2] - e1[2] * e2[1], e1[2] * e2[0] - e1[0] * e2[2], e1[0] * e2[1] - e1[1] * e2[0]};
        const float length = std::sqrt(normal[0] * normal[0] + normal[1] * normal[1] + normal[2] * normal[2]);
        for (float& value : normal) value = length > 0 ? value / length : 0.0f;
        for (int k = 0; k < 3; ++k) {
            SetVertex(scene.vertices[static_cast<size_t>(first + 3 * t + k)], c[3 * k], c[3 * k + 1], c[3 * k + 2], normal,
                      colour);
            GrowBounds(scene, c[3 * k], c[3 * k + 1], c[3 * k + 2]);
        }
        ReadRestOfLine(in);
    }
}

// LIN and SUP differ only in the line LIN skips before its segments.
void ReadSegments(std::ifstream& in, Scene& scene, const std::string& tagLine, bool skipLine4) {
    const int n = CountField(tagLine, 19);
    const int first = BeginObject(scene, n, 2);
    float colour[4];
    SetColour(colour, ReadInt(in));
    ReadRestOfLine(in);
    scene.names.push_back(ReadField(in));
    ReadRestOfLine(in);
    if (skipLine4) ReadRestOfLine(in);
    const float noNormal[3] = {0, 0, 0};
    for (int s = 0; s < n; ++s) {
        const float x1 = ReadFloat(in), y1 = ReadFloat(in), z1 = ReadFloat(in);
        const float x2 = ReadFloat(in), y2 = ReadFloat(in);
        const float z2 = static_cast<float>(std::atof(ReadRestOfLine(in).c_str()));
        SetVertex(scene.vertices[static_cast<size_t>(first + 2 * s)], x1, y1, z1, noNormal, colour);
        SetVertex(scene.vertices[static_cast<size_t>(first + 2 * s + 1)], x2, y2, z2, noNormal, colour);
        GrowBounds(scene, x1, y1, z1);
        GrowBounds(scene, x2, y2, z2);
    }
}

void ReadBlocks(std::ifstream& in, Scene& scene, const std::string& tagLine) {
    const int n = CountField(tagLine, 22);
    const int first = BeginObject(scene, n, 36);
    const float hx = static_cast<float>(ReadInt(in) * 0.92) * 0.5f;
    const float hy = static_cast<float>(ReadInt(in) * 0.92) * 0.5f;
    const float hz = static_cast<float>(ReadInt(in) * 0.92) * 0.5f;
    scene.names.push_back("Bloques");
    ReadRestOfLine(in);
    ReadRestOfLine(in);
    ReadRestOfLine(in);
    // Each face: its normal in (x, elevation, y) axes and its corners a, b, c, d as
    // signs of the half sizes in file axes; written as triangles a-b-c and a-c-d.
    struct Face {
        float normal[3];
        int corner[4][3];
    };
    static const Face kFaces[6] = {
        {{0, 0, -1}, {{-1, -1, -1}, {-1, -1, 1}, {1, -1, 1}, {1, -1, -1}}},
        {{0, 1, 0}, {{-1, -1, 1}, {-1, 1, 1}, {1, 1, 1}, {1, -1, 1}}},
        {{1, 0, 0}, {{1, -1, -1}, {1, -1, 1}, {1, 1, 1}, {1, 1, -1}}},
        {{0, 0, 1}, {{1, 1, -1}, {1, 1, 1}, {-1, 1, 1}, {-1, 1, -1}}},
        {{-1, 0, 0}, {{-1, 1, -1}, {-1, 1, 1}, {-1, -1, 1}, {-1, -1, -1}}},
        {{0, -1, 0}, {{1, -1, -1}, {1, 1, -1}, {-1, 1, -1}, {-1, -1, -1}}},
    };
    static const int kOrder[6] = {0, 1, 2, 0, 2, 3};
    for (int b = 0; b < n; ++b) {
        const float x = ReadFloat(in), y = ReadFloat(in), z = ReadFloat(in);
        float colour[4];
        SetColour(colour, ReadInt(in));
        ReadRestOfLine(in);
        size_t at = static_cast<size_t>(first) + 36 * static_cast<size_t>(b);
        for (const Face& face : kFaces) {
            for (int k : kOrder) {
                const int* s = face.corner[k];
                const float cx = s[0] < 0 ? x - hx : x + hx;
                const float cy = s[1] < 0 ? y - hy : y + hy;
                const float cz = s[2] < 0 ? z - hz : z + hz;
                SetVertex(scene.vertices[at++], cx, cy, cz, face.normal, colour);
            }
        }
        GrowBounds(scene, x, y, z);
    }
}

void ReadPoints(std::ifstream& in, Scene& scene, const std::string& tagLine) {
    const int n = CountField(tagLine, 19);
    const int first = BeginObject(scene, n, 1);
    float colour[4];
    SetColour(colour, ReadInt(in));
    ReadRestOfLine(in);
    scene.names.push_back(ReadField(in));
    ReadRestOfLine(in);
    ReadRestOfLine(in);
    const float noNormal[3] = {0, 0, 0};
    for (int p = 0; p < n; ++p) {
        const float x = ReadFloat(in), y = ReadFloat(in);
        const float z = static_cast<float>(std::atof(ReadRestOfLine(in).c_str()));
        SetVertex(scene.vertices[static_cast<size_t>(first + p)], x, y, z, noNormal, colour);
        GrowBounds(scene, x, y, z);
    }
}

void ReadDrillHoles(std::ifstream& in, Scene& scene, const std::string& tagLine) {
    const int n = CountField(tagLine, 22);
    const int first = BeginObject(scene, n, 2);
    scene.names.push_back(ReadField(in));
    ReadRestOfLine(in);
    ReadRestOfLine(in);
    const float noNormal[3] = {0, 0, 0};
    for (int s = 0; s < n; ++s) {
        const float x1 = ReadFloat(in), y1 = ReadFloat(in), z1 = ReadFloat(in);
        const float x2 = ReadFloat(in), y2 = ReadFloat(in), z2 = ReadFloat(in);
        float colour[4];
        SetColour(colour, std::atoi(ReadRestOfLine(in).c_str()));
        SetVertex(scene.vertices[static_cast<size_t>(first + 2 * s)], x1, y1, z1, noNormal, colour);
        SetVertex(scene.vertices[static_cast<size_t>(first + 2 * s + 1)], x2, y2, z2, noNormal, colour);
        GrowBounds(scene, x1, y1, z1);
        GrowBounds(scene, x2, y2, z2);
    }
}

bool HasAt(const std::string& line, size_t position, const char* text) {
    const std::string word(text);
    return line.size() >= position + word.size() && line.compare(position, word.size(), word) == 0;
}

int TagOf(const std::string& line) {
    for (int k = 0; k < kKinds; ++k) {
        if (HasAt(line, 10, kTags[k])) return k;
    }
    return -1;
}

bool IsHeaderLine(const std::string& line) {
    return (line.size() > 0 && line[0] == '"') || (line.size() > 1 && line[1] == 'T') ||
           (line.size() > 2 && line[2] == 'a') || (line.size() > 3 && line[3] == 'v');
}

bool ReadSceneFile(const char* path, Scene& scene) {
    std::ifstream in(path);
    if (!in) return false;
    std::string line;
    std::getline(in, line);
    if (!HasAt(line, 1, "Tavrin")) return false;
    if (HasAt(line, 10, "MAX")) {
        scene.boundsFromFile = true;
        for (int axis = 0; axis < 3; ++axis) {
            const float largest = ReadFloat(in);
            const float smallest = static_cast<float>(std::atof(ReadRestOfLine(in).c_str()));
            scene.boundsMax[axis] = std::max(scene.boundsMax[axis], largest);
            scene.boundsMin[axis] = std::min(scene.boundsMin[axis], smallest);
        }
        std::getline(in, line);
    }
    while (!in.eof()) {
        const int tag = TagOf(line);
        if (tag >= 0) {
            ++scene.kindCount[tag];
            switch (tag) {
                case kT3: ReadTriangles(in, scene, line); break;
                case kLIN: ReadSegments(in, scene, line, true); break;
                case kSUP: ReadSegments(in, scene, line, false); break;
                case kBLKKDX: ReadBlocks(in, scene, line); break;
                case kPTS: ReadPoints(in, scene, line); break;
                default: ReadDrillHoles(in, scene, line); break;
            }
            std::getline(in, line);
        } else {
            std::getline(in, line);
            if (in.eof()) break;
            while (!IsHeaderLine(line)) {
                std::getline(in, line);
                if (in.eof()) break;
            }
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: obvious_reader FILE...\n");
        return 2;
    }
    int failures = 0;
    for (int a = 1; a < argc; ++a) {
        const auto start = std::chrono::steady_clock::now();
        Scene scene;
        if (!ReadSceneFile(argv[a], scene)) {
            std::fprintf(stderr, "%s: not a scene file\n", argv[a]);
            ++failures;
            continue;
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        int objects = 0;
        for (int count : scene.kindCount) objects += count;
        std::printf("%s: %d objects (", argv[a], objects);
        for (int k = 0; k < kKinds; ++k) std::printf("%s%s %d", k ? ", " : "", kTags[k], scene.kindCount[k]);
        std::printf("), %zu vertices, bounds%s x %.9g..%.9g y %.9g..%.9g z %.9g..%.9g\n", scene.vertices.size(),
                    scene.boundsFromFile ? " (from file)" : "", scene.boundsMin[0], scene.boundsMax[0],
                    scene.boundsMin[1], scene.boundsMax[1], scene.boundsMin[2], scene.boundsMax[2]);
        std::fprintf(stderr, "%s: read in %.3f s\n", argv[a], seconds);
    }
    return failures == 0 ? 0 : 1;
}
