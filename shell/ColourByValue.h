// Colouring objects by a value they carry: the commands of the View menu's "Colour by"
// and "Colour map" submenus and of the objects panel's list, over the records.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "shell/Records.h"
#include "shell/ShellContext.h"

namespace talan {

// Colours the scene by the value named `value` (empty: every object in its own
// colours), keeps the map and limits chosen, and uploads the new colours. Returns the
// upload's status.
int32_t ColourByValue(ShellContext& ctx, const std::string& value);

// Carries out a command of the colour submenus; none when `id` is not one of them,
// else the upload's status. A value entry past the values the scene carries does
// nothing.
std::optional<int32_t> RunColourCommand(ShellContext& ctx, int32_t id);

// The check mark of a colour command's entry; none for other commands.
std::optional<bool> ColourSwitchState(const Records& records, int32_t id);

// Forgets the value coloured by and its legend, keeping the colour map: after New.
void ForgetColourBy(Records& records);

}  // namespace talan
