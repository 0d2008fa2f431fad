// The standard views: plan (straight down, north up on the picture) and level views
// towards north, south, east and west. Each turns the camera about its target and
// keeps the target and the distance.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "render/ViewState.h"

namespace talan {

// Turns the camera to the standard view of command `id` (kCommandPlanView to
// kCommandLookWest); false, with the view untouched, for any other command.
bool TurnToStandardView(ViewState& view, int32_t id);

// The command of a view's name as --view takes it ("plan", "north", ...), or nothing
// for a name no view has.
std::optional<int32_t> StandardViewOfName(std::string_view name);

}  // namespace talan
