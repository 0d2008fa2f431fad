// What a read of a scene file tells while it runs, and why it stops: shared by the
// file's reader and the readers of its sections.
#pragma once

#include <cstdint>
#include <string_view>

#include "scene/SceneModel.h"

namespace talan {

// What a load shows the user while it runs: the per-object menu entries and the
// progress bar of each section. The shell implements it with menus and a progress
// window; tests record the calls. Every call has a default that does nothing.
struct SceneLoadObserver {
    virtual ~SceneLoadObserver() = default;
    // A new object is known by its name: its entry goes into its kind's submenu with
    // `menuId` (checked), and for T3 and block models into the Transparent submenu
    // with `transparencyMenuId` (unchecked); it is -1 for kinds without that entry.
    virtual void ObjectAnnounced(int32_t /*objectIndex*/, ObjectKind /*kind*/, std::string_view /*rawName*/,
                                 int32_t /*menuId*/, int32_t /*transparencyMenuId*/) {}
    // The progress bar of one section: shown at 0 with the object's name, moved up to
    // 100 (only when the percentage changes), then closed.
    virtual void ProgressShown(std::string_view /*rawTitle*/) {}
    virtual void ProgressChanged(int /*percent*/) {}
    virtual void ProgressClosed() {}
};

// Why a file could not be read, or was read only in part. These are reasons, not
// texts: the shell words them in the user's language.
enum class ReadProblem {
    None,
    NotFound,      // no such file (or a folder on the way is missing)
    Folder,        // the path names a folder
    NoPermission,  // the file may not be read
    NotAFile,      // a device, a pipe or a socket: it could go on for ever
    Empty,         // the file holds no byte
    NoSignature,   // line 1 does not carry "Tavrin" at positions 1 to 6
    CountRefused,  // a section's count is negative or asks for more vertices than a 32-bit count holds
    OutOfMemory,   // the memory for the file or for a section could not be had
    CutShort,      // another program shortened the file while it was read
    SystemError,   // the system refused the file for another reason: `systemError` says which
};

}  // namespace talan
