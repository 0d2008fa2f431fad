// What a saved view keeps, and the slots of every set of scene files: the records'
// part of the saved views (shell/SavedViews.h has what works on them).
#pragma once

#include <array>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "render/ViewState.h"
#include "shell/CommandIds.h"

namespace talan {

// What a slot keeps of the view.
struct SavedView {
    std::array<float, 3> target{};
    float distance = 0.0f, yaw = 0.0f, pitch = 0.0f, exaggeration = 1.0f;
    SectionSlab section;
    bool operator==(const SavedView& other) const {
        return target == other.target && distance == other.distance && yaw == other.yaw && pitch == other.pitch &&
               exaggeration == other.exaggeration && section.axis == other.section.axis &&
               section.centre == other.section.centre && section.thickness == other.section.thickness;
    }
};

using ViewSlots = std::array<std::optional<SavedView>, kSavedViewSlots>;

struct SavedViews {
    // Every set's slots, by the set's key: its sorted paths joined by line ends.
    std::map<std::string, ViewSlots> sets;
    std::vector<std::string> files;  // the absolute paths loaded since the last New, sorted, once each
    bool changed = false;            // a view was saved in this run
};

}  // namespace talan
