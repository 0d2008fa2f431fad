#include "shell/RenderCommand.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <filesystem>

#include <QImage>

#include "render/CameraFit.h"
#include "render/EffectFile.h"
#include "render/Graphics.h"
#include "render/HeadlessContext.h"
#include "render/Picking.h"
#include "render/SceneLoad.h"
#include "scene/SceneFileReader.h"
#include "scene/TextDecoding.h"
#include "shell/JsonText.h"

namespace talan {

namespace {

// Where an installed program keeps its data, relative to the directory of the
// executable (the build sets it from the install layout).
constexpr char kDataDirectoryFromExecutable[] = TALAN_DATA_DIR_FROM_BIN;
constexpr int32_t kMaxPictureSide = 16384;

bool ParseFloat(const std::string& text, float& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

bool ParseInt(const std::string& text, int32_t& value) {
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end;
}

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1) {
        parts.push_back(text.substr(start, at - start));
    }
    parts.push_back(text.substr(start));
    return parts;
}

bool ParseObjectList(const std::string& text, std::vector<int32_t>& list) {
    for (const std::string& part : Split(text, ',')) {
        int32_t k = 0;
        if (!ParseInt(part, k) || k < 0) return false;
        list.push_back(k);
    }
    return true;
}

// AXIS,CENTRE,THICKNESS: x, y or z (file axes), and a thickness above 0.
bool ParseSection(const std::string& text, SectionSlab& slab) {
    const auto parts = Split(text, ',');
    if (parts.size() != 3 || parts[0].size() != 1 || std::string("xyz").find(parts[0][0]) == std::string::npos) return false;
    const char* centreEnd = parts[1].data() + parts[1].size();
    const char* thicknessEnd = parts[2].data() + parts[2].size();
    double centre = 0, thickness = 0;
    if (std::from_chars(parts[1].data(), centreEnd, centre).ptr != centreEnd ||
        std::from_chars(parts[2].data(), thicknessEnd, thickness).ptr != thicknessEnd || !(thickness > 0) ||
        !std::isfinite(centre) || !std::isfinite(thickness)) {
        return false;
    }
    slab = {static_cast<int>(std::string("xyz").find(parts[0][0])), centre, thickness};
    return true;
}

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

}  // namespace

bool ParseRenderArguments(const std::vector<std::string>& args, RenderOptions& options, std::string& error) {
    bool optionsEnded = false, pixelGiven = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-' || (options.pick && !pixelGiven && i == 0)) {
            if (options.pick && !pixelGiven) {
                const auto xy = Split(arg, ',');
                if (xy.size() != 2 || !ParseInt(xy[0], options.pickX) || !ParseInt(xy[1], options.pickY) ||
                    options.pickX < 0 || options.pickY < 0) {
                    error = "bad pixel '" + arg + "' for --pick (X,Y from the top left corner)";
                    return false;
                }
                pixelGiven = true;
            } else if (!options.pick && options.output.empty()) {
                options.output = arg;
            } else {
                options.files.push_back(arg);
            }
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (arg == "--smooth" || arg == "--wireframe") {
            (arg == "--smooth" ? options.smooth : options.wireframe) = true;
            continue;
        }
        if (i + 1 == args.size()) {
            error = arg + " needs a value";
            return false;
        }
        const std::string& value = args[++i];
        bool ok = true;
        if (arg == "--size") {
            // WxH, or one number for the longer side of a picture shaped like the scene.
            const auto parts = Split(value, 'x');
            const auto side = [](const std::string& text, int32_t& n) {
                return ParseInt(text, n) && n > 0 && n <= kMaxPictureSide;
            };
            options.longerSide = 0;
            ok = parts.size() == 1 ? side(parts[0], options.longerSide)
                                   : parts.size() == 2 && side(parts[0], options.width) && side(parts[1], options.height);
        } else if (arg == "--background") {
            const auto parts = Split(value, ',');
            ok = parts.size() == 3;
            for (size_t c = 0; ok && c < 3; ++c) {
                ok = ParseFloat(parts[c], options.background[c]) && options.background[c] >= 0 &&
                     options.background[c] <= 1;
            }
        } else if (arg == "--yaw") {
            ok = ParseFloat(value, options.yaw);
            options.hasYaw = true;
        } else if (arg == "--pitch") {
            ok = ParseFloat(value, options.pitch);
            options.hasPitch = true;
        } else if (arg == "--cull") {
            ok = value == "none" || value == "front" || value == "back";
            options.cull = value == "front" ? CullMode::Front : value == "back" ? CullMode::Back : CullMode::None;
        } else if (arg == "--transparent") {
            ok = ParseObjectList(value, options.transparent);
        } else if (arg == "--hide") {
            ok = ParseObjectList(value, options.hidden);
        } else if (arg == "--section") {
            ok = ParseSection(value, options.section);
        } else {
            error = "unknown option '" + arg + "' for --render";
            return false;
        }
        if (!ok) {
            error = "bad value '" + value + "' for " + arg;
            return false;
        }
    }
    if (options.pick && (!pixelGiven || options.files.empty())) {
        error = "--pick needs a pixel X,Y and at least one scene file";
        return false;
    }
    if (!options.pick && (options.output.empty() || options.files.empty())) {
        error = "--render needs a picture file and at least one scene file";
        return false;
    }
    return true;
}

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

