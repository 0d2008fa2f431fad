#include "scene/ValueColours.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>

namespace talan {

namespace {

// Colours as 0xRRGGBB.
struct MapTable {
    const char* name;
    const uint32_t* colours;
    int count;  // evenly spaced from the low end (first) to the high end (last)
};

// Samples of the published perceptually uniform maps at ninths of the range (their
// data are in the public domain), and of a rainbow of sixteenths.
constexpr uint32_t kViridis[] = {0x440154, 0x472D7B, 0x3B528B, 0x2C728E, 0x21908C,
                                 0x27AD81, 0x5DC863, 0xAADC32, 0xFDE725};
constexpr uint32_t kPlasma[] = {0x0D0887, 0x4C02A1, 0x7E03A8, 0xA92395, 0xCC4678,
                                0xE56B5D, 0xF89441, 0xFDC328, 0xF0F921};
constexpr uint32_t kInferno[] = {0x000004, 0x1F0C48, 0x550F6D, 0x88226A, 0xBA3655,
                                 0xE35932, 0xF98C0A, 0xF9C932, 0xFCFFA4};
constexpr uint32_t kMagma[] = {0x000004, 0x1D1147, 0x51127C, 0x822681, 0xB63679,
                               0xE65164, 0xFB8861, 0xFEC287, 0xFCFDBF};
constexpr uint32_t kCividis[] = {0x00204D, 0x414D6B, 0x7C7B78, 0xBCAF6F, 0xFFEA46};
constexpr uint32_t kTurbo[] = {0x30123B, 0x493EAF, 0x446AEE, 0x3295F7, 0x26BDE1, 0x29DDBB,
                               0x40F392, 0x66FD6D, 0x96FA50, 0xC6EB3B, 0xEED02D, 0xFFAB24,
                               0xFF801D, 0xEE5415, 0xC92D0C, 0xA11202, 0x7A0403};
constexpr uint32_t kGreys[] = {0x000000, 0xFFFFFF};

constexpr MapTable kMaps[kColourMapCount] = {
    {"viridis", kViridis, 9}, {"plasma", kPlasma, 9},  {"inferno", kInferno, 9}, {"magma", kMagma, 9},
    {"cividis", kCividis, 5}, {"turbo", kTurbo, 17}, {"greys", kGreys, 2},
};

// Twelve colours told apart at a glance, none of them grey.
constexpr uint32_t kCategoryColours[12] = {0xE6194B, 0x3CB44B, 0x4363D8, 0xF58231, 0x911EB4, 0x42D4F4,
                                           0xF032E6, 0xBFEF45, 0xFFE119, 0x9A6324, 0xFABED4, 0x008080};

float Channel(uint32_t colour, int shift) { return static_cast<float>((colour >> shift) & 0xFF) / 255.0f; }

std::array<float, 4> FromHex(uint32_t colour) {
    return {Channel(colour, 16), Channel(colour, 8), Channel(colour, 0), 1.0f};
}

// A channel of 0..1 rounded to whole 255ths.
float Whole255ths(float channel) { return std::round(channel * 255.0f) / 255.0f; }

// Each map as kSteps + 1 colours from its low end to its high end, each between the
// map's two nearest samples; a number takes the nearest of them. kSteps a multiple of
// every map's sample spacing, so that the samples themselves are among them.
constexpr int kSteps = 256;
using StepColours = std::array<std::array<float, 4>, kSteps + 1>;

StepColours MakeSteps(const MapTable& table) {
    StepColours steps{};
    for (int step = 0; step <= kSteps; ++step) {
        const double at = static_cast<double>(step) / kSteps * (table.count - 1);
        const int below = std::min(static_cast<int>(at), table.count - 2);
        const float share = static_cast<float>(at - below);
        const std::array<float, 4> a = FromHex(table.colours[below]), b = FromHex(table.colours[below + 1]);
        steps[static_cast<size_t>(step)] = {Whole255ths(a[0] + (b[0] - a[0]) * share),
                                            Whole255ths(a[1] + (b[1] - a[1]) * share),
                                            Whole255ths(a[2] + (b[2] - a[2]) * share), 1.0f};
    }
    return steps;
}

// The colour at t in 0..1 along a map.
const std::array<float, 4>& AlongMap(ColourMap map, double t) {
    static const std::array<StepColours, kColourMapCount> kAllSteps = [] {
        std::array<StepColours, kColourMapCount> all{};
        for (int m = 0; m < kColourMapCount; ++m) all[static_cast<size_t>(m)] = MakeSteps(kMaps[m]);
        return all;
    }();
    // NaN (infinite limits) and below 0 at the low end.
    const double at = (t > 0.0 ? std::min(t, 1.0) : 0.0) * kSteps + 0.5;
    return kAllSteps[static_cast<size_t>(map)][static_cast<size_t>(at)];
}

const ValueColumn* FindColumn(const ObjectValues& values, const std::string& name) {
    for (const ValueColumn& column : values.columns) {
        if (column.name == name) return &column;
    }
    return nullptr;
}

// Calls paint(vertex, count, colour) for each value-carrying vertex group of object
// `object`: its vertices from `firstVertex` on, `verticesPerValue` at a time (the last
// group may be short), group i taking colourOf(i).
template <typename ColourOf>
void PaintGroups(SceneModel& scene, size_t object, const ObjectValues& values, ColourOf colourOf) {
    const int64_t count = int64_t{scene.elementCounts[object]} * scene.verticesPerElement[object];
    const int64_t per = std::max<int64_t>(values.verticesPerValue, 1);
    if (count <= values.firstVertex) return;
    SceneVertex* vertices = &scene.sceneVertices[static_cast<size_t>(scene.firstStored[object])];
    for (int64_t v = std::max<int64_t>(values.firstVertex, 0), group = 0; v < count; v += per, ++group) {
        const std::array<float, 4> colour = colourOf(group);
        const int64_t end = std::min(v + per, count);
        for (int64_t i = v; i < end; ++i) std::copy(colour.begin(), colour.end(), vertices[i].colour);
    }
}

}  // namespace

const char* ColourMapName(ColourMap map) {
    const int index = static_cast<int>(map);
    return index >= 0 && index < kColourMapCount ? kMaps[index].name : "viridis";
}

std::optional<ColourMap> ColourMapNamed(std::string_view name) {
    for (int i = 0; i < kColourMapCount; ++i) {
        if (name == kMaps[i].name) return static_cast<ColourMap>(i);
    }
    return std::nullopt;
}

std::string ColourMapNames() {
    std::string names;
    for (int i = 0; i < kColourMapCount; ++i) names += (i > 0 ? ", " : "") + std::string(kMaps[i].name);
    return names;
}

std::array<float, 4> MissingValueColour() { return FromHex(0x808080); }

std::array<float, 4> NumberColour(ColourMap map, double value, double low, double high) {
    if (std::isnan(value)) return MissingValueColour();
    if (!(high != low)) return AlongMap(map, 0.5);
    return AlongMap(map, (value - low) / (high - low));
}

std::array<float, 4> CategoryColour(int32_t category) {
    if (category < 0) return MissingValueColour();
    return FromHex(kCategoryColours[category % 12]);
}

std::vector<std::string> ValueNames(const SceneModel& scene) {
    std::vector<std::string> names;
    for (const ObjectValues& values : scene.objectValues) {
        for (const ValueColumn& column : values.columns) {
            if (std::find(names.begin(), names.end(), column.name) == names.end()) names.push_back(column.name);
        }
    }
    return names;
}

Legend ApplyColourBy(SceneModel& scene, const ColourBy& by) {
    Legend legend;
    legend.name = by.value;
    legend.map = by.map;
    const size_t objects = std::min(scene.objectValues.size(), scene.elementCounts.size());
    // The first object that carries the value decides its kind.
    bool found = false;
    for (size_t k = 0; k < objects && !found && !by.value.empty(); ++k) {
        if (const ValueColumn* column = FindColumn(scene.objectValues[k], by.value)) {
            found = true;
            legend.categories = column->text;
        }
    }
    legend.shown = found;
    // The limits of the numbers, and the categories of all objects merged by text.
    bool anyNumber = false;
    double low = 0.0, high = 0.0;
    std::unordered_map<std::string, int32_t> categoryIndex;
    for (size_t k = 0; k < objects && found; ++k) {
        const ValueColumn* column = FindColumn(scene.objectValues[k], by.value);
        if (column == nullptr || column->text != legend.categories) continue;
        if (legend.categories) {
            for (const std::string& text : column->categoryNames) {
                if (categoryIndex.emplace(text, static_cast<int32_t>(legend.categoryNames.size())).second) {
                    legend.categoryNames.push_back(text);
                }
            }
            continue;
        }
        for (float number : column->numbers) {
            if (std::isnan(number)) continue;
            low = anyNumber ? std::min(low, double{number}) : number;
            high = anyNumber ? std::max(high, double{number}) : number;
            anyNumber = true;
        }
    }
    if (by.rangeSet) {
        low = by.low;
        high = by.high;
    }
    legend.low = low;
    legend.high = high;

    const std::array<float, 4> missing = MissingValueColour();
    std::vector<int32_t> toShared;  // an object's category indices as the legend's
    for (size_t k = 0; k < objects; ++k) {
        const ObjectValues& values = scene.objectValues[k];
        if (values.columns.empty() || IsBlockModel(scene, k)) continue;
        const ValueColumn* column = found ? FindColumn(values, by.value) : nullptr;
        if (column != nullptr && column->text != legend.categories) column = nullptr;
        if (column == nullptr) {
            PaintGroups(scene, k, values, [&](int64_t) { return values.ownColour; });
        } else if (column->text) {
            toShared.clear();
            for (const std::string& text : column->categoryNames) toShared.push_back(categoryIndex[text]);
            const int64_t size = static_cast<int64_t>(column->categories.size());
            // The legend's few colours, worked out once.
            std::vector<std::array<float, 4>> colours(legend.categoryNames.size());
            for (size_t c = 0; c < colours.size(); ++c) colours[c] = CategoryColour(static_cast<int32_t>(c));
            PaintGroups(scene, k, values, [&](int64_t group) {
                if (group >= size) return missing;
                const int32_t local = column->categories[static_cast<size_t>(group)];
                if (local < 0 || static_cast<size_t>(local) >= toShared.size()) return missing;
                return colours[static_cast<size_t>(toShared[static_cast<size_t>(local)])];
            });
        } else {
            const int64_t size = static_cast<int64_t>(column->numbers.size());
            PaintGroups(scene, k, values, [&](int64_t group) {
                if (group >= size) return missing;
                return NumberColour(by.map, column->numbers[static_cast<size_t>(group)], low, high);
            });
        }
    }
    return legend;
}

}  // namespace talan
