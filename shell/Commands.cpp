#include "shell/Commands.h"

#include "render/Graphics.h"
#include "render/NormalSmoothing.h"
#include "render/SceneLoad.h"
#include "scene/SceneFileReader.h"
#include "scene/TextDecoding.h"
#include "shell/ProgressBar.h"

namespace talan {

namespace {

// What a load shows: the object's menu entries as it is announced, and the progress
// window of each section.
class ViewerLoadObserver : public SceneLoadObserver {
public:
    explicit ViewerLoadObserver(ShellContext& ctx) : ctx_(ctx) {}
    void ObjectAnnounced(int32_t, ObjectKind kind, std::string_view rawName, int32_t menuId,
                         int32_t transparencyMenuId) override {
        ShellContext* ctx = &ctx_;
        AddObjectEntries(ctx_.menus, kind, rawName, menuId, transparencyMenuId,
                         [ctx](int32_t id) { DispatchCommand(*ctx, id); });
    }
    void ProgressShown(std::string_view rawTitle) override {
        if (ctx_.showProgress) progress_.Show(DecodeNameForDisplay(rawTitle), ctx_.shell.clientWidth, ctx_.shell.clientHeight);
    }
    void ProgressChanged(int percent) override { progress_.SetPosition(percent); }
    void ProgressClosed() override { progress_.Close(); }

private:
    ShellContext& ctx_;
    ProgressBar progress_;
};

void ToggleFlag(MenuHandles& menus, std::vector<bool>& flags, int32_t id, int32_t first) {
    const auto k = static_cast<size_t>((id - first) / 2);
    if (k >= flags.size()) return;
    // The flag, not the check mark, decides the direction.
    flags[k] = !flags[k];
    SetChecked(menus, id, flags[k]);
}

// At least one of "Front face" and "Back face" stays checked; the opaque cull mode
// follows the pair.
void FaceCommand(ShellContext& ctx, int32_t id) {
    const int32_t other = id == kCommandFrontFace ? kCommandBackFace : kCommandFrontFace;
    if (!IsChecked(ctx.menus, id)) {
        SetChecked(ctx.menus, id, true);
    } else {
        SetChecked(ctx.menus, id, false);
        if (!IsChecked(ctx.menus, other)) SetChecked(ctx.menus, other, true);
    }
    const bool front = IsChecked(ctx.menus, kCommandFrontFace);
    const bool back = IsChecked(ctx.menus, kCommandBackFace);
    ctx.graphics.opaqueRasterDesc.cullMode = front && back ? CullMode::None : front ? CullMode::Front : CullMode::Back;
}

void NewScene(ShellContext& ctx) {
    RemoveObjectEntries(ctx.menus, ctx.scene.nextObjectMenuId, ctx.scene.nextTransparencyMenuId);
    SetChecked(ctx.menus, kCommandSolidFace, true);
    SetChecked(ctx.menus, kCommandAutoTurn, false);
    SetChecked(ctx.menus, kCommandFrontFace, true);
    SetChecked(ctx.menus, kCommandBackFace, true);
    ctx.view.autoTurnSpeed = 0.0f;
    ctx.view.autoTurnDrag = false;
    ctx.graphics.opaqueRasterDesc.fillMode = FillMode::Solid;
    ctx.graphics.transparentRasterDesc.fillMode = FillMode::Solid;
    ctx.graphics.opaqueRasterDesc.cullMode = CullMode::None;
    ResetScene(ctx.scene);
    ctx.view.lightSpinSpeed = 0.0f;
    ctx.view.transparencyLevel = 0.4f;
}

void ShowHelpText(ShellContext& ctx) {
    if (ctx.shell.language == 1) {
        ctx.dialogs.ShowMessage(
            "Boton pulsado:\n - Izquierdo = giramos los objetos \n - Derecho = movemos los objetos\n"
            " - Rueda central = acercamos o alejamos objetos\nBoton pulsado + CONTROL:\n"
            " - Izquierdo = cambiamos la direccion dela luz\n - Rueda central = modifica la intensidad de la luz\n"
            "Boton pulsado + MAYUSCULAS:\n - Derecho = acercamos o alejamos los objetos suavemente\n"
            " - Rueda central = modificamos grado de transparencia (en modo transparente)",
            "Ayuda");
    } else {
        ctx.dialogs.ShowMessage(
            "Button down:\n - Left = turn the objects \n - Right = move the objects\n - Central roll = zoom\n"
            "Button down + CONTROL:\n - Left = change the light direction \n - Central roll = change the light intensity\n"
            "Button down + SHIFT:\n - Right = slowly zoom\n"
            " - Central rool = change the intensity of the transparency (in transparent mode)",
            "Help");
    }
}

// Switches between Spanish (1) and English (2) only from the other one; the menu
// texts change at the next start.
void SwitchLanguage(ShellContext& ctx, uint32_t to, const char* message, const char* caption) {
    const uint32_t from = to == 1 ? 2 : 1;
    if (ctx.shell.language != from) return;
    ctx.shell.language = to;
    SetChecked(ctx.menus, kCommandSpanish, to == 1);
    SetChecked(ctx.menus, kCommandEnglish, to == 2);
    ctx.dialogs.ShowMessage(message, caption);
}

// A load whose failure is shown as the read error, as New and Open (Add) do.
void LoadWithMessage(ShellContext& ctx) {
    if (LoadSceneFile(ctx) < 0) ctx.dialogs.ShowMessage(kReadErrorText, "Error");
}

}  // namespace

int32_t LoadSceneFile(ShellContext& ctx) {
    std::string path;
    if (!ctx.shell.pendingScenePath.empty()) {
        path = ctx.shell.pendingScenePath;
        ctx.shell.pendingScenePath.clear();
    } else {
        const std::optional<std::string> chosen = ctx.dialogs.OpenSceneFile(ctx.mainWindow);
        if (!chosen) return kStatusOk;
        path = *chosen;
    }
    ViewerLoadObserver observer(ctx);
    const SceneReadResult read = ReadSceneFile(ctx.scene, path, &observer);
    bool fitted = false;
    const int32_t status = CompleteSceneLoad(ctx.scene, ctx.view, read, ctx.shell.smoothOnOpen, ctx.upload, &fitted);
    if (fitted) {
        FitCameraMatrices(ctx.graphics, ctx.view, static_cast<int32_t>(ctx.shell.clientWidth),
                          static_cast<int32_t>(ctx.shell.clientHeight));
    }
    if (ctx.refresh) ctx.refresh();
    return status;
}

int32_t DispatchCommand(ShellContext& ctx, int32_t id) {
    SceneModel& scene = ctx.scene;
    int32_t result = kStatusOk;
    if (id >= kFirstObjectMenuId && id < scene.nextObjectMenuId && id % 2 == 0) {
        ToggleFlag(ctx.menus, scene.objectVisible, id, kFirstObjectMenuId);
    } else if (id >= kFirstTransparencyMenuId && id < scene.nextTransparencyMenuId && id % 2 == 0) {
        ToggleFlag(ctx.menus, scene.objectTransparent, id, kFirstTransparencyMenuId);
    } else {
        switch (id) {
            case kCommandNew:
                NewScene(ctx);
                LoadWithMessage(ctx);
                break;
            case kCommandOpenAdd: LoadWithMessage(ctx); break;
            case kCommandSmoothOnOpen:
                ctx.shell.smoothOnOpen = !ctx.shell.smoothOnOpen;
                SetChecked(ctx.menus, kCommandSmoothOnOpen, ctx.shell.smoothOnOpen);
                break;
            case kCommandEnd:
                if (ctx.closeWindow) ctx.closeWindow();
                break;
            case kCommandSolidFace: {
                const bool solid = ctx.graphics.opaqueRasterDesc.fillMode != FillMode::Solid;
                SetChecked(ctx.menus, kCommandSolidFace, solid);
                ctx.graphics.opaqueRasterDesc.fillMode = solid ? FillMode::Solid : FillMode::Wireframe;
                ctx.graphics.transparentRasterDesc.fillMode = ctx.graphics.opaqueRasterDesc.fillMode;
                break;
            }
            case kCommandFrontFace:
            case kCommandBackFace: FaceCommand(ctx, id); break;
            case kCommandSmoothActives:
                SmoothTriangulatedNormals(scene);
                result = ctx.upload ? ctx.upload() : kStatusOk;
                break;
            case kCommandBackColour:
                if (const auto colour = ctx.dialogs.ChooseColour(ctx.mainWindow, ctx.shell.customColours)) {
                    const uint32_t c = *colour;
                    ctx.view.backgroundColor[0] = static_cast<float>(c % 256) * kByteToUnit;
                    ctx.view.backgroundColor[1] = static_cast<float>((c / 256) % 256) * kByteToUnit;
                    ctx.view.backgroundColor[2] = static_cast<float>((c / 65536) % 256) * kByteToUnit;
                }
                break;
            case kCommandAntialiased: {
                const bool on = !ctx.graphics.opaqueRasterDesc.antialiasedLineEnable;
                SetChecked(ctx.menus, kCommandAntialiased, on);
                ctx.graphics.opaqueRasterDesc.antialiasedLineEnable = on;
                ctx.graphics.transparentRasterDesc.antialiasedLineEnable = on;
                break;
            }
            case kCommandSpanish:
                SwitchLanguage(ctx, 1, "Para actualizar el idioma hay que reiniciar el programa.", "Aviso");
                break;
            case kCommandEnglish:
                SwitchLanguage(ctx, 2, "To update the language you have to restart the program.", "Notice");
                break;
            case kCommandHelp: ShowHelpText(ctx); break;
            case kCommandAbout: ctx.dialogs.ShowAbout(ctx.mainWindow, ctx.shell.language); break;
            case kCommandAutoTurn: {
                const bool on = !IsChecked(ctx.menus, kCommandAutoTurn);
                SetChecked(ctx.menus, kCommandAutoTurn, on);
                ctx.view.autoTurnSpeed = on ? 5.0f : 0.0f;
                if (ctx.endDrags) ctx.endDrags();
                break;
            }
            default: break;
        }
    }
    if (ctx.refresh) ctx.refresh();
    return result;
}

}  // namespace talan
