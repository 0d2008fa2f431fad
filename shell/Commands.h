// The commands of the menu bar, dispatched by identifier for the menus and tests
// alike, and the load of a scene file with its menu entries and progress bar.
#pragma once

#include <cstdint>
#include <functional>

#include "render/GraphicsState.h"
#include "render/ViewState.h"
#include "scene/SceneModel.h"
#include "shell/Dialogs.h"
#include "shell/Menus.h"
#include "shell/ShellState.h"

class QWidget;

namespace talan {

// Everything a command reads or changes.
struct ShellContext {
    ShellState& shell;
    ViewState& view;
    SceneModel& scene;
    GraphicsState& graphics;
    MenuHandles& menus;
    Dialogs& dialogs;
    QWidget* mainWindow = nullptr;        // owner of the dialogs and the progress bar's reference
    std::function<int32_t()> upload = {};     // makes the vertex buffer from the scene, in the drawing context
    std::function<void()> closeWindow = {};   // ends the program as the window's close box does
    std::function<void()> endDrags = {};      // releases the mouse: every drag ends
    std::function<void()> refresh = {};       // the picture changed: draw a frame
    bool showProgress = true;             // progress windows while a section is read
};

inline constexpr char kReadErrorText[] = "Error en la lectura del fichero.";

// Loads the start-up file (the command line's, once) or asks for one, reads it into
// the scene with its menu entries, smooths when asked, uploads and fits the camera.
// Returns 0 (also when the dialog is cancelled) or the load's failure status.
int32_t LoadSceneFile(ShellContext& ctx);

// Carries out the command of a menu entry. Returns the command's result: 0, or the
// failure status of a re-upload.
int32_t DispatchCommand(ShellContext& ctx, const Command& command);
// The same for a command identifier as --info reports them (see CommandOfIdentifier).
int32_t DispatchCommand(ShellContext& ctx, int32_t id);

}  // namespace talan
