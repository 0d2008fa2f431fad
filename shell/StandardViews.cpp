#include "shell/StandardViews.h"

#include "shell/CommandIds.h"

namespace talan {

namespace {

struct StandardView {
    int32_t command;
    const char* name;  // as --view takes it
    float yaw, pitch;  // degrees
};

// At pitch 0 the camera looks level towards its yaw's heading: yaw 0 faces north
// (+y), 90 east (+x), 180 south and 270 west. At pitch 90 it looks straight down
// with that heading up on the picture, so the plan view takes yaw 0 for north up.
constexpr StandardView kStandardViews[] = {
    {kCommandPlanView, "plan", 0.0f, 90.0f},
    {kCommandLookNorth, "north", 0.0f, 0.0f},
    {kCommandLookSouth, "south", 180.0f, 0.0f},
    {kCommandLookEast, "east", 90.0f, 0.0f},
    {kCommandLookWest, "west", 270.0f, 0.0f},
};

}  // namespace

bool TurnToStandardView(ViewState& view, int32_t id) {
    for (const StandardView& standard : kStandardViews) {
        if (standard.command != id) continue;
        view.cameraYaw = standard.yaw;
        view.cameraPitch = standard.pitch;
        return true;
    }
    return false;
}

std::optional<int32_t> StandardViewOfName(std::string_view name) {
    for (const StandardView& standard : kStandardViews) {
        if (name == standard.name) return standard.command;
    }
    return std::nullopt;
}

}  // namespace talan
