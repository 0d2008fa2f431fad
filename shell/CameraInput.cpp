#include "shell/CameraInput.h"

#include <algorithm>
#include <cmath>

#include "render/CameraMath.h"

namespace talan {

namespace {

// One step on one axis: `value` changes by `step` when the cursor has travelled the
// threshold left or up (d ≥ T) and by −step when right or down (d ≤ −T); only a step
// moves the axis's reference to the cursor.
void StepAxis(int32_t d, int32_t threshold, float& value, float step, int32_t& reference, int32_t position) {
    if (d >= threshold) {
        value += step;
        reference = position;
    } else if (d <= -threshold) {
        value -= step;
        reference = position;
    }
}

// Vertical steps of a turning drag: the pitch follows the cursor, within ±89 degrees.
void StepPitch(ViewState& view, int32_t dy, int32_t y) {
    StepAxis(dy, view.dragThreshold, view.cameraPitch, -1.0f, view.lastCursorY, y);
    view.cameraPitch = std::clamp(view.cameraPitch, -89.0f, 89.0f);
}

void Pan(ViewState& view, int32_t dx, int32_t dy, int32_t x, int32_t y, uint32_t clientHeight) {
    const int32_t t = view.dragThreshold;
    const float h = static_cast<float>(clientHeight);
    const float yaw = view.cameraYaw * kDegreesToRadians;
    const float pitch = view.cameraPitch * kDegreesToRadians;
    auto& target = view.cameraTarget;
    if (dy >= t || dy <= -t) {
        // Along the camera's up direction, so the scene follows the cursor.
        const float k = static_cast<float>(dy) * view.sceneSize / h;
        // The target is in file units; a vertical exaggeration draws its elevation
        // taller, so it moves less for the same travel on screen.
        target[2] -= std::cos(pitch) * k / view.exaggeration;
        target[0] -= std::sin(yaw) * std::sin(pitch) * k;
        target[1] -= std::cos(yaw) * std::sin(pitch) * k;
        view.lastCursorY = y;
    }
    if (dx >= t || dx <= -t) {
        const float m = static_cast<float>(dx) * view.sceneSize / h;  // the height is the unit of both axes
        target[0] += std::cos(yaw) * m;
        target[1] -= std::sin(yaw) * m;
        view.lastCursorX = x;
    }
}

// A level changed by 0.05 in double precision and stored as a float, stopping at the
// bounds as the comparisons in double leave it.
void StepLevel(float& value, bool down, double highest) {
    const double current = value;
    if (down) {
        if (current >= 0.05) value = static_cast<float>(current - 0.05);
    } else {
        if (current <= highest) value = static_cast<float>(current + 0.05);
    }
}

}  // namespace

void PressMouseButton(ViewState& view, MouseButton button, InputKeys keys, int32_t x, int32_t y) {
    if (button == MouseButton::Middle) return;
    view.lastCursorX = x;
    view.lastCursorY = y;
    if (button == MouseButton::Left) {
        if (keys.control) {
            view.lightDirectionDrag = true;
        } else if (view.autoTurnMode) {
            view.autoTurnDrag = true;
        } else {
            view.rotateDrag = true;
        }
    } else if (keys.shift) {
        view.slowZoomDrag = true;
    } else if (keys.control) {
        view.lightSpinDrag = true;
    } else {
        view.panDrag = true;
    }
}

void ReleaseMouseButtons(ViewState& view) {
    view.rotateDrag = view.lightDirectionDrag = view.autoTurnDrag = false;
    view.slowZoomDrag = view.panDrag = view.lightSpinDrag = false;
}

bool Dragging(const ViewState& view) {
    return view.rotateDrag || view.lightDirectionDrag || view.autoTurnDrag || view.slowZoomDrag || view.panDrag ||
           view.lightSpinDrag;
}

void MoveMouse(ViewState& view, int32_t x, int32_t y, uint32_t clientHeight) {
    const int32_t dx = view.lastCursorX - x;  // positive when the cursor moved left
    const int32_t dy = view.lastCursorY - y;  // positive when the cursor moved up
    const int32_t t = view.dragThreshold;
    if (view.rotateDrag) {
        StepPitch(view, dy, y);
        StepAxis(dx, t, view.cameraYaw, -1.0f, view.lastCursorX, x);
    } else if (view.lightDirectionDrag) {
        StepAxis(dy, t, view.lightElevation, 1.0f, view.lastCursorY, y);
        StepAxis(dx, t, view.lightAzimuth, -1.0f, view.lastCursorX, x);
        view.lightElevation = std::clamp(view.lightElevation, -90.0f, 90.0f);
    } else if (view.autoTurnDrag) {
        StepPitch(view, dy, y);
        if (x > view.lastCursorX) {
            view.autoTurnSpeed += 1.0f;
            view.lastCursorX = x;
        } else if (x < view.lastCursorX) {
            view.autoTurnSpeed -= 1.0f;
            view.lastCursorX = x;
        }
        view.autoTurnSpeed = std::clamp(view.autoTurnSpeed, -45.0f, 45.0f);
    } else if (view.slowZoomDrag) {
        StepAxis(dy, t, view.cameraDistance, -(0.01f * view.sceneSize), view.lastCursorY, y);
        view.cameraDistance = std::max(view.cameraDistance, 1.0f);
    } else if (view.panDrag) {
        Pan(view, dx, dy, x, y, clientHeight);
    } else if (view.lightSpinDrag) {
        if (x > view.lastCursorX) {
            view.lightSpinSpeed -= 1.0f;
            view.lastCursorX = x;
        } else if (x < view.lastCursorX) {
            view.lightSpinSpeed += 1.0f;
            view.lastCursorX = x;
        } else {
            view.lightSpinSpeed = 0.0f;
        }
        view.lightSpinSpeed = std::clamp(view.lightSpinSpeed, -5.0f, 5.0f);
    }
}

void TurnWheel(ViewState& view, int32_t delta, InputKeys keys) {
    const bool towardsUser = delta < 0;
    if (keys.control) {
        StepLevel(view.ambientIntensity, towardsUser, 1.95);
    } else if (keys.shift) {
        StepLevel(view.transparencyLevel, towardsUser, 0.95);
    } else if (keys.extraButton1) {
        if (towardsUser) {
            view.cameraDistance += 0.01f * view.sceneSize;
        } else if (view.cameraDistance >= view.sceneSize * 0.2004008016032064) {
            view.cameraDistance -= 0.01f * view.sceneSize;
        }
    } else {
        if (towardsUser) {
            view.cameraDistance += 0.1f * view.sceneSize;
        } else if (view.cameraDistance >= 0.0f) {
            view.cameraDistance -= 0.1f * view.sceneSize;
        }
        if (view.cameraDistance < 1.0f) view.cameraDistance = 1.0f;
    }
}

int32_t WheelSteps(int32_t& pending, int32_t delta) {
    if ((pending < 0 && delta > 0) || (pending > 0 && delta < 0)) pending = 0;
    const int64_t total = int64_t{pending} + delta;
    const int64_t steps = total / kWheelNotch;  // rounded towards zero: the rest keeps the sign
    pending = static_cast<int32_t>(total - steps * kWheelNotch);
    return static_cast<int32_t>(steps);
}

}  // namespace talan
