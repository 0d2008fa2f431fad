// Reloading the scene when a file it was read from changes on disk: the decisions and
// the reload itself, without Qt. The window watches the files and calls
// LoadedFilesChanged once a changed file has been quiet for a moment.
#pragma once

#include <string>
#include <vector>

#include "scene/SceneFileReader.h"
#include "scene/SceneModel.h"
#include "shell/ShellContext.h"

namespace talan {

// How long a changed file must stay unchanged before it is read again: editors write
// a file in several steps.
inline constexpr int kReloadQuietMs = 300;

// Gives each object of `after` the visibility and transparency of the object of
// `before` with the same name; the n-th object of a name takes the flags of the n-th
// of that name before. Objects with a new name keep their defaults.
void KeepFlagsByName(const SceneModel& before, SceneModel& after);

// Why a reload was refused: the file that failed and its read.
struct ReloadFailure {
    std::string path;
    SceneReadResult read;
    int32_t status = kStatusFail;
};

// Reads `paths` in turn into `fresh`, which starts empty. False, with `failure`
// filled, when a file cannot be read whole (no signature, cut short, not there) or
// the files give no vertex: such a file is most likely still being written.
bool ReadSceneFilesAgain(const std::vector<std::string>& paths, SceneModel& fresh, ReloadFailure& failure);

// Reads every file loaded since the last New again and shows the new scene with the
// camera, the slab and each object's flags (by name) of the old one. When the files
// cannot be read, the scene shown stays and the status line says why. Returns
// whether the scene was replaced.
bool ReloadLoadedFiles(ShellContext& ctx);

// Files of the scene changed on disk: reloads at once when "Follow changes" is on,
// else when the user agrees. False when nothing was done because a load is under
// way (the window tries again later).
bool LoadedFilesChanged(ShellContext& ctx, const std::vector<std::string>& changed);

}  // namespace talan
