#include "shell/Commands.h"

#include <algorithm>
#include <filesystem>

#include "render/Graphics.h"
#include "render/NormalSmoothing.h"
#include "render/SceneLoad.h"
#include "scene/DataFiles.h"
#include "shell/ColourByValue.h"
#include "shell/Exaggeration.h"
#include "shell/LoadErrors.h"
#include "shell/RecentFiles.h"
#include "shell/SavedViews.h"
#include "shell/SlabsAndPicks.h"
#include "shell/StandardViews.h"
#include "shell/Texts.h"

namespace talan {

namespace {

// What a load tells while it reads, passed on to the host.
class HostLoadObserver : public SceneLoadObserver {
public:
    explicit HostLoadObserver(Host& host) : host_(host) {}
    void ObjectAnnounced(int32_t object, ObjectKind kind, std::string_view rawName, int32_t, int32_t) override {
        host_.ObjectAnnounced(object, kind, rawName);
    }
    void ProgressShown(std::string_view rawTitle) override { host_.ProgressShown(rawTitle); }
    void ProgressChanged(int percent) override { host_.ProgressChanged(percent); }

private:
    Host& host_;
};

std::vector<bool>& ObjectFlags(SceneModel& scene, ObjectFlag flag) {
    return flag == ObjectFlag::Visible ? scene.objectVisible : scene.objectTransparent;
}

// Switches one flag of one object; the flag, not a check mark, decides the direction.
void ToggleObjectFlag(SceneModel& scene, ObjectFlag flag, int32_t object) {
    std::vector<bool>& flags = ObjectFlags(scene, flag);
    if (object < 0 || static_cast<size_t>(object) >= flags.size()) return;
    flags[static_cast<size_t>(object)] = !flags[static_cast<size_t>(object)];
}

// Solid or wireframe, for opaque and transparent objects alike.
void SetFillMode(GraphicsState& graphics, FillMode mode) {
    graphics.opaqueRasterDesc.fillMode = mode;
    graphics.transparentRasterDesc.fillMode = mode;
}

// "Front face" and "Back face" show the opaque cull mode: both checked cull nothing,
// "Front face" alone culls front faces and "Back face" alone back faces. Choosing an
// entry that is checked unchecks it and leaves the other checked, which it becomes if
// it was not; choosing the unchecked one checks both.
CullMode ChosenFace(CullMode cull, int32_t id) {
    const CullMode withoutChosen = id == kCommandFrontFace ? CullMode::Back : CullMode::Front;
    return cull == withoutChosen ? CullMode::None : withoutChosen;
}

void NewScene(ShellContext& ctx) {
    ClearSlabAndPicks(ctx);
    ctx.records.shell.loadedFiles.clear();
    ctx.records.shell.reloadNote.clear();
    ctx.host.WatchFiles({});
    ctx.records.view.autoTurnMode = false;
    ctx.records.view.autoTurnSpeed = 0.0f;
    ctx.records.view.autoTurnDrag = false;
    SetFillMode(ctx.records.graphics, FillMode::Solid);
    ctx.records.graphics.opaqueRasterDesc.cullMode = CullMode::None;
    ResetScene(ctx.records.scene);
    ForgetColourBy(ctx.records);
    ctx.records.shell.savedViews.files.clear();  // the next load starts a new set of files
    ctx.host.ObjectsChanged();
    ctx.records.view.lightSpinSpeed = 0.0f;
    ctx.records.view.transparencyLevel = kStartTransparencyLevel;
}

void ShowHelpText(ShellContext& ctx) {
    const HelpTexts& help = TextsFor(ctx.records.shell.language).help;
    ctx.dialogs.ShowMessage(help.text, help.caption);
}

// Switches between Spanish and English only from the other one, with a notice in the
// language chosen; the menu texts change at the next start.
void SwitchLanguage(ShellContext& ctx, uint32_t to) {
    const uint32_t from = to == kLanguageSpanish ? kLanguageEnglish : kLanguageSpanish;
    if (ctx.records.shell.language != from) return;
    ctx.records.shell.language = to;
    const HelpTexts& notice = TextsFor(to).help;
    ctx.dialogs.ShowMessage(notice.languageNotice, notice.languageCaption);
}

void ChooseBackColour(ShellContext& ctx) {
    const std::optional<uint32_t> chosen = ctx.dialogs.ChooseColour(ctx.records.shell.customColours);
    if (!chosen) return;
    const ColourBytes bytes = SplitColour(static_cast<int32_t>(*chosen & 0x00FFFFFFu));
    ctx.records.view.backgroundColor[0] = static_cast<float>(bytes.r) * kByteToUnit;
    ctx.records.view.backgroundColor[1] = static_cast<float>(bytes.g) * kByteToUnit;
    ctx.records.view.backgroundColor[2] = static_cast<float>(bytes.b) * kByteToUnit;
}

// Loads the `index`th of the files opened last, as Open (Add) loads a chosen file.
void OpenRecentFile(ShellContext& ctx, size_t index) {
    const std::vector<std::string>& recent = ctx.records.shell.recentFiles;
    if (index >= recent.size()) return;
    ctx.records.shell.pendingScenePaths = {recent[index]};
    LoadSceneFileWithMessage(ctx);
}

// The fixed commands; returns the command's result.
int32_t RunFixedCommand(ShellContext& ctx, int32_t id) {
    RasterDesc& opaque = ctx.records.graphics.opaqueRasterDesc;
    switch (id) {
        case kCommandNew:
            NewScene(ctx);
            LoadSceneFileWithMessage(ctx);
            break;
        case kCommandOpenAdd: LoadSceneFileWithMessage(ctx); break;
        case kCommandSmoothOnOpen: ctx.records.shell.smoothOnOpen = !ctx.records.shell.smoothOnOpen; break;
        case kCommandEnd: ctx.host.Close(); break;
        case kCommandSolidFace:
            SetFillMode(ctx.records.graphics, opaque.fillMode == FillMode::Solid ? FillMode::Wireframe : FillMode::Solid);
            break;
        case kCommandFrontFace:
        case kCommandBackFace: opaque.cullMode = ChosenFace(opaque.cullMode, id); break;
        case kCommandSmoothActives:
            SmoothTriangulatedNormals(ctx.records.scene);
            return ctx.host.Upload();
        case kCommandBackColour: ChooseBackColour(ctx); break;
        case kCommandAntialiased:
            opaque.antialiasedLineEnable = !opaque.antialiasedLineEnable;
            ctx.records.graphics.transparentRasterDesc.antialiasedLineEnable = opaque.antialiasedLineEnable;
            break;
        case kCommandSpanish: SwitchLanguage(ctx, kLanguageSpanish); break;
        case kCommandEnglish: SwitchLanguage(ctx, kLanguageEnglish); break;
        case kCommandHelp: ShowHelpText(ctx); break;
        case kCommandAbout: ctx.dialogs.ShowAbout(ctx.records.shell.language); break;
        case kCommandAutoTurn:
            ctx.records.view.autoTurnMode = !ctx.records.view.autoTurnMode;
            ctx.records.view.autoTurnSpeed = ctx.records.view.autoTurnMode ? kAutoTurnStartSpeed : 0.0f;
            ctx.host.EndDrags();
            break;
        case kCommandObjectsPanel: ctx.records.shell.objectsPanelShown = !ctx.records.shell.objectsPanelShown; break;
        case kCommandFollowChanges: ctx.records.shell.followChanges = !ctx.records.shell.followChanges; break;
        case kCommandOverlay: ctx.records.view.overlay = !ctx.records.view.overlay; break;
        case kCommandPlanView:
        case kCommandLookNorth:
        case kCommandLookSouth:
        case kCommandLookEast:
        case kCommandLookWest: TurnToStandardView(ctx.records.view, id); break;
        default:
            if (id >= kCommandRecentFile && id < kCommandRecentFile + static_cast<int32_t>(kRecentFileCount)) {
                OpenRecentFile(ctx, static_cast<size_t>(id - kCommandRecentFile));
                break;
            }
            if (RunSavedViewCommand(ctx, id)) break;
            if (const std::optional<int32_t> coloured = RunColourCommand(ctx, id)) return *coloured;
            if (!RunExaggerationCommand(ctx, id)) RunSlabOrPickCommand(ctx, id);
            break;
    }
    return kStatusOk;
}

}  // namespace

namespace {

// Reads files that load together into the scene, smooths when asked, uploads and fits
// the camera, and adds each file's outcome to `whole`.
void LoadTogether(ShellContext& ctx, const std::vector<std::string>& paths, LoadReport& whole) {
    // Wherever the files came from (command line, dialog, drop), the next dialog
    // starts in the folder of the last, even when it cannot be read.
    std::vector<std::string> absolutes;
    for (const std::string& path : paths) {
        std::error_code ec;
        const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
        absolutes.push_back(ec ? std::string() : absolute.lexically_normal().string());
        if (!ec) ctx.records.shell.lastSceneFolder = absolute.parent_path().string();
    }
    ctx.host.LoadStarted();
    HostLoadObserver observer(ctx.host);
    ctx.records.shell.loading = true;
    // A slab made before anything was loaded knows nothing of this scene.
    if (ctx.records.scene.objectNames.empty()) ctx.records.view.section = SectionSlab{};
    const DataFilesRead reads = ReadDataFiles(ctx.records.scene, paths, &observer);
    ctx.host.ReadOver();
    ctx.host.ObjectsChanged();
    // A file whose objects joined the scene is read again with it when it changes.
    for (size_t i = 0; i < paths.size(); ++i) {
        if (reads.files[i].read.read) {
            ctx.records.shell.loadedFiles.push_back(absolutes[i].empty() ? paths[i] : absolutes[i]);
        }
    }
    ctx.host.WatchFiles(ctx.records.shell.loadedFiles);
    bool fitted = false;
    const int32_t loaded = CompleteSceneLoad(ctx.records.scene, ctx.records.view, reads.Combined(),
                                             ctx.records.shell.smoothOnOpen, [&ctx] { return ctx.host.Upload(); },
                                             &fitted);
    whole.skipped.insert(whole.skipped.end(), reads.skipped.begin(), reads.skipped.end());
    for (size_t i = 0; i < paths.size(); ++i) {
        // A file that joined the scene has the load's status (for a scene file alone,
        // its refused sections too), one that did not its own failure.
        const SceneReadResult& read = reads.files[i].read;
        const int32_t status = read.read ? loaded : read.Status();
        whole.files.push_back({paths[i], read, status});
        // A file that loads heads the File menu's list; one that cannot leaves it.
        if (absolutes[i].empty()) continue;
        if (status >= 0) {
            RememberRecentFile(ctx.records.shell.recentFiles, absolutes[i]);
            // The set of files loaded now may have views saved in an earlier run.
            NoteSceneFileLoaded(ctx.records.shell.savedViews, absolutes[i]);
        } else {
            ForgetRecentFile(ctx.records.shell.recentFiles, absolutes[i]);
        }
    }
    if (fitted) {
        FitCameraMatrices(ctx.records.graphics, ctx.records.view, static_cast<int32_t>(ctx.records.shell.clientWidth),
                          static_cast<int32_t>(ctx.records.shell.clientHeight));
    }
    // Still loading: what the progress window covered shows the last picture until
    // the first frame of the new scene is drawn.
    ctx.host.LoadOver();
    ctx.records.shell.loading = false;
    ctx.host.ShowStatus(StatusText(ctx));  // the slab may hold something now
    ctx.host.Refresh();
}

}  // namespace

int32_t LoadSceneFile(ShellContext& ctx, LoadReport* report) {
    std::vector<std::string> paths = std::move(ctx.records.shell.pendingScenePaths);
    ctx.records.shell.pendingScenePaths.clear();
    if (paths.empty()) paths = ctx.dialogs.OpenSceneFiles(ctx.records.shell.lastSceneFolder);
    if (paths.empty()) return kStatusOk;
    // Scene files and GOCAD files load one after the other, as each would alone; the
    // tables load together, as one set of drill holes.
    LoadReport whole;
    for (const std::vector<std::string>& group : LoadGroups(paths)) LoadTogether(ctx, group, whole);
    // The load's status is its first failing file's, so that one failure among several
    // files still fails the load.
    const auto failing = std::find_if(whole.files.begin(), whole.files.end(),
                                      [](const FileLoad& file) { return file.status < 0; });
    const FileLoad& shown = failing != whole.files.end() ? *failing : whole.files.back();
    whole.path = shown.path;
    whole.read = shown.read;
    whole.status = shown.status;
    const int32_t status = whole.status;
    if (report != nullptr) *report = std::move(whole);
    return status;
}

int32_t LoadSceneFileWithMessage(ShellContext& ctx) {
    LoadReport report;
    const int32_t status = LoadSceneFile(ctx, &report);
    const uint32_t language = ctx.records.shell.language;
    // One box for each file that failed, then one for the rows skipped in the rest.
    for (const FileLoad& file : report.files) {
        if (file.status >= 0) continue;
        ctx.dialogs.ShowMessage(LoadFailureText(file.path, file.read, file.status, language),
                                TextsFor(language).dialogs.errorCaption);
    }
    if (!report.skipped.empty()) {
        ctx.dialogs.ShowMessage(SkippedRowsText(report.skipped, language), TextsFor(language).skippedRows.caption);
    }
    return status;
}

int32_t DispatchCommand(ShellContext& ctx, int32_t id) { return DispatchCommand(ctx, CommandOfIdentifier(id)); }

int32_t DispatchCommand(ShellContext& ctx, const Command& command) { return DispatchCommands(ctx, {command}); }

int32_t DispatchCommands(ShellContext& ctx, const std::vector<Command>& commands) {
    int32_t result = kStatusOk;
    ctx.records.shell.noticeText.clear();  // a notice lasts until the next command
    for (const Command& command : commands) {
        if (command.object >= 0) {
            ToggleObjectFlag(ctx.records.scene, command.flag, command.object);
        } else {
            result = RunFixedCommand(ctx, command.id);
        }
    }
    ctx.host.ShowRecords();
    ctx.host.ShowStatus(StatusText(ctx));
    ctx.host.Refresh();
    return result;
}

std::optional<bool> SwitchState(const ShellContext& ctx, const Command& command) {
    if (command.object >= 0) {
        const std::vector<bool>& flags = ObjectFlags(ctx.records.scene, command.flag);
        const auto k = static_cast<size_t>(command.object);
        return k < flags.size() && flags[k];
    }
    const RasterDesc& opaque = ctx.records.graphics.opaqueRasterDesc;
    switch (command.id) {
        case kCommandSmoothOnOpen: return ctx.records.shell.smoothOnOpen;
        case kCommandSolidFace: return opaque.fillMode == FillMode::Solid;
        case kCommandAutoTurn: return ctx.records.view.autoTurnMode;
        case kCommandFrontFace: return opaque.cullMode != CullMode::Back;
        case kCommandBackFace: return opaque.cullMode != CullMode::Front;
        case kCommandAntialiased: return opaque.antialiasedLineEnable;
        case kCommandSpanish: return ctx.records.shell.language == kLanguageSpanish;
        case kCommandEnglish: return ctx.records.shell.language != kLanguageSpanish;
        case kCommandObjectsPanel: return ctx.records.shell.objectsPanelShown;
        case kCommandFollowChanges: return ctx.records.shell.followChanges;
        case kCommandOverlay: return ctx.records.view.overlay;
        default:
            if (const std::optional<bool> on = ExaggerationSwitch(ctx, command.id)) return on;
            if (const std::optional<bool> on = ColourSwitchState(ctx.records, command.id)) return on;
            return SlabOrPickSwitch(ctx, command.id);
    }
}

}  // namespace talan
