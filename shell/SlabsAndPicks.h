// Reading the model: a section slab stepped through it, what a click on the picture
// picks, and measurements between two picked points, with the status line that
// tells about them in the interface's language.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "render/Picking.h"
#include "shell/ShellContext.h"

namespace talan {

// Carries out a section or measurement command (kCommandSectionX to
// kCommandCopyResult) on the records; false for any other command.
bool RunSlabOrPickCommand(ShellContext& ctx, int32_t id);

// The switch of a section or measurement command, for its check mark; none for the
// others.
std::optional<bool> SlabOrPickSwitch(const ShellContext& ctx, int32_t id);

// A click on the picture picked this: during a measurement it is the next point (a
// click on the background adds none); otherwise it is what the status line tells,
// and Ctrl+C copies, until the next click.
void Picked(ShellContext& ctx, const PickResult& pick);

// Forgets the pick, the measurement and the slab, as a new scene does.
void ClearSlabAndPicks(ShellContext& ctx);

// The status line: where the slab is (and whether anything shown lies in it), what
// the last click picked, the measurement; empty when there is none of them. A
// finished measurement is shown alone, the whole text being the tool tip.
StatusLine StatusText(const ShellContext& ctx);

}  // namespace talan
