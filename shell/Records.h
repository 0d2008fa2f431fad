// The four records of a running program. Each host owns one value and passes it
// whole: the viewer's window, a command-line run, a test.
#pragma once

#include "render/GraphicsState.h"
#include "render/ViewState.h"
#include "scene/SceneModel.h"
#include "shell/ShellState.h"

namespace talan {

struct Records {
    ShellState shell;
    ViewState view;
    SceneModel scene;
    GraphicsState graphics;
};

}  // namespace talan