int RunRenderCommand(const RenderOptions& options, std::FILE* out, std::FILE* err) {
    // With a longer side only, the picture is square until the scene gives its shape.
    int32_t width = options.longerSide > 0 ? options.longerSide : options.width;
    int32_t height = options.longerSide > 0 ? options.longerSide : options.height;
    HeadlessContext headless;
    std::string error;
    if (!CreateHeadlessContext(headless, width, height, error)) {
        std::fprintf(err, "talan3d: cannot draw without OpenGL: %s\n", error.c_str());
        return 3;
    }
    struct Cleanup {
        HeadlessContext& headless;
        GraphicsState graphics;
        ~Cleanup() {
            ReleaseGraphics(graphics);
            DestroyHeadlessContext(headless);
        }
    } owned{headless, {}};
    GraphicsState& graphics = owned.graphics;
    if (InitGraphics(graphics, FindEffectFile(options.executablePath), width, height, error) != kStatusOk) {
        std::fprintf(err, "talan3d: %s\n", error.c_str());
        return 3;
    }

    SceneModel scene;
    ViewState view;
    for (const std::string& path : options.files) {
        const SceneReadResult read = ReadSceneFile(scene, path, nullptr);
        const int32_t status = CompleteSceneLoad(scene, view, read, options.smooth,
                                                 [&] { return UploadSceneVertices(graphics, scene); });
        if (status != kStatusOk) {
            std::fprintf(err, "talan3d: %s: Error en la lectura del fichero.\n", DecodeNameForDisplay(path).c_str());
            return 1;
        }
        FitCameraMatrices(graphics, view, width, height);
    }

    for (const auto* list : {&options.transparent, &options.hidden}) {
        for (int32_t k : *list) {
            if (k >= static_cast<int32_t>(scene.objectNames.size())) {
                std::fprintf(err, "talan3d: the scene has no object %d (it has %zu)\n", k, scene.objectNames.size());
                return 2;
            }
            if (list == &options.transparent) {
                scene.objectTransparent[static_cast<size_t>(k)] = true;
            } else {
                scene.objectVisible[static_cast<size_t>(k)] = false;
            }
        }
    }
    view.backgroundColor = {options.background[0], options.background[1], options.background[2], 0.0f};
    view.section = options.section;
    if (options.hasYaw) view.cameraYaw = options.yaw;
    if (options.hasPitch) view.cameraPitch = options.pitch;
    if (options.wireframe) {
        graphics.opaqueRasterDesc.fillMode = FillMode::Wireframe;
        graphics.transparentRasterDesc.fillMode = FillMode::Wireframe;
    }
    graphics.opaqueRasterDesc.cullMode = options.cull;
    if (options.longerSide > 0) {
        const float aspect = FittedBoxAspect(scene, view);
        const auto shorter = [&](float ratio) {
            return std::max(1, static_cast<int32_t>(std::lround(static_cast<float>(options.longerSide) * ratio)));
        };
        width = aspect >= 1.0f ? options.longerSide : shorter(aspect);
        height = aspect >= 1.0f ? shorter(1.0f / aspect) : options.longerSide;
        if (!ResizeHeadlessFramebuffer(headless, width, height, error)) {
            std::fprintf(err, "talan3d: cannot draw without OpenGL: %s\n", error.c_str());
            return 3;
        }
        ResizeGraphics(graphics, view, width, height);
    }

    RenderFrame(graphics, view, scene);
    if (options.pick) {
        if (options.pickX >= width || options.pickY >= height) {
            std::fprintf(err, "talan3d: the pixel %d,%d is outside the %dx%d picture\n", options.pickX, options.pickY,
                         width, height);
            return 2;
        }
        PrintPick(out, scene, PickPixel(graphics, view, scene, options.pickX, options.pickY, headless.framebuffer));
        return 0;
    }
    const std::vector<uint8_t> pixels = ReadHeadlessPixels(headless);
    // The frame's alpha is not part of the picture: it is written opaque.
    const QImage frame(pixels.data(), width, height, width * 4, QImage::Format_RGBA8888);
    if (!frame.convertToFormat(QImage::Format_RGB888).save(QString::fromLocal8Bit(options.output.c_str()), "PNG")) {
        std::fprintf(err, "talan3d: cannot write %s\n", options.output.c_str());
        return 4;
    }
    return 0;
}

}  // namespace talan
