#include "shell/Commands.h"

#include <filesystem>

#include "render/Graphics.h"
#include "render/NormalSmoothing.h"
#include "render/SceneLoad.h"
#include "scene/SceneFileReader.h"
#include "shell/LoadErrors.h"
#include "shell/SlabsAndPicks.h"

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
    ctx.records.view.autoTurnMode = false;
    ctx.records.view.autoTurnSpeed = 0.0f;
    ctx.records.view.autoTurnDrag = false;
    SetFillMode(ctx.records.graphics, FillMode::Solid);
    ctx.records.graphics.opaqueRasterDesc.cullMode = CullMode::None;
    ResetScene(ctx.records.scene);
    ctx.host.ObjectsChanged();
    ctx.records.view.lightSpinSpeed = 0.0f;
    ctx.records.view.transparencyLevel = kStartTransparencyLevel;
}

void ShowHelpText(ShellContext& ctx) {
    if (ctx.records.shell.language == kLanguageSpanish) {
        ctx.dialogs.ShowMessage(
            "Boton pulsado:\n - Izquierdo = giramos los objetos \n - Derecho = movemos los objetos\n"
            " - Rueda central = acercamos o alejamos objetos\nBoton pulsado + CONTROL:\n"
            " - Izquierdo = cambiamos la direccion dela luz\n - Rueda central = modifica la intensidad de la luz\n"
            "Boton pulsado + MAYUSCULAS:\n - Derecho = acercamos o alejamos los objetos suavemente\n"
            " - Rueda central = modificamos grado de transparencia (en modo transparente)\n"
            "Teclas:\n - X, Y, Z = corte según ese eje (la misma tecla o Retroceso lo quita)\n"
            " - RePág, AvPág = movemos el corte; +, - = doble o mitad de espesor\n"
            " - L = miramos a lo largo del corte\n"
            " - Clic = el punto bajo el cursor; M = medimos entre dos puntos; Ctrl+C = copiamos el resultado\n"
            " - F9 = panel de objetos: escribimos para filtrar, Abajo a la lista, Espacio cambia los seleccionados (o el actual)",
            "Ayuda");
    } else {
        ctx.dialogs.ShowMessage(
            "Button down:\n - Left = turn the objects \n - Right = move the objects\n - Central roll = zoom\n"
            "Button down + CONTROL:\n - Left = change the light direction \n - Central roll = change the light intensity\n"
            "Button down + SHIFT:\n - Right = slowly zoom\n"
            " - Central rool = change the intensity of the transparency (in transparent mode)\n"
            "Keys:\n - X, Y, Z = section across that axis (the same key or Backspace removes it)\n"
            " - Page Up, Page Down = move the section; +, - = double or halve its thickness\n"
            " - L = look along the section\n"
            " - Click = the point under the cursor; M = measure between two points; Ctrl+C = copy the result\n"
            " - F9 = objects panel: type to filter, Down to the list, Space switches the selected ones (or the current one)",
            "Help");
    }
}

// Switches between Spanish and English only from the other one; the menu texts
// change at the next start.
void SwitchLanguage(ShellContext& ctx, uint32_t to, const char* message, const char* caption) {
    const uint32_t from = to == kLanguageSpanish ? kLanguageEnglish : kLanguageSpanish;
    if (ctx.records.shell.language != from) return;
    ctx.records.shell.language = to;
    ctx.dialogs.ShowMessage(message, caption);
}

void ChooseBackColour(ShellContext& ctx) {
    const std::optional<uint32_t> chosen = ctx.dialogs.ChooseColour(ctx.records.shell.customColours);
    if (!chosen) return;
    const ColourBytes bytes = SplitColour(static_cast<int32_t>(*chosen & 0x00FFFFFFu));
    ctx.records.view.backgroundColor[0] = static_cast<float>(bytes.r) * kByteToUnit;
    ctx.records.view.backgroundColor[1] = static_cast<float>(bytes.g) * kByteToUnit;
    ctx.records.view.backgroundColor[2] = static_cast<float>(bytes.b) * kByteToUnit;
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
        case kCommandSpanish:
            SwitchLanguage(ctx, kLanguageSpanish, "Para actualizar el idioma hay que reiniciar el programa.", "Aviso");
            break;
        case kCommandEnglish:
            SwitchLanguage(ctx, kLanguageEnglish, "To update the language you have to restart the program.", "Notice");
            break;
        case kCommandHelp: ShowHelpText(ctx); break;
        case kCommandAbout: ctx.dialogs.ShowAbout(ctx.records.shell.language); break;
        case kCommandAutoTurn:
            ctx.records.view.autoTurnMode = !ctx.records.view.autoTurnMode;
            ctx.records.view.autoTurnSpeed = ctx.records.view.autoTurnMode ? kAutoTurnStartSpeed : 0.0f;
            ctx.host.EndDrags();
            break;
        case kCommandObjectsPanel: ctx.records.shell.objectsPanelShown = !ctx.records.shell.objectsPanelShown; break;
        default: RunSlabOrPickCommand(ctx, id); break;
    }
    return kStatusOk;
}

}  // namespace

int32_t LoadSceneFile(ShellContext& ctx, LoadReport* report) {
    std::string path;
    if (!ctx.records.shell.pendingScenePath.empty()) {
        path = ctx.records.shell.pendingScenePath;
        ctx.records.shell.pendingScenePath.clear();
    } else {
        const std::optional<std::string> chosen = ctx.dialogs.OpenSceneFile(ctx.records.shell.lastSceneFolder);
        if (!chosen) return kStatusOk;
        path = *chosen;
    }
    // Wherever the file came from (command line, dialog, drop), the next dialog
    // starts in its folder, even when it cannot be read.
    std::error_code ec;
    const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
    if (!ec) ctx.records.shell.lastSceneFolder = absolute.parent_path().string();
    ctx.host.LoadStarted();
    HostLoadObserver observer(ctx.host);
    ctx.records.shell.loading = true;
    // A slab made before anything was loaded knows nothing of this scene.
    if (ctx.records.scene.objectNames.empty()) ctx.records.view.section = SectionSlab{};
    const SceneReadResult read = ReadSceneFile(ctx.records.scene, path, &observer);
    ctx.host.ReadOver();
    ctx.host.ObjectsChanged();
    bool fitted = false;
    const int32_t status = CompleteSceneLoad(ctx.records.scene, ctx.records.view, read, ctx.records.shell.smoothOnOpen,
                                            [&ctx] { return ctx.host.Upload(); }, &fitted);
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
    if (report != nullptr) *report = {path, read, status};
    return status;
}

int32_t LoadSceneFileWithMessage(ShellContext& ctx) {
    LoadReport report;
    const int32_t status = LoadSceneFile(ctx, &report);
    if (status < 0) {
        ctx.dialogs.ShowMessage(LoadFailureText(report.path, report.read, status, ctx.records.shell.language), "Error");
    }
    return status;
}

int32_t DispatchCommand(ShellContext& ctx, int32_t id) { return DispatchCommand(ctx, CommandOfIdentifier(id)); }

int32_t DispatchCommand(ShellContext& ctx, const Command& command) { return DispatchCommands(ctx, {command}); }

int32_t DispatchCommands(ShellContext& ctx, const std::vector<Command>& commands) {
    int32_t result = kStatusOk;
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
        default: return SlabOrPickSwitch(ctx, command.id);
    }
}

}  // namespace talan
