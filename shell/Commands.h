// The commands of the menu bar, dispatched by identifier for the menus, the
// command line and tests alike, and the load of a scene file with its menu entries
// and progress bar. Every switch a command turns lives in the records; the menus'
// check marks are drawn from them.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "render/GraphicsState.h"
#include "render/ViewState.h"
#include "scene/SceneFileReader.h"
#include "scene/SceneModel.h"
#include "shell/Dialogs.h"
#include "shell/Records.h"
#include "shell/Menus.h"
#include "shell/ProgressBar.h"
#include "shell/ShellState.h"

class QMenuBar;
class QWidget;

namespace talan {

class ObjectsPanel;

// The status line: the text it shows (empty hides it) and all it has to tell, its
// tool tip.
struct StatusLine {
    std::string text;
    std::string toolTip;
};

// Everything a command reads or changes. Only the records and the dialogs are
// needed: without a window (the command-line modes) the rest stays empty.
struct ShellContext {
    Records& records;
    Dialogs& dialogs;
    MenuHandles* menus = nullptr;         // the menu bar that shows the records; none without a window
    ObjectsPanel* objectsPanel = nullptr; // the objects panel, which shows them too; none without a window
    QWidget* mainWindow = nullptr;        // owner of the dialogs and the progress bar's reference
    std::function<int32_t()> upload = {};     // makes the vertex buffer from the scene, in the drawing context
    std::function<void()> closeWindow = {};   // ends the program as the window's close box does
    std::function<void()> endDrags = {};      // releases the mouse: every drag ends
    std::function<void()> refresh = {};       // the picture changed: draw a frame
    std::function<void(const StatusLine&)> showStatus = {};  // the status line; empty text hides it
    std::function<void(const std::string&)> copyText = {};    // puts text on the clipboard
    bool showProgress = true;             // progress windows while a section is read
    int progressShowDelayMs = kProgressShowDelayMs;  // a load shows its progress window once it has run this long
};

// What one load read, for the message that says why it failed.
struct LoadReport {
    std::string path;  // empty when the dialog was cancelled
    SceneReadResult read;
    int32_t status = kStatusOk;
};

// Loads the start-up file (the command line's, once) or asks for one, reads it into
// the scene with its menu entries, smooths when asked, uploads and fits the camera.
// Returns 0 (also when the dialog is cancelled) or the load's failure status, and
// fills `report` when one is given.
int32_t LoadSceneFile(ShellContext& ctx, LoadReport* report = nullptr);
// The same, and when the load fails the read error's message box, which names the
// file and why, in the language of the menus: as New, Open (Add), a drop and the
// start-up file load.
int32_t LoadSceneFileWithMessage(ShellContext& ctx);

// Carries out the command of a menu entry by changing the records, then shows them
// (check marks, a frame). Returns the command's result: 0, or the failure status of
// a re-upload.
int32_t DispatchCommand(ShellContext& ctx, const Command& command);
// The same for a command identifier as --info reports them (see CommandOfIdentifier).
int32_t DispatchCommand(ShellContext& ctx, int32_t id);
// The same for several commands in a row, shown once at the end: the objects panel
// switches thousands of objects at a time. Returns the last command's result.
int32_t DispatchCommands(ShellContext& ctx, const std::vector<Command>& commands);

// Whether the switch of a command is on, read from the records: the check mark its
// entry shows. None for a command that switches nothing.
std::optional<bool> SwitchState(const ShellContext& ctx, const Command& command);

// Sets every check mark of the menus, and the objects panel's check boxes and whether
// it is shown, from the records: the only place that sets them.
void ShowCheckMarks(const ShellContext& ctx);

// Fills the menu bar in the language's texts, with the check marks of the records;
// choosing an entry dispatches its command in `ctx`, which must outlive the bar.
void BuildMenus(ShellContext& ctx, QMenuBar* menuBar);

}  // namespace talan
