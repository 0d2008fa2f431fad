// Colouring objects by the values they carry: the colour maps of numbers, the
// colours of categories, the rewrite of the vertex colours and what the legend of
// that colouring shows.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "scene/SceneModel.h"

namespace talan {

// The colour maps numbers are coloured with, low values at the first colour.
enum class ColourMap : int { Viridis = 0, Plasma, Inferno, Magma, Cividis, Turbo, Greys };
inline constexpr int kColourMapCount = 7;

// The lower-case name of a map: "viridis", "plasma", ...
const char* ColourMapName(ColourMap map);

// The map of a lower-case name; none for any other text.
std::optional<ColourMap> ColourMapNamed(std::string_view name);

// The names of all maps, separated by ", ", for messages.
std::string ColourMapNames();

// What to colour by: the value's name (empty: every object in its own colours), the
// map, and the limits of the numbers when they are set rather than taken from the data.
struct ColourBy {
    std::string value;
    ColourMap map = ColourMap::Viridis;
    bool rangeSet = false;
    double low = 0.0, high = 0.0;
};

// What the legend shows: the numbers from `low` to `high` in `map`, or the names of the
// categories, each in CategoryColour of its index.
struct Legend {
    bool shown = false;
    std::string name;
    bool categories = false;
    ColourMap map = ColourMap::Viridis;
    double low = 0.0, high = 0.0;
    std::vector<std::string> categoryNames;
};

// Names of the values the scene's objects carry, in order of first appearance
// (objects in order, columns in order), each once.
std::vector<std::string> ValueNames(const SceneModel& scene);

// Rewrites the colours of the value-carrying vertices of every object with values: by
// the named value where the object carries it, otherwise (and for an empty name) back
// to the object's own colour; vertices before the object's firstVertex are left alone.
// The first object that carries the name decides whether it is a number or a text:
// an object whose column of that name is of the other kind keeps its own colour.
// Numbers are coloured between the legend's `low` and `high`: the value's minimum and
// maximum over all objects (NaN ignored), unless `by.rangeSet`. Texts are coloured as
// categories, the same text in the same colour in every object, the legend listing
// the texts in order of first appearance. A value missing in a vertex group (NaN,
// category -1, or past the end of the column) takes MissingValueColour. Block models
// keep their colours. Returns the legend, not shown when no object carries the value.
Legend ApplyColourBy(SceneModel& scene, const ColourBy& by);

// The colour of `value` in `map` between `low` and `high`: the map's first colour at
// `low` and below, its last at `high` and above; NaN takes MissingValueColour; when
// `low` equals `high`, every number takes the map's middle colour. The map is taken in
// 256 even steps (the colour of the nearest of its 257 step ends), every channel a whole
// number of 255ths, so the colour drawn is the one given; alpha is 1.
std::array<float, 4> NumberColour(ColourMap map, double value, double low, double high);

// The colour of category `category`: twelve distinct colours, repeated from the
// thirteenth on; -1 (and any negative index) takes MissingValueColour.
std::array<float, 4> CategoryColour(int32_t category);

// The neutral grey of a missing value: 128/255 in each channel, alpha 1.
std::array<float, 4> MissingValueColour();

}  // namespace talan
