#include "shell/Exaggeration.h"

#include <iterator>

#include "shell/CommandIds.h"

namespace talan {

static_assert(std::size(kExaggerationSteps) == kExaggerationEntries, "one menu entry per step");

float SteppedExaggeration(float current, bool up) {
    if (up) {
        for (float step : kExaggerationSteps) {
            if (step > current) return step;
        }
        return current;
    }
    for (auto step = std::rbegin(kExaggerationSteps); step != std::rend(kExaggerationSteps); ++step) {
        if (*step < current) return *step;
    }
    return current;
}

bool RunExaggerationCommand(ShellContext& ctx, int32_t id) {
    float& factor = ctx.records.view.exaggeration;
    if (id == kCommandExaggerationUp || id == kCommandExaggerationDown) {
        factor = SteppedExaggeration(factor, id == kCommandExaggerationUp);
    } else if (id >= kCommandExaggeration1 && id < kCommandExaggeration1 + kExaggerationEntries) {
        factor = kExaggerationSteps[id - kCommandExaggeration1];
    } else {
        return false;
    }
    return true;
}

std::optional<bool> ExaggerationSwitch(const ShellContext& ctx, int32_t id) {
    if (id < kCommandExaggeration1 || id >= kCommandExaggeration1 + kExaggerationEntries) return std::nullopt;
    return ctx.records.view.exaggeration == kExaggerationSteps[id - kCommandExaggeration1];
}

}  // namespace talan
