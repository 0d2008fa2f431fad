// Reading scene files ("Tavrin" text files of T3, LIN, SUP, BLKKDX, PTS and SONKDX
// sections) into the scene model.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "scene/ReadTypes.h"
#include "scene/SceneModel.h"

namespace talan {

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

// Opens the file at `path` for reading when it is a regular file that holds
// something, and gives its size: the descriptor, which the caller closes, or -1 with
// the reason in `failed` (NotFound, Folder, NoPermission, NotAFile, Empty or the
// system's error).
int OpenFileToRead(const std::string& path, size_t& size, SceneReadResult& failed);

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
