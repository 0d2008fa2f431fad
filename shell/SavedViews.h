// Saved views: Ctrl+1 … Ctrl+9 keep the camera of the current view in a slot, 1 … 9
// bring it back. The slots belong to the set of scene files loaded since the last New
// (the sorted list of their absolute paths), so the same files loaded again find them;
// they are kept between runs in "views.cfg" beside config.cfg, rewritten at shutdown
// only when the run saved a view. The file's text, line by line:
//   set                 starts a set of scene files
//   file PATH           one absolute path of the set (the rest of the line)
//   view N TX TY TZ DISTANCE YAW PITCH EXAGGERATION AXIS CENTRE THICKNESS
//                       slot N (1 to 9) of the set: the camera target (file axes), its
//                       distance, yaw and pitch (degrees), the vertical exaggeration,
//                       and the section slab (AXIS x, y, z, or none with CENTRE and
//                       THICKNESS 0)
// A line of any other form, a number that is not finite or out of range, or a set
// without files is skipped; a later line for the same slot wins.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "render/ViewState.h"
#include "scene/Status.h"
#include "shell/CommandIds.h"
#include "shell/SavedViewSlots.h"

namespace talan {

struct ShellContext;

inline constexpr char kSavedViewsFile[] = "views.cfg";

// The key of the files loaded since the last New, whose slots are the current ones.
std::string SavedViewsKey(const std::vector<std::string>& files);

// A file that loaded joins the current set; New empties it.
void NoteSceneFileLoaded(SavedViews& views, const std::string& absolutePath);

// The slots of the current set; none saved (all empty) for a set without any.
ViewSlots CurrentViewSlots(const SavedViews& views);

SavedView ViewOf(const ViewState& view);
void RestoreView(ViewState& view, const SavedView& saved);

// Carries out a save or restore command; false for any other identifier. An empty
// slot changes nothing and says so in the status line.
bool RunSavedViewCommand(ShellContext& ctx, int32_t id);

// A slot's menu label in a language, e.g. "1  yaw 30, pitch 45, ×2".
std::string SavedViewLabel(int slot, const std::optional<SavedView>& saved, uint32_t language);

// The sets of a file's text, and the text of the sets (those with a saved slot).
std::map<std::string, ViewSlots> ReadSavedViewsText(std::string_view text);
std::string SavedViewsText(const std::map<std::string, ViewSlots>& sets);

// Reads `path`; nothing from a missing or unreadable file.
std::map<std::string, ViewSlots> LoadSavedViews(const std::string& path);

// Rewrites `path` whole or leaves it as it was (as SaveSettings does).
Failure SaveSavedViews(const std::string& path, const std::map<std::string, ViewSlots>& sets);

}  // namespace talan
