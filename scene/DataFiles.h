// Reading the files of one load, whatever their format: scene files ("Tavrin"), GOCAD
// ASCII objects, and the collar, survey and interval tables of drill holes, which make
// one set of holes when opened together.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "scene/ReadTypes.h"
#include "scene/SceneFileReader.h"
#include "scene/SceneModel.h"

namespace talan {

// The formats a file can be read as.
enum class DataFormat { SceneFile, Gocad, Table };

// The format of a file from its name and its first bytes: GOCAD when the first line
// begins with "GOCAD ", a table when it is not a scene file and either its name ends
// in .csv, .tsv or .txt or its first line holds a comma, semicolon or tab; a scene
// file otherwise, which the scene-file reader accepts or refuses by its signature.
DataFormat SniffDataFormat(std::string_view path, std::string_view head);
// The same for the file at `path`, from its first bytes; a file that cannot be read is
// a scene file, which the scene-file reader then refuses with the reason.
DataFormat SniffDataFile(const std::string& path);

// The files of `paths` in loads of their own, as the shell loads them: every scene file
// and GOCAD file alone, in order, and the tables all together where the first of them
// stands, so that they make one set of drill holes.
std::vector<std::vector<std::string>> LoadGroups(const std::vector<std::string>& paths);

// How one file of a load went.
struct DataFileRead {
    std::string path;
    DataFormat format = DataFormat::SceneFile;
    SceneReadResult read;  // read false, with the reason, when nothing of it joined the scene
};

// How a load of several files went: each file, and the rows skipped where the rest
// was read.
struct DataFilesRead {
    std::vector<DataFileRead> files;
    std::vector<SkippedRow> skipped;
    // The results together, for the end of the load: read when any file was read, and
    // the first problem of the files in their order.
    SceneReadResult Combined() const;
};

// Reads the files at `paths` into `scene`, after the objects already there, in the
// order given. The tables among them are read last, as one set of drill holes placed
// by its collar tables; survey and interval tables opened without a collar table are
// refused. The observer may be null.
DataFilesRead ReadDataFiles(SceneModel& scene, const std::vector<std::string>& paths, SceneLoadObserver* observer);

}  // namespace talan
