#include "shell/RenderCommand.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>

#include "render/CameraFit.h"
#include "render/EffectFile.h"
#include "render/Graphics.h"
#include "render/HeadlessContext.h"
#include "render/Picking.h"
#include "scene/SceneFileReader.h"
#include "scene/TextDecoding.h"
#include "scene/ValueColours.h"
#include "shell/Commands.h"
#include "shell/Dialogs.h"
#include "shell/InputScript.h"
#include "shell/JsonText.h"
#include "shell/LoadErrors.h"
#include "shell/StandardViews.h"

#include <QImage>

namespace talan {

namespace {

// Where an installed program keeps its data, relative to the directory of the
// executable (the build sets it from the install layout).
constexpr char kDataDirectoryFromExecutable[] = TALAN_DATA_DIR_FROM_BIN;

// {"hit": true, "point": [x, y, z], "object": k, "name": "...", "kind": "T3", "element": e}
// or {"hit": false}.
void PrintPick(std::FILE* out, const SceneModel& scene, const PickResult& pick) {
    if (!pick.hit) {
        std::fprintf(out, "{\"hit\": false}\n");
        return;
    }
    const auto k = static_cast<size_t>(pick.element.object);
    std::fprintf(out, "{\"hit\": true, \"point\": [%s, %s, %s], \"object\": %zu, \"name\": %s, \"kind\": \"%s\", "
                      "\"element\": %lld}\n",
                 JsonNumber(pick.point[0]).c_str(), JsonNumber(pick.point[1]).c_str(), JsonNumber(pick.point[2]).c_str(),
                 k, JsonString(DecodeNameForDisplay(scene.objectNames[k])).c_str(), ObjectKindTag(scene.objectKinds[k]),
                 static_cast<long long>(pick.element.element));
}

// The menu commands the options stand for, then those of --command, in order. Each
// object's entry is chosen once, however often the option names it.
std::vector<Command> OptionCommands(const CommandLine& line) {
    std::vector<Command> commands;
    for (const auto& [objects, flag] : {std::pair{&line.transparent, ObjectFlag::Transparent},
                                        std::pair{&line.hidden, ObjectFlag::Visible}}) {
        std::vector<int32_t> once = *objects;
        std::sort(once.begin(), once.end());
        once.erase(std::unique(once.begin(), once.end()), once.end());
        for (int32_t k : once) commands.push_back(Command::OfObject(flag, k));
    }
    if (line.wireframe) commands.push_back(Command::Fixed(kCommandSolidFace));
    // Unchecking "Back face" leaves "Front face" alone, which culls front faces.
    if (line.cull == CullMode::Front) commands.push_back(Command::Fixed(kCommandBackFace));
    if (line.cull == CullMode::Back) commands.push_back(Command::Fixed(kCommandFrontFace));
    for (int32_t id : line.commands) commands.push_back(CommandOfIdentifier(id));
    return commands;
}

// --size N: gives the picture the shape of the scene's box as the camera sees it,
// `longerSide` pixels on its longer side.
Failure ShapeToScene(int32_t longerSide, HeadlessContext& headless, Records& picture) {
    const float aspect = FittedBoxAspect(picture.scene, picture.view);
    const auto shorter = [longerSide](float ratio) {
        return std::max(1, static_cast<int32_t>(std::lround(static_cast<float>(longerSide) * ratio)));
    };
    const int32_t width = aspect >= 1.0f ? longerSide : shorter(aspect);
    const int32_t height = aspect >= 1.0f ? shorter(1.0f / aspect) : longerSide;
    if (Failure failure = ResizeHeadlessFramebuffer(headless, width, height); failure.Failed()) return failure;
    picture.shell.clientWidth = static_cast<uint32_t>(width);
    picture.shell.clientHeight = static_cast<uint32_t>(height);
    ResizeGraphics(picture.graphics, picture.view, width, height);
    return {};
}

// Loads the files into the picture's records, carries out the commands, gives the
// picture its size and feeds the view the input events; returns the failure that
// ends the run.
Failure PrepareScene(const CommandLine& line, const std::vector<InputEvent>& input, HeadlessContext& headless,
                     Records& picture, std::FILE* err) {
    HeadlessDialogs dialogs(err);
    HeadlessHost host(picture.scene, &picture.graphics);  // the headless context is current
    ShellContext ctx{.records = picture, .dialogs = dialogs, .host = host};
    picture.shell.clientWidth = static_cast<uint32_t>(line.width);
    picture.shell.clientHeight = static_cast<uint32_t>(line.height);
    if (line.smooth) DispatchCommand(ctx, kCommandSmoothOnOpen);
    picture.view.exaggeration = line.exaggeration;  // before the loads: the fit takes the box as drawn
    picture.view.colourBy = line.colourBy;          // before the loads: each load colours by it
    // The files load together, as files chosen together in the open dialog: the
    // tables of a drill-hole set find their collars.
    picture.shell.pendingScenePaths = line.files;
    LoadReport report;
    if (const int32_t status = LoadSceneFile(ctx, &report); status != kStatusOk) {
        return {FailureKind::SceneFile, status, LoadFailureText(report.path, report.read, status, kLanguageEnglish)};
    }
    if (!report.skipped.empty()) {
        std::fprintf(err, "talan3d: %s\n", SkippedRowsText(report.skipped, kLanguageEnglish).c_str());
    }
    if (!line.colourBy.value.empty() && !picture.view.legend.shown) {
        std::string carried;
        for (const std::string& name : ValueNames(picture.scene)) carried += (carried.empty() ? "" : ", ") + name;
        return {FailureKind::Usage, kStatusFail,
                "no object of the scene carries the value '" + line.colourBy.value + "' (" +
                    (carried.empty() ? std::string("it carries no values") : "it carries " + carried) + ")"};
    }
    picture.view.overlay = !line.noOverlay;  // before the commands: --command overlay switches it again
    const std::vector<Command> commands = OptionCommands(line);
    const size_t objects = picture.scene.objectNames.size();
    for (const Command& command : commands) {
        if (command.object >= 0 && static_cast<size_t>(command.object) >= objects) {
            return {FailureKind::Usage, kStatusFail,
                    "the scene has no object " + std::to_string(command.object) + " (it has " +
                        std::to_string(objects) + ")"};
        }
    }
    for (const Command& command : commands) DispatchCommand(ctx, command);
    picture.view.backgroundColor = {line.background[0], line.background[1], line.background[2], 0.0f};
    if (line.section.Active()) picture.view.section = line.section;
    // A standard view turns the fitted camera; --yaw and --pitch then set their own angle.
    TurnToStandardView(picture.view, line.view);
    if (line.hasYaw) picture.view.cameraYaw = line.yaw;
    if (line.hasPitch) picture.view.cameraPitch = line.pitch;
    if (line.longerSide > 0) {
        if (Failure failure = ShapeToScene(line.longerSide, headless, picture); failure.Failed()) return failure;
    }
    return ReplayInput(input, picture.view, headless.target.width, headless.target.height,
                       [&ctx](int32_t command) { DispatchCommand(ctx, command); });
}

// The events of the input script at `path`; a script that cannot be read or has a
// wrong line is a usage error.
Failure ReadInputScript(const std::string& path, std::vector<InputEvent>& events) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    if (!(in && text << in.rdbuf())) {
        return {FailureKind::Usage, kStatusFail, "cannot read the input script " + path};
    }
    Failure failure = ParseInputScript(text.str(), events);
    if (failure.Failed()) failure.message = path + ", " + failure.message;
    return failure;
}

Failure WritePicture(const HeadlessContext& headless, const std::string& path) {
    const std::vector<uint8_t> pixels = ReadHeadlessPixels(headless);
    // The frame's alpha is not part of the picture: it is written opaque.
    const QImage frame(pixels.data(), headless.target.width, headless.target.height, headless.target.width * 4, QImage::Format_RGBA8888);
    if (!frame.convertToFormat(QImage::Format_RGB888).save(QString::fromLocal8Bit(path.c_str()), "PNG")) {
        return {FailureKind::WriteFile, kStatusFail, "cannot write " + path};
    }
    return {};
}

// Draws the picture in a headless context; the failure that ends the run.
Failure Draw(const CommandLine& line, const std::string& executablePath, std::FILE* out, std::FILE* err) {
    // With a longer side only, the picture is square until the scene gives its shape.
    const int32_t width = line.longerSide > 0 ? line.longerSide : line.width;
    const int32_t height = line.longerSide > 0 ? line.longerSide : line.height;
    std::vector<InputEvent> input;
    if (!line.input.empty()) {
        if (Failure failure = ReadInputScript(line.input, input); failure.Failed()) return failure;
    }
    HeadlessContext headless;
    if (Failure failure = CreateHeadlessContext(headless, width, height); failure.Failed()) {
        failure.message = "cannot draw without OpenGL: " + failure.message;
        return failure;
    }
    struct Cleanup {
        HeadlessContext& headless;
        Records picture;
        ~Cleanup() {
            ReleaseGraphics(picture.graphics);
            DestroyHeadlessContext(headless);
        }
    } owned{headless, {}};
    Records& picture = owned.picture;
    if (Failure failure = InitGraphics(picture.graphics, FindEffectFile(executablePath), width, height);
        failure.Failed()) {
        return failure;
    }
    picture.graphics.blockDrawing = line.drawBlocks;
    if (Failure failure = PrepareScene(line, input, headless, picture, err); failure.Failed()) return failure;

    RenderFrame(picture.graphics, picture.view, picture.scene);
    if (line.mode != Mode::Pick) return WritePicture(headless, line.output);
    if (line.pickX >= headless.target.width || line.pickY >= headless.target.height) {
        return {FailureKind::Usage, kStatusFail,
                "the pixel " + std::to_string(line.pickX) + "," + std::to_string(line.pickY) + " is outside the " +
                    std::to_string(headless.target.width) + "x" + std::to_string(headless.target.height) + " picture"};
    }
    PrintPick(out, picture.scene,
              PickPixel(picture.graphics, picture.view, picture.scene, line.pickX, line.pickY, headless.target.framebuffer));
    return {};
}

}  // namespace

std::string FindEffectFile(const std::string& executablePath) {
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::is_regular_file(kEffectFileName, ec)) return kEffectFileName;
    if (!executablePath.empty()) {
        const fs::path directory = fs::path(executablePath).parent_path();
        for (const fs::path& candidate :
             {directory / kEffectFileName, directory / kDataDirectoryFromExecutable / kEffectFileName}) {
            if (fs::is_regular_file(candidate, ec)) return candidate.lexically_normal().string();
        }
    }
    return kEffectFileName;
}

int RunRenderCommand(const CommandLine& line, const std::string& executablePath, std::FILE* out, std::FILE* err) {
    const Failure failure = Draw(line, executablePath, out, err);
    if (failure.Failed()) std::fprintf(err, "talan3d: %s\n", failure.message.c_str());
    return ExitStatus(failure.kind);
}

}  // namespace talan
