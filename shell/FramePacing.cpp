#include "shell/FramePacing.h"

#include <algorithm>
#include <cmath>

namespace talan {

float NextMovingScale(float scale, double seconds) {
    if (!(seconds > 0)) return std::clamp(scale, kLeastMovingScale, 1.0f);
    const double ratio = std::min(std::sqrt(kMovingFrameAim / seconds), 1.25);
    return std::clamp(static_cast<float>(scale * ratio), kLeastMovingScale, 1.0f);
}

}  // namespace talan
