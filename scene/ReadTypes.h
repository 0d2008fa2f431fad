// What a read of a scene file tells while it runs, and why it stops: shared by the
// file's reader and the readers of its sections.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <string_view>
#include <vector>

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
    NotATable,     // a delimited text file whose header names no collar, survey or interval table
    NoCollarTable, // a survey or interval table opened without a collar table to place its holes
    NoObjects,     // a GOCAD file that holds no object with anything to draw
};

// Why one row or record of a file was skipped while the rest was read. Reasons, not
// texts: the shell words them.
enum class RowFault {
    HoleWithoutCollar,    // a survey or interval row names a hole the collar table lacks
    DuplicateCollar,      // a second collar row for the same hole id
    FromNotBelowTo,       // an interval whose FROM is not less than its TO
    OverlappingInterval,  // an interval that begins above the end of the hole's previous one
    NotANumber,           // a coordinate, depth or angle field that is not a finite number
    MissingField,         // the row has fewer fields than its header names
    UnknownVertex,        // a GOCAD TRGL, SEG or ATOM names a vertex id no VRTX gave
    BadVertex,            // a GOCAD VRTX or PVRTX line without an id and three numbers
};

// One skipped row: the file, the line counted from 1, and why.
struct SkippedRow {
    std::string file;
    int64_t line = 0;
    RowFault fault = RowFault::NotANumber;
};

// Registers the name of the object BeginObject made last and tells the observer, as a
// scene file's sections announce theirs: the entry goes into its kind's submenu, and
// both menu-id counters move on by two.
inline void AnnounceObjectName(SceneModel& scene, SceneLoadObserver& observer, ObjectKind kind, std::string name) {
    const auto index = static_cast<int32_t>(scene.objectNames.size());
    scene.objectNames.push_back(std::move(name));
    const int32_t transparencyId = KindHasTransparencyEntry(kind) ? scene.nextTransparencyMenuId : -1;
    observer.ObjectAnnounced(index, kind, scene.objectNames.back(), scene.nextObjectMenuId, transparencyId);
    scene.nextObjectMenuId += 2;
    scene.nextTransparencyMenuId += 2;
}

}  // namespace talan
