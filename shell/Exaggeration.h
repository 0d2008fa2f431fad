// Vertical exaggeration from the menu and the keys: stepping the factor through
// kExaggerationSteps, or choosing one of them.
#pragma once

#include <cstdint>
#include <optional>

#include "shell/ShellContext.h"

namespace talan {

// The next step above (`up`) or below `current`; `current` itself past the last
// step that way. A factor between two steps (from the command line) goes to the
// nearer one the way asked.
float SteppedExaggeration(float current, bool up);

// Carries out an exaggeration command; false for any other identifier.
bool RunExaggerationCommand(ShellContext& ctx, int32_t id);

// The check mark of a factor's entry: on where it is the factor drawn; nothing for
// other identifiers.
std::optional<bool> ExaggerationSwitch(const ShellContext& ctx, int32_t id);

}  // namespace talan
