#include "scene/GocadReader.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <unordered_map>
#include <utility>

#include "scene/NumberParsing.h"

namespace talan {

namespace {

enum class GocadType { TSurf, PLine, VSet, Other };

// Where a line of an object stands: in its body or inside one of its blocks.
enum class Block { None, Header, CoordinateSystem, Braces };

struct Colour3 {
    float r, g, b;
};

// Colours of objects whose header gives none.
constexpr Colour3 kSurfaceColour{0.8f, 0.8f, 0.6f};
constexpr Colour3 kLineColour{0.95f, 0.55f, 0.15f};
constexpr Colour3 kPointColour{0.25f, 0.6f, 0.9f};

// Ids below this bound (or below twice the vertices seen, whichever is more) are kept
// in a vector; larger ones in a hash map, so that one huge id costs no huge vector.
constexpr int64_t kDenseIdSlack = 65536;

// Vertex numbers by id.
struct VertexIds {
    std::vector<int32_t> dense;  // by id; -1 where the id names no vertex
    std::unordered_map<int64_t, int32_t> sparse;
};

int32_t FindVertex(const VertexIds& ids, int64_t id) {
    if (id < static_cast<int64_t>(ids.dense.size()) && ids.dense[static_cast<size_t>(id)] >= 0) {
        return ids.dense[static_cast<size_t>(id)];
    }
    if (ids.sparse.empty()) return -1;
    const auto at = ids.sparse.find(id);
    return at == ids.sparse.end() ? -1 : at->second;
}

void AddVertexId(VertexIds& ids, int64_t id, int32_t vertex) {
    if (id < static_cast<int64_t>(ids.dense.size()) || id <= 2 * int64_t{vertex} + kDenseIdSlack) {
        if (id >= static_cast<int64_t>(ids.dense.size())) ids.dense.resize(static_cast<size_t>(id) + 1, -1);
        ids.dense[static_cast<size_t>(id)] = vertex;
    } else {
        ids.sparse[id] = vertex;
    }
}

// One object as its lines are read, before it goes into the scene.
struct GocadObject {
    GocadType type = GocadType::Other;
    int number = 0;  // its place among the file's objects, from 1
    bool named = false;
    std::string name;
    bool ownColour = false;    // the header gave the colour key of the object's type
    bool plainColour = false;  // the header gave "color:"
    Colour3 colour{};
    Colour3 plain{};
    bool depthDown = false;  // ZPOSITIVE Depth: the file's z grows downwards
    std::vector<std::string> propertyNames;
    std::vector<int32_t> propertySizes;  // numbers each property takes on a PVRTX line
    std::vector<double> noData;
    std::vector<bool> hasNoData;
    std::vector<float> positions;  // x, y, z of each vertex as the file gives them
    std::vector<float> values;     // propertyNames.size() per vertex
    std::vector<int32_t> corners;  // vertex numbers of each triangle or segment
    VertexIds ids;
};

// The fields of one line, taken one after the other.
struct Fields {
    const char* p;
    const char* end;
};

inline bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f'; }

inline std::string_view NextField(Fields& f) {
    while (f.p != f.end && IsBlank(*f.p)) ++f.p;
    const char* start = f.p;
    while (f.p != f.end && !IsBlank(*f.p)) ++f.p;
    return {start, static_cast<size_t>(f.p - start)};
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) s.remove_prefix(1);
    while (!s.empty() && IsBlank(s.back())) s.remove_suffix(1);
    return s;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// A number field: the plain decimal quickly, anything else (exponents, long mantissas,
// inf, nan) through from_chars. The whole field must be the number.
bool ParseNumber(std::string_view field, double& value) {
    const char* p = field.data();
    const char* end = p + field.size();
    if (p == end) return false;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    if (p == end || *p == '-' || *p == '+') return false;
    if (ParsePlainDecimal<true>(p, end, value) != end) {
        const auto [stop, error] = std::from_chars(p, end, value);
        if (error != std::errc() || stop != end) return false;
    }
    if (negative) value = -value;
    return true;
}

// A vertex id: digits only, below 10^18.
bool ParseId(std::string_view field, int64_t& id) {
    if (field.empty() || field.size() > 18) return false;
    int64_t value = 0;
    for (char c : field) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    id = value;
    return true;
}

// "r g b [a]" from 0 to 1, or "#rrggbb". Returns false, changing nothing, for anything else.
bool ParseColour(std::string_view text, Colour3& colour) {
    text = Trim(text);
    if (!text.empty() && text.front() == '#') {
        if (text.size() != 7) return false;
        unsigned rgb = 0;
        const auto [stop, error] = std::from_chars(text.data() + 1, text.data() + 7, rgb, 16);
        if (error != std::errc() || stop != text.data() + 7) return false;
        colour = {static_cast<float>((rgb >> 16) & 0xFF) * kByteToUnit,
                  static_cast<float>((rgb >> 8) & 0xFF) * kByteToUnit, static_cast<float>(rgb & 0xFF) * kByteToUnit};
        return true;
    }
    Fields f{text.data(), text.data() + text.size()};
    float c[3];
    for (float& component : c) {
        double value = 0;
        if (!ParseNumber(NextField(f), value) || std::isnan(value)) return false;
        component = static_cast<float>(value < 0 ? 0 : value > 1 ? 1 : value);
    }
    colour = {c[0], c[1], c[2]};
    return true;
}

GocadType TypeOf(std::string_view field) {
    if (field == "TSurf") return GocadType::TSurf;
    if (field == "PLine") return GocadType::PLine;
    if (field == "VSet") return GocadType::VSet;
    return GocadType::Other;
}

// The file's name without its folders and its extension.
std::string FileStem(const std::string& file) {
    std::string_view name = file;
    const size_t slash = name.find_last_of("/\\");
    if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot != std::string_view::npos && dot > 0) name = name.substr(0, dot);
    return std::string(name);
}

std::string_view BaseName(const std::string& file) {
    std::string_view name = file;
    const size_t slash = name.find_last_of("/\\");
    if (slash != std::string_view::npos) name.remove_prefix(slash + 1);
    return name;
}

struct Reader {
    SceneModel& scene;
    SceneLoadObserver& observer;
    std::vector<SkippedRow>& skipped;
    const std::string& file;
    std::string stem;
    int objectsSeen = 0;
    int objectsAdded = 0;
};

void Skip(Reader& r, int64_t line, RowFault fault) { r.skipped.push_back({r.file, line, fault}); }

// One entry of a header: "key:value", or a ZPOSITIVE line without a colon.
void ReadHeaderEntry(GocadObject& obj, std::string_view entry) {
    entry = Trim(entry);
    if (!entry.empty() && entry.front() == '{') entry = Trim(entry.substr(1));
    const size_t colon = entry.find(':');
    std::string_view key, value;
    if (colon == std::string_view::npos) {
        Fields f{entry.data(), entry.data() + entry.size()};
        key = NextField(f);
        value = NextField(f);
    } else {
        key = Trim(entry.substr(0, colon));
        value = Trim(entry.substr(colon + 1));
    }
    if (key == "name") {
        if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
        obj.name.assign(value);
        obj.named = true;
    } else if (key == "ZPOSITIVE") {
        obj.depthDown = EqualsIgnoringCase(value, "Depth");
    } else if (key == "color") {
        obj.plainColour = ParseColour(value, obj.plain) || obj.plainColour;
    } else if ((key == "*solid*color" && obj.type == GocadType::TSurf) ||
               (key == "*line*color" && obj.type == GocadType::PLine) ||
               (key == "*atoms*color" && obj.type == GocadType::VSet)) {
        obj.ownColour = ParseColour(value, obj.colour) || obj.ownColour;
    }
}

// VRTX or PVRTX "id x y z [values]", and PATOM's values: a vertex the lines after it
// may name by its id. With `withValues` the numbers after z are the properties' values.
void ReadValues(GocadObject& obj, Fields& f, bool withValues) {
    const size_t count = obj.propertyNames.size();
    for (size_t k = 0; k < count; ++k) {
        double value = std::numeric_limits<double>::quiet_NaN();
        if (withValues) {
            if (!ParseNumber(NextField(f), value)) value = std::numeric_limits<double>::quiet_NaN();
            // Only the first number of a property of several is kept.
            for (int32_t extra = 1; extra < obj.propertySizes[k]; ++extra) (void)NextField(f);
            if (obj.hasNoData[k] && value == obj.noData[k]) value = std::numeric_limits<double>::quiet_NaN();
        }
        obj.values.push_back(NarrowToFloat(value));
    }
}

bool HasRoomForVertex(const GocadObject& obj) {
    return obj.positions.size() / 3 < static_cast<size_t>(std::numeric_limits<int32_t>::max());
}

void ReadVertex(Reader& r, GocadObject& obj, Fields& f, int64_t line, bool withValues) {
    int64_t id = 0;
    double p[3];
    if (!ParseId(NextField(f), id) || !ParseNumber(NextField(f), p[0]) || !ParseNumber(NextField(f), p[1]) ||
        !ParseNumber(NextField(f), p[2])) {
        Skip(r, line, RowFault::BadVertex);
        return;
    }
    float q[3];
    for (int i = 0; i < 3; ++i) {
        q[i] = NarrowToFloat(p[i]);
        if (!std::isfinite(q[i])) {
            Skip(r, line, RowFault::BadVertex);
            return;
        }
    }
    if (!HasRoomForVertex(obj)) {
        Skip(r, line, RowFault::BadVertex);
        return;
    }
    const auto vertex = static_cast<int32_t>(obj.positions.size() / 3);
    obj.positions.insert(obj.positions.end(), q, q + 3);
    ReadValues(obj, f, withValues);
    AddVertexId(obj.ids, id, vertex);
}

// ATOM "id vid" and PATOM "id vid values": a new id at the position of vertex vid,
// with vid's values (ATOM) or its own (PATOM).
void ReadAtom(Reader& r, GocadObject& obj, Fields& f, int64_t line, bool withValues) {
    int64_t id = 0, of = 0;
    if (!ParseId(NextField(f), id) || !ParseId(NextField(f), of) || !HasRoomForVertex(obj)) {
        Skip(r, line, RowFault::BadVertex);
        return;
    }
    const int32_t source = FindVertex(obj.ids, of);
    if (source < 0) {
        Skip(r, line, RowFault::UnknownVertex);
        return;
    }
    const auto vertex = static_cast<int32_t>(obj.positions.size() / 3);
    for (int i = 0; i < 3; ++i) obj.positions.push_back(obj.positions[3 * static_cast<size_t>(source) + i]);
    const size_t count = obj.propertyNames.size();
    if (withValues) {
        ReadValues(obj, f, true);
    } else {
        for (size_t k = 0; k < count; ++k) obj.values.push_back(obj.values[count * static_cast<size_t>(source) + k]);
    }
    AddVertexId(obj.ids, id, vertex);
}

// TRGL "a b c" or SEG "a b": the element joins the object only when every id names a vertex.
void ReadElement(Reader& r, GocadObject& obj, Fields& f, int64_t line, int corners) {
    int32_t vertices[3];
    for (int i = 0; i < corners; ++i) {
        int64_t id = 0;
        vertices[i] = ParseId(NextField(f), id) ? FindVertex(obj.ids, id) : -1;
        if (vertices[i] < 0) {
            Skip(r, line, RowFault::UnknownVertex);
            return;
        }
    }
    obj.corners.insert(obj.corners.end(), vertices, vertices + corners);
}

void ReadProperties(GocadObject& obj, Fields& f) {
    // Values already read have their columns: names coming after the first vertex are ignored.
    if (!obj.positions.empty()) return;
    obj.propertyNames.clear();
    for (std::string_view name = NextField(f); !name.empty(); name = NextField(f)) obj.propertyNames.emplace_back(name);
    obj.propertySizes.assign(obj.propertyNames.size(), 1);
    obj.noData.assign(obj.propertyNames.size(), 0.0);
    obj.hasNoData.assign(obj.propertyNames.size(), false);
}

void ReadSizes(GocadObject& obj, Fields& f) {
    if (!obj.positions.empty()) return;
    for (int32_t& size : obj.propertySizes) {
        int64_t value = 0;
        // A size beyond any real property is taken as 1, so that a bad line cannot make
        // every PVRTX skip its values.
        if (ParseId(NextField(f), value) && value >= 1 && value <= 1024) size = static_cast<int32_t>(value);
    }
}

void ReadNoDataValues(GocadObject& obj, Fields& f) {
    for (size_t k = 0; k < obj.noData.size(); ++k) {
        double value = 0;
        if (!ParseNumber(NextField(f), value)) break;
        obj.noData[k] = value;
        obj.hasNoData[k] = true;
    }
}

// The vertex number of element corner `i`: a point set draws its vertices in order.
inline int32_t CornerVertex(const GocadObject& obj, int64_t i) {
    return obj.type == GocadType::VSet ? static_cast<int32_t>(i) : obj.corners[static_cast<size_t>(i)];
}

// Puts a finished object into the scene, when it has something to draw and its memory
// can be had.
void AddObject(Reader& r, GocadObject& obj) {
    if (obj.type == GocadType::Other) return;
    const int32_t perElement = obj.type == GocadType::TSurf ? 3 : obj.type == GocadType::PLine ? 2 : 1;
    const int64_t vertexCount = static_cast<int64_t>(obj.positions.size() / 3);
    const int64_t drawn = obj.type == GocadType::VSet ? vertexCount : static_cast<int64_t>(obj.corners.size());
    const int64_t elements = drawn / perElement;
    if (elements == 0) return;
    if (int64_t{VerticesOfObjects(r.scene)} + elements * perElement > std::numeric_limits<int32_t>::max()) return;

    const ObjectKind kind = obj.type == GocadType::TSurf   ? ObjectKind::T3
                            : obj.type == GocadType::PLine ? ObjectKind::LIN
                                                           : ObjectKind::PTS;
    const SourceFormat format = obj.type == GocadType::TSurf   ? SourceFormat::GocadTSurf
                                : obj.type == GocadType::PLine ? SourceFormat::GocadPLine
                                                               : SourceFormat::GocadVSet;
    Colour3 colour = obj.type == GocadType::TSurf ? kSurfaceColour
                     : obj.type == GocadType::PLine ? kLineColour
                                                    : kPointColour;
    if (obj.ownColour) {
        colour = obj.colour;
    } else if (obj.plainColour) {
        colour = obj.plain;
    }

    ObjectValues values;
    std::string name;
    try {
        const size_t count = obj.propertyNames.size();
        values.columns.resize(count);
        for (size_t k = 0; k < count; ++k) {
            ValueColumn& column = values.columns[k];
            column.name = obj.propertyNames[k];
            column.numbers.resize(static_cast<size_t>(drawn));
            for (int64_t i = 0; i < drawn; ++i) {
                const auto vertex = static_cast<size_t>(CornerVertex(obj, i));
                column.numbers[static_cast<size_t>(i)] = obj.values[count * vertex + k];
            }
        }
        name = obj.named ? obj.name : obj.number <= 1 ? r.stem : r.stem + " " + std::to_string(obj.number);
    } catch (const std::bad_alloc&) {
        return;
    }
    if (!ReserveObjectStorage(r.scene, perElement, elements)) return;

    SceneModel& scene = r.scene;
    scene.kindCount[static_cast<int>(kind)] += 1;
    BeginObject(scene, kind, static_cast<int32_t>(elements), perElement);
    scene.objectFormats.back() = format;
    values.ownColour = {colour.r, colour.g, colour.b, 1.0f};
    scene.objectValues.back() = std::move(values);

    SceneVertex* out = scene.sceneVertices.data() + scene.firstStored.back();
    const float zSign = obj.depthDown ? -1.0f : 1.0f;
    for (int64_t e = 0; e < elements; ++e) {
        SceneVertex* v = out + e * perElement;
        for (int corner = 0; corner < perElement; ++corner) {
            const float* p = obj.positions.data() + 3 * static_cast<size_t>(CornerVertex(obj, e * perElement + corner));
            const float z = p[2] * zSign;
            v[corner].position[0] = p[0];
            v[corner].position[1] = z;
            v[corner].position[2] = p[1];
            v[corner].normal[0] = v[corner].normal[1] = v[corner].normal[2] = 0.0f;
            v[corner].colour[0] = colour.r;
            v[corner].colour[1] = colour.g;
            v[corner].colour[2] = colour.b;
            v[corner].colour[3] = 1.0f;
            GrowBounds(scene, p[0], p[1], z);
        }
        if (perElement == 3) {
            // The face normal as a scene file's T3 triangle gets it.
            float nx, ny, nz;
            FaceNormal(v[0].position, v[1].position, v[2].position, nx, ny, nz);
            for (int corner = 0; corner < 3; ++corner) {
                v[corner].normal[0] = nx;
                v[corner].normal[1] = ny;
                v[corner].normal[2] = nz;
            }
        }
    }
    scene.boundsFromFile = false;
    scene.objectCount = CountObjects(scene);
    AnnounceObjectName(scene, r.observer, kind, std::move(name));
    ++r.objectsAdded;
}

// Ends the object being read: into the scene with it, and its memory given back.
void FinishObject(Reader& r, GocadObject& obj, bool& inObject) {
    if (inObject) {
        try {
            AddObject(r, obj);
        } catch (const std::bad_alloc&) {
            // A name or a menu entry that could not be had: the object is not shown.
        }
    }
    obj = GocadObject{};
    inObject = false;
}

void StartObject(Reader& r, GocadObject& obj, bool& inObject, Fields& f) {
    FinishObject(r, obj, inObject);
    obj.type = TypeOf(NextField(f));
    obj.number = ++r.objectsSeen;
    inObject = true;
}

// The body of a HEADER line after its keyword: "{", "{key:value}" or "{key:value".
// Returns whether the header goes on over the next lines.
bool ReadHeaderLine(GocadObject& obj, std::string_view rest) {
    const size_t open = rest.find('{');
    if (open != std::string_view::npos) rest = rest.substr(open + 1);
    const size_t close = rest.find('}');
    if (!Trim(rest.substr(0, close)).empty()) ReadHeaderEntry(obj, rest.substr(0, close));
    return close == std::string_view::npos;
}

}  // namespace

