// Input scripts: mouse, wheel and key events written one per line, which --render
// and --pick feed to the view before they draw, through the very calls the window's
// events reach (CameraInput.h for the mouse and the wheel, the menu entries' keys of
// CommandNames.h for the keyboard).
//
//   press BUTTON X Y [ctrl] [shift]   BUTTON left, right or middle goes down at pixel X,Y
//   move X Y                          the cursor moves to pixel X,Y
//   release                           the buttons go up: every drag ends
//   wheel DELTA [ctrl] [shift] [x1]   the wheel turns DELTA eighths of a degree, 120 a
//                                     notch, negative towards the user; x1: the first
//                                     extra mouse button is held
//   key NAME [ctrl] [shift] [alt]     a key of a menu entry is typed
//
// Pixels are those of the picture drawn, counted from its top left corner. A '#'
// starts a comment; blank lines are skipped. Between the events no frame is drawn:
// a turning speed that a drag sets moves the picture by one frame's turn, that of the
// picture drawn, as the window's first frame after the drag does.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "render/ViewState.h"
#include "scene/Status.h"
#include "shell/CameraInput.h"
#include "shell/CommandNames.h"

namespace talan {

struct InputEvent {
    enum class Kind { Press, Move, Release, Wheel, Key };
    Kind kind = Kind::Release;
    int32_t line = 0;  // in the script, from 1
    MouseButton button = MouseButton::Left;
    int32_t x = 0, y = 0;
    int32_t delta = 0;       // a wheel's
    InputKeys keys;          // the keys and extra button held, for a press or the wheel
    int32_t command = 0;     // a key's menu command
};

// Reads a script. Fails with FailureKind::Usage and "line N: ..." for the first line
// that is not one of the forms above, or whose key chooses no menu entry (one of the
// window's own keys, such as Escape, is refused with what it does there).
Failure ParseInputScript(const std::string& text, std::vector<InputEvent>& events);

// Feeds the events to `view`, as the window's drawing area does, for a picture of
// width x height pixels; `dispatch` carries out a key's menu command. Fails with
// FailureKind::Usage at a press outside the picture.
Failure ReplayInput(const std::vector<InputEvent>& events, ViewState& view, int32_t width, int32_t height,
                    const std::function<void(int32_t command)>& dispatch);

}  // namespace talan
