// The commands of the menu bar, dispatched by identifier for the menus, the keys,
// the objects panel, the command line and tests alike, and the load of a scene file.
// Every switch a command turns lives in the records; the host draws the check marks
// from them once the commands are carried out.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "scene/SceneFileReader.h"
#include "shell/CommandIds.h"
#include "shell/ShellContext.h"

namespace talan {

// How one file of a load went.
struct FileLoad {
    std::string path;
    SceneReadResult read;
    int32_t status = kStatusOk;  // the file's read failure, else the whole load's status
};

// What one load read, for the messages that say why it failed.
struct LoadReport {
    // The first file that failed, or the last file when none did; the path is empty
    // when the dialog was cancelled.
    std::string path;
    SceneReadResult read;
    int32_t status = kStatusOk;
    std::vector<FileLoad> files;       // every file of the load, in order
    std::vector<SkippedRow> skipped;   // rows skipped where the rest of a file was read
};

// Loads the pending files (the command line's, a drop's, a recent file) or asks for
// some, reads them together into the scene with their menu entries, smooths when
// asked, uploads and fits the camera. Returns 0 (also when the dialog is cancelled)
// or the first failing file's status, and fills `report` when one is given.
int32_t LoadSceneFile(ShellContext& ctx, LoadReport* report = nullptr);
// The same, and for each file that fails the read error's message box, which names
// the file and why, in the language of the menus, then one box that lists the rows
// skipped: as New, Open (Add), a drop and the start-up files load.
int32_t LoadSceneFileWithMessage(ShellContext& ctx);

// Carries out the command of a menu entry by changing the records, then has the host
// show them (check marks, status line, a frame). Returns the command's result: 0, or
// the failure status of a re-upload.
int32_t DispatchCommand(ShellContext& ctx, const Command& command);
// The same for a command identifier as --info reports them (see CommandOfIdentifier).
int32_t DispatchCommand(ShellContext& ctx, int32_t id);
// The same for several commands in a row, shown once at the end: the objects panel
// switches thousands of objects at a time. Returns the last command's result.
int32_t DispatchCommands(ShellContext& ctx, const std::vector<Command>& commands);

// Whether the switch of a command is on, read from the records: the check mark its
// entry shows. None for a command that switches nothing.
std::optional<bool> SwitchState(const ShellContext& ctx, const Command& command);

}  // namespace talan
