// Scenes built in code for the tests of colouring by value: line objects whose
// segments lie side by side, with the values the caller gives them.
#pragma once

#include <array>
#include <string>

#include <gtest/gtest.h>

#include "scene/SceneModel.h"

namespace talan::testing {

// Adds a SONKDX object of `segments` segments in its own colour `colour`: segment s runs
// east from (x + 10 s, y) to (x + 10 s + 6, y) at elevation 0. Returns the object's
// index; the caller fills its ObjectValues.
inline size_t AddSegments(SceneModel& scene, const std::string& name, int32_t segments, float x, float y,
                          std::array<float, 4> colour) {
    EXPECT_TRUE(ReserveObjectStorage(scene, 2, segments));
    BeginObject(scene, ObjectKind::SONKDX, segments, 2);
    scene.objectNames.push_back(name);
    ++scene.kindCount[static_cast<int>(ObjectKind::SONKDX)];
    scene.objectCount = CountObjects(scene);
    const size_t object = scene.objectNames.size() - 1;
    scene.objectValues[object].ownColour = colour;
    SceneVertex* vertices = &scene.sceneVertices[static_cast<size_t>(scene.firstStored[object])];
    for (int32_t v = 0; v < 2 * segments; ++v) {
        const float px = x + 10.0f * static_cast<float>(v / 2) + (v % 2 == 1 ? 6.0f : 0.0f);
        vertices[v] = {{px, 0.0f, y}, {0.0f, 0.0f, 0.0f}, {colour[0], colour[1], colour[2], colour[3]}};
        GrowBounds(scene, px, y, 0.0f);
    }
    return object;
}

// A column of numbers.
inline ValueColumn NumberColumn(const std::string& name, std::vector<float> numbers) {
    ValueColumn column;
    column.name = name;
    column.numbers = std::move(numbers);
    return column;
}

// A column of texts, given as indices into `names`.
inline ValueColumn TextColumn(const std::string& name, std::vector<int32_t> categories,
                              std::vector<std::string> names) {
    ValueColumn column;
    column.name = name;
    column.text = true;
    column.categories = std::move(categories);
    column.categoryNames = std::move(names);
    return column;
}

}  // namespace talan::testing