bool IsGocadText(std::string_view text) { return text.substr(0, 6) == "GOCAD "; }

ReadProblem ReadGocadText(SceneModel& scene, std::string_view text, const std::string& file,
                          SceneLoadObserver& observer, std::vector<SkippedRow>& skipped) {
    Reader r{scene, observer, skipped, file, FileStem(file)};
    observer.ProgressShown(BaseName(file));
    const char* const begin = text.data();
    const char* const end = begin + text.size();
    const auto total = static_cast<int64_t>(text.size());
    int lastPercent = 0;
    int64_t nextProgressAt = (total + 99) / 100;

    GocadObject obj;
    bool inObject = false;
    Block block = Block::None;
    int64_t line = 0;
    for (const char* p = begin; p < end;) {
        const auto* newline = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(end - p)));
        const char* lineEnd = newline != nullptr ? newline : end;
        ++line;
        Fields f{p, lineEnd};
        const std::string_view key = NextField(f);
        const std::string_view whole(p, static_cast<size_t>(lineEnd - p));
        p = newline != nullptr ? newline + 1 : end;

        try {
            // A block missing its closing line ends at the object's END or the next object.
            if (block != Block::None && (key == "END" || key == "GOCAD")) block = Block::None;
            switch (block) {
                case Block::Header: {
                    const size_t close = whole.find('}');
                    ReadHeaderEntry(obj, whole.substr(0, close));
                    if (close != std::string_view::npos) block = Block::None;
                    break;
                }
                case Block::CoordinateSystem:
                    if (key == "END_ORIGINAL_COORDINATE_SYSTEM") {
                        block = Block::None;
                    } else if (key == "ZPOSITIVE") {
                        obj.depthDown = EqualsIgnoringCase(NextField(f), "Depth");
                    }
                    break;
                case Block::Braces:
                    if (whole.find('}') != std::string_view::npos) block = Block::None;
                    break;
                case Block::None:
                    if (key.empty() || key.front() == '#') break;
                    if (key == "GOCAD") {
                        StartObject(r, obj, inObject, f);
                        break;
                    }
                    if (!inObject || obj.type == GocadType::Other) {
                        if (key == "END") FinishObject(r, obj, inObject);
                        break;
                    }
                    if (key == "VRTX" || key == "PVRTX") {
                        ReadVertex(r, obj, f, line, key.size() == 5);
                    } else if (key == "TRGL") {
                        if (obj.type == GocadType::TSurf) ReadElement(r, obj, f, line, 3);
                    } else if (key == "SEG") {
                        if (obj.type == GocadType::PLine) ReadElement(r, obj, f, line, 2);
                    } else if (key == "ATOM" || key == "PATOM") {
                        ReadAtom(r, obj, f, line, key.size() == 5);
                    } else if (key == "TFACE" || key == "ILINE") {
                        // Parts of one object: the ids stay those of the whole object.
                    } else if (key == "END") {
                        FinishObject(r, obj, inObject);
                    } else if (key.substr(0, 6) == "HEADER" && (key.size() == 6 || key[6] == '{')) {
                        // "HEADER {", "HEADER {name:x}" or "HEADER{name:x}".
                        const char* rest = key.data() + 6;
                        if (ReadHeaderLine(obj, std::string_view(rest, static_cast<size_t>(lineEnd - rest)))) {
                            block = Block::Header;
                        }
                    } else if (key == "GOCAD_ORIGINAL_COORDINATE_SYSTEM") {
                        block = Block::CoordinateSystem;
                    } else if (key == "ZPOSITIVE") {
                        obj.depthDown = EqualsIgnoringCase(NextField(f), "Depth");
                    } else if (key == "PROPERTIES") {
                        ReadProperties(obj, f);
                    } else if (key == "ESIZES") {
                        ReadSizes(obj, f);
                    } else if (key == "NO_DATA_VALUES") {
                        ReadNoDataValues(obj, f);
                    } else {
                        // Any other keyword is skipped; one that opens a brace block
                        // skips the block up to its closing brace.
                        const size_t open = whole.find('{');
                        if (open != std::string_view::npos && whole.find('}', open) == std::string_view::npos) {
                            block = Block::Braces;
                        }
                    }
                    break;
            }
        } catch (const std::bad_alloc&) {
            // The object's memory could not be had: it is dropped, and the file read on.
            obj = GocadObject{};
            inObject = false;
            block = Block::None;
        }

        const int64_t done = p - begin;
        if (done >= nextProgressAt) {
            const int percent = static_cast<int>(done * 100 / total);
            if (percent != lastPercent) observer.ProgressChanged(percent);
            lastPercent = percent;
            nextProgressAt = ((int64_t{percent} + 1) * total + 99) / 100;
        }
    }
    FinishObject(r, obj, inObject);
    observer.ProgressClosed();
    return r.objectsAdded > 0 ? ReadProblem::None : ReadProblem::NoObjects;
}

}  // namespace talan
