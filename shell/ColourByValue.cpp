#include "shell/ColourByValue.h"

#include <vector>

#include "scene/ValueColours.h"
#include "shell/CommandIds.h"

namespace talan {

static_assert(kColourMapCount <= kColourMapEntries, "every colour map needs a command identifier");

int32_t ColourByValue(ShellContext& ctx, const std::string& value) {
    ViewState& view = ctx.records.view;
    view.colourBy.value = value;
    // Limits belong to the value they were set for.
    view.colourBy.rangeSet = false;
    view.legend = ApplyColourBy(ctx.records.scene, view.colourBy);
    return ctx.host.Upload();
}

std::optional<int32_t> RunColourCommand(ShellContext& ctx, int32_t id) {
    if (id == kCommandOwnColours) return ColourByValue(ctx, std::string());
    if (id >= kCommandColourByValue1 && id < kCommandColourByValue1 + kColourByValueEntries) {
        const std::vector<std::string> names = ValueNames(ctx.records.scene);
        const auto k = static_cast<size_t>(id - kCommandColourByValue1);
        if (k >= names.size()) return kStatusOk;
        return ColourByValue(ctx, names[k]);
    }
    if (id >= kCommandColourMap1 && id < kCommandColourMap1 + kColourMapCount) {
        ViewState& view = ctx.records.view;
        view.colourBy.map = static_cast<ColourMap>(id - kCommandColourMap1);
        if (view.colourBy.value.empty()) return kStatusOk;  // nothing drawn by a map changes
        view.legend = ApplyColourBy(ctx.records.scene, view.colourBy);
        return ctx.host.Upload();
    }
    return std::nullopt;
}

std::optional<bool> ColourSwitchState(const Records& records, int32_t id) {
    const ColourBy& by = records.view.colourBy;
    if (id == kCommandOwnColours) return by.value.empty();
    if (id >= kCommandColourByValue1 && id < kCommandColourByValue1 + kColourByValueEntries) {
        // Every command's mark is read after each command: the scene's values are
        // gathered only while some value is chosen.
        if (by.value.empty()) return false;
        const std::vector<std::string> names = ValueNames(records.scene);
        const auto k = static_cast<size_t>(id - kCommandColourByValue1);
        return k < names.size() && names[k] == by.value;
    }
    if (id >= kCommandColourMap1 && id < kCommandColourMap1 + kColourMapCount) {
        return static_cast<int32_t>(by.map) == id - kCommandColourMap1;
    }
    return std::nullopt;
}

void ForgetColourBy(Records& records) {
    records.view.colourBy.value.clear();
    records.view.colourBy.rangeSet = false;
    records.view.legend = Legend{};
}

}  // namespace talan
