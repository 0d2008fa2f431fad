// Reading scene files ("Tavrin" text files of T3, LIN, SUP, BLKKDX, PTS and SONKDX
// sections) into the scene model.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "scene/SceneModel.h"

namespace talan {

// What a failed load shows, in either language.
inline constexpr char kReadErrorText[] = "Error en la lectura del fichero.";

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

// The reason for a failed open(), fstat() or read() of a scene file, from its errno.
ReadProblem ReadProblemOfError(int error);

// How reading one file went.
struct SceneReadResult {
    // The file was read and carried the signature: its sections are in the scene and
    // the load goes on (smoothing, upload, camera fit). When false the scene model is
    // exactly as it was.
    bool read = false;
    // A section was refused as a whole (negative count, more vertices than a 32-bit
    // count holds, or no memory for them); the rest of the file was read.
    bool sectionRefused = false;
    // Another program shortened the file while it was read: what was lost read as NUL
    // bytes.
    bool cutShort = false;
    // The first problem met, in the order of the file.
    ReadProblem problem = ReadProblem::None;
    // The line of the file it concerns, counted from 1: the tag line of a refused
    // section (count or memory), the line where a shortened file now ends. 0 where the
    // problem concerns the whole file.
    int64_t line = 0;
    // The errno of a SystemError.
    int systemError = 0;

    int32_t Status() const { return read && !sectionRefused && !cutShort ? kStatusOk : kStatusFail; }
};

// Reads the scene file at `path` into `scene`, after the objects already there.
// The observer may be null; its calls all come from the calling thread. Large
// sections are read by `workers` threads (0: one per core, at most eight), with the
// same result as one thread gives.
SceneReadResult ReadSceneFile(SceneModel& scene, const std::string& path, SceneLoadObserver* observer,
                              int workers = 0);

// The same for a scene file already in memory; the text is not changed.
SceneReadResult ReadSceneText(SceneModel& scene, std::string_view text, SceneLoadObserver* observer,
                              int workers = 0);

}  // namespace talan
