#include "shell/FileReload.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "render/NormalSmoothing.h"
#include "scene/DataFiles.h"
#include "scene/TextDecoding.h"
#include "scene/ValueColours.h"
#include "shell/LoadErrors.h"
#include "shell/SlabsAndPicks.h"
#include "shell/Texts.h"

namespace talan {

namespace {

// Puts `scene` in place of the scene shown and returns the old one. The host first
// sees an empty scene, which takes away the old objects' entries, then each new
// object, whose entries show its flags.
SceneModel ShowScene(ShellContext& ctx, SceneModel scene) {
    SceneModel old = std::move(ctx.records.scene);
    ctx.records.scene = SceneModel{};
    ctx.host.ObjectsChanged();
    ctx.records.scene = std::move(scene);
    const SceneModel& shown = ctx.records.scene;
    for (size_t k = 0; k < shown.objectNames.size(); ++k) {
        ctx.host.ObjectAnnounced(static_cast<int32_t>(k), shown.objectKinds[k], shown.objectNames[k]);
    }
    ctx.host.ObjectsChanged();
    return old;
}

// The status line says why the files were not read again; the scene stays.
void ReportFailure(ShellContext& ctx, const ReloadFailure& failure) {
    const uint32_t language = ctx.records.shell.language;
    std::string reason = LoadFailureReason(failure.read, failure.status, language);
    if (!reason.empty() && reason.back() == '.') reason.pop_back();
    ctx.records.shell.reloadNote =
        FormatText(TextsFor(language).reload.failed, DecodeNameForDisplay(failure.path).c_str(), reason.c_str());
    ctx.host.ShowStatus(StatusText(ctx));
}

}  // namespace

void KeepFlagsByName(const SceneModel& before, SceneModel& after) {
    std::unordered_map<std::string, std::vector<size_t>> objectsOfName;
    for (size_t k = 0; k < before.objectNames.size(); ++k) objectsOfName[before.objectNames[k]].push_back(k);
    std::unordered_map<std::string, size_t> seen;
    for (size_t k = 0; k < after.objectNames.size(); ++k) {
        const auto found = objectsOfName.find(after.objectNames[k]);
        if (found == objectsOfName.end()) continue;
        const size_t n = seen[after.objectNames[k]]++;
        if (n >= found->second.size()) continue;
        const size_t old = found->second[n];
        after.objectVisible[k] = before.objectVisible[old];
        after.objectTransparent[k] = before.objectTransparent[old];
    }
}

bool ReadSceneFilesAgain(const std::vector<std::string>& paths, SceneModel& fresh, ReloadFailure& failure) {
    // Read together, as they were loaded: the tables of a drill-hole set find their
    // collars again.
    const DataFilesRead reads = ReadDataFiles(fresh, paths, nullptr);
    for (const DataFileRead& file : reads.files) {
        // A file without its signature, or shortened while it was read, is one still
        // being written.
        if (!file.read.read || file.read.cutShort) {
            failure = {file.path, file.read, file.read.Status()};
            return false;
        }
    }
    if (fresh.totalVertexCount <= 0) {
        SceneReadResult read;
        read.read = true;
        failure = {paths.empty() ? std::string() : paths.back(), read, kStatusInvalidArg};
        return false;
    }
    return true;
}

bool ReloadLoadedFiles(ShellContext& ctx) {
    Records& records = ctx.records;
    SceneModel fresh;
    ReloadFailure failure;
    if (!ReadSceneFilesAgain(records.shell.loadedFiles, fresh, failure)) {
        ReportFailure(ctx, failure);
        return false;
    }
    if (records.shell.smoothOnOpen) SmoothTriangulatedNormals(fresh);
    // Coloured as a load colours, before the upload; the legend changes only with the scene.
    Legend legend = ApplyColourBy(fresh, records.view.colourBy);
    KeepFlagsByName(records.scene, fresh);
    // The camera, the exaggeration and the slab are the view's and stay as they are:
    // no fit follows.
    SceneModel old = ShowScene(ctx, std::move(fresh));
    const int32_t uploaded = ctx.host.Upload();
    if (uploaded < 0) {
        failure = {records.shell.loadedFiles.back(), SceneReadResult{}, uploaded};
        failure.read.read = true;
        ShowScene(ctx, std::move(old));
        ctx.host.Upload();
        ReportFailure(ctx, failure);
        ctx.host.Refresh();
        return false;
    }
    records.view.legend = std::move(legend);
    records.shell.reloadNote.clear();
    records.shell.pickText.clear();  // it named an object of the old scene by its number
    ctx.host.ShowRecords();
    ctx.host.ShowStatus(StatusText(ctx));
    ctx.host.Refresh();
    return true;
}

bool LoadedFilesChanged(ShellContext& ctx, const std::vector<std::string>& changed) {
    if (ctx.records.shell.loading) return false;
    // Only files of the scene shown count: a New may have come since the change.
    const std::vector<std::string>& loaded = ctx.records.shell.loadedFiles;
    std::string names;
    for (const std::string& path : changed) {
        if (std::find(loaded.begin(), loaded.end(), path) == loaded.end()) continue;
        names += (names.empty() ? "" : ", ") + DecodeNameForDisplay(path);
    }
    if (names.empty()) return true;
    if (!ctx.records.shell.followChanges) {
        const ReloadTexts& texts = TextsFor(ctx.records.shell.language).reload;
        if (!ctx.dialogs.Question(FormatText(texts.question, names.c_str()), texts.caption)) return true;
    }
    ReloadLoadedFiles(ctx);
    return true;
}

}  // namespace talan
