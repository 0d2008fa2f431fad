#include "scene/DataFiles.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cerrno>
#include <cstring>
#include <new>
#include <utility>

#include "scene/DrillHoles.h"
#include "scene/GocadReader.h"

namespace talan {

namespace {

constexpr size_t kHeadBytes = 4096;

bool EndsWithNoCase(std::string_view text, std::string_view end) {
    if (text.size() < end.size()) return false;
    for (size_t i = 0; i < end.size(); ++i) {
        char c = text[text.size() - end.size() + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != end[i]) return false;
    }
    return true;
}

bool NamedAsTable(std::string_view path) {
    return EndsWithNoCase(path, ".csv") || EndsWithNoCase(path, ".tsv") || EndsWithNoCase(path, ".txt");
}

// The first bytes of the file, or nothing when it cannot be opened as a regular file:
// the scene-file reader then says why.
std::string ReadHead(const std::string& path) {
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return {};
    struct stat info {};
    std::string head;
    if (fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        head.resize(kHeadBytes);
        ssize_t got;
        do {
            got = read(fd, head.data(), head.size());
        } while (got < 0 && errno == EINTR);
        head.resize(got > 0 ? static_cast<size_t>(got) : 0);
    }
    close(fd);
    return head;
}

// The whole text of a file of another format than scene files. False, with the reason
// in `failed`, when it cannot be read.
bool ReadWholeText(const std::string& path, std::string& text, SceneReadResult& failed) {
    size_t expected = 0;
    const int fd = OpenFileToRead(path, expected, failed);
    if (fd < 0) return false;
    try {
        text.resize(expected);
    } catch (const std::bad_alloc&) {
        close(fd);
        failed.problem = ReadProblem::OutOfMemory;
        return false;
    }
    size_t size = 0;
    while (size < text.size()) {
        const ssize_t got = read(fd, text.data() + size, text.size() - size);
        if (got == 0) break;  // shortened meanwhile: what is there is read
        if (got < 0) {
            if (errno == EINTR) continue;
            failed.problem = ReadProblemOfError(errno);
            failed.systemError = errno;
            close(fd);
            return false;
        }
        size += static_cast<size_t>(got);
    }
    close(fd);
    text.resize(size);
    if (text.empty()) {
        failed.problem = ReadProblem::Empty;
        return false;
    }
    return true;
}

SceneReadResult Refused(ReadProblem problem) {
    SceneReadResult result;
    result.problem = problem;
    return result;
}

SceneReadResult ReadGocadFile(SceneModel& scene, const std::string& path, SceneLoadObserver& observer,
                              std::vector<SkippedRow>& skipped) {
    std::string text;
    SceneReadResult result;
    if (!ReadWholeText(path, text, result)) return result;
    result.problem = ReadGocadText(scene, text, path, observer, skipped);
    result.read = result.problem == ReadProblem::None;
    return result;
}

}  // namespace

DataFormat SniffDataFormat(std::string_view path, std::string_view head) {
    if (head.size() >= 3 && head.substr(0, 3) == "\xEF\xBB\xBF") head.remove_prefix(3);
    const std::string_view firstLine = head.substr(0, std::min(head.find('\n'), head.size()));
    if (firstLine.substr(0, 6) == "GOCAD ") return DataFormat::Gocad;
    if (firstLine.size() >= 7 && firstLine.substr(1, 6) == "Tavrin") return DataFormat::SceneFile;
    if (NamedAsTable(path)) return DataFormat::Table;
    if (firstLine.find_first_of(",;\t") != std::string_view::npos && firstLine.find('\0') == std::string_view::npos) {
        return DataFormat::Table;
    }
    return DataFormat::SceneFile;
}

DataFormat SniffDataFile(const std::string& path) { return SniffDataFormat(path, ReadHead(path)); }

std::vector<std::vector<std::string>> LoadGroups(const std::vector<std::string>& paths) {
    std::vector<std::vector<std::string>> groups;
    size_t tables = SIZE_MAX;  // the group of the tables, once there is one
    for (const std::string& path : paths) {
        if (SniffDataFile(path) != DataFormat::Table) {
            groups.push_back({path});
        } else if (tables == SIZE_MAX) {
            tables = groups.size();
            groups.push_back({path});
        } else {
            groups[tables].push_back(path);
        }
    }
    return groups;
}

SceneReadResult DataFilesRead::Combined() const {
    SceneReadResult combined;
    for (const DataFileRead& file : files) {
        combined.read = combined.read || file.read.read;
        combined.sectionRefused = combined.sectionRefused || file.read.sectionRefused;
        combined.cutShort = combined.cutShort || file.read.cutShort;
        if (combined.problem == ReadProblem::None && file.read.problem != ReadProblem::None) {
            combined.problem = file.read.problem;
            combined.line = file.read.line;
            combined.systemError = file.read.systemError;
        }
    }
    return combined;
}

DataFilesRead ReadDataFiles(SceneModel& scene, const std::vector<std::string>& paths, SceneLoadObserver* observer) {
    SceneLoadObserver silent;
    if (observer == nullptr) observer = &silent;
    DataFilesRead result;
    std::vector<DrillTable> tables;
    std::vector<size_t> tableFiles;  // the entry in result.files of each table
    for (const std::string& path : paths) {
        DataFileRead file{path, SniffDataFile(path), {}};
        switch (file.format) {
            case DataFormat::SceneFile: file.read = ReadSceneFile(scene, path, observer); break;
            case DataFormat::Gocad: file.read = ReadGocadFile(scene, path, *observer, result.skipped); break;
            case DataFormat::Table: {
                std::string text;
                if (!ReadWholeText(path, text, file.read)) break;
                DrillTable table;
                file.read.problem = ReadDrillTable(text, path, table, result.skipped);
                // A file taken for a table only for the separators of its first line,
                // and no table after all, is refused as any other file without a
                // scene file's signature.
                if (file.read.problem == ReadProblem::NotATable && !NamedAsTable(path)) {
                    file.read = ReadSceneFile(scene, path, observer);
                }
                if (file.read.problem != ReadProblem::None) break;
                tables.push_back(std::move(table));
                tableFiles.push_back(result.files.size());
                break;
            }
        }
        result.files.push_back(std::move(file));
    }
    if (tables.empty()) return result;
    const bool hasCollars = std::any_of(tables.begin(), tables.end(),
                                        [](const DrillTable& t) { return t.kind == DrillTableKind::Collar; });
    if (!hasCollars) {
        for (size_t index : tableFiles) result.files[index].read = Refused(ReadProblem::NoCollarTable);
        return result;
    }
    const size_t before = scene.objectNames.size();
    AddDrillHoles(scene, tables, *observer, result.skipped);
    // The holes widened the bounds the last scene file may have declared.
    if (scene.objectNames.size() > before) scene.boundsFromFile = false;
    for (size_t index : tableFiles) result.files[index].read.read = true;
    // Skipped rows listed file by file in the load's order, each file's by line.
    const auto order = [&paths](const SkippedRow& row) {
        return std::pair(std::find(paths.begin(), paths.end(), row.file) - paths.begin(), row.line);
    };
    std::stable_sort(result.skipped.begin(), result.skipped.end(),
                     [&order](const SkippedRow& a, const SkippedRow& b) { return order(a) < order(b); });
    return result;
}

}  // namespace talan
