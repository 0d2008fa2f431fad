// Mouse and wheel control of the camera and the light: what each gesture changes in
// the view state, to the number. The window turns Qt's events into these calls.
#pragma once

#include <cstdint>

#include "render/ViewState.h"

namespace talan {

enum class MouseButton { Left, Right, Middle };

struct InputKeys {
    bool control = false;
    bool shift = false;
    bool extraButton1 = false;  // the first extra mouse button is held
};

// A button goes down at the cursor's screen position; it starts the drag its keys and
// the auto-turn mode select. Drags started earlier are kept.
void PressMouseButton(ViewState& view, MouseButton button, InputKeys keys, int32_t x, int32_t y);

// Any button released: every drag ends.
void ReleaseMouseButtons(ViewState& view);

// The cursor moved to (x, y) on the screen: one step per axis of the first drag in
// order (turn, light, auto-turn speed, slow zoom, pan, light spin). `clientHeight` is
// the drawing area's height in pixels, the unit of the pan.
void MoveMouse(ViewState& view, int32_t x, int32_t y, uint32_t clientHeight);

// One wheel step, towards the user when `delta` is negative.
void TurnWheel(ViewState& view, int32_t delta, InputKeys keys);

// One notch of an ordinary wheel, in eighths of a degree.
inline constexpr int32_t kWheelNotch = 120;

// Wheel deltas add up to whole notches: fine wheels and touchpads send many small
// ones. Adds `delta` to `pending` and returns the whole notches completed (negative
// towards the user), keeping the rest; a turn the other way drops the rest first.
int32_t WheelSteps(int32_t& pending, int32_t delta);

// Whether any drag is in progress.
bool Dragging(const ViewState& view);

}  // namespace talan
