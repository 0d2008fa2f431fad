#include "shell/InfoCommand.h"

#include <cmath>
#include <string_view>

#include "render/ViewState.h"
#include "scene/SceneFileReader.h"
#include "scene/SceneModel.h"
#include "scene/TextDecoding.h"
#include "shell/Commands.h"
#include "shell/Dialogs.h"
#include "shell/JsonText.h"
#include "shell/LoadErrors.h"
#include "shell/ShellState.h"

namespace talan {

namespace {

struct LoadRecord {
    std::string path;
    int32_t status;
};


// The names of an object's values, text values marked: "AU, CU, LITH (text)".
std::string ValueList(const ObjectValues& values) {
    std::string list;
    for (const ValueColumn& column : values.columns) {
        list += (list.empty() ? "" : ", ") + DecodeNameForDisplay(column.name) + (column.text ? " (text)" : "");
    }
    return list;
}

// The same as a JSON array of {"name", "text"} objects.
std::string JsonValueList(const ObjectValues& values) {
    std::string list = "[";
    for (const ValueColumn& column : values.columns) {
        if (list.size() > 1) list += ", ";
        list += "{\"name\": " + JsonString(DecodeNameForDisplay(column.name)) +
                ", \"text\": " + (column.text ? "true" : "false") + "}";
    }
    return list + "]";
}

std::string JsonTriple(const float* v) {
    std::string out = "[";
    for (int i = 0; i < 3; ++i) {
        if (i > 0) out += ", ";
        out += JsonNumber(v[i]);
    }
    out += ']';
    return out;
}

void PrintJson(std::FILE* out, const std::vector<LoadRecord>& loads, const SceneModel& scene, const ViewState& view,
               bool withVertices) {
    std::fprintf(out, "{\n  \"loads\": [");
    for (size_t i = 0; i < loads.size(); ++i) {
        std::fprintf(out, "%s{\"path\": %s, \"status\": %d}", i ? ", " : "",
                     JsonString(DecodeNameForDisplay(loads[i].path)).c_str(), loads[i].status);
    }
    std::fprintf(out, "],\n  \"objectCount\": %d,\n  \"kindCount\": {", scene.objectCount);
    for (int k = 0; k < kObjectKindCount; ++k) {
        std::fprintf(out, "%s\"%s\": %d", k ? ", " : "", ObjectKindTag(static_cast<ObjectKind>(k)), scene.kindCount[k]);
    }
    std::fprintf(out, "},\n  \"totalVertexCount\": %d,\n  \"boundsFromFile\": %s,\n", scene.totalVertexCount,
                 scene.boundsFromFile ? "true" : "false");
    std::fprintf(out, "  \"boundsMin\": %s, \"boundsMax\": %s,\n", JsonTriple(scene.boundsMin.data()).c_str(),
                 JsonTriple(scene.boundsMax.data()).c_str());
    if (view.cameraFitted) {
        std::fprintf(out,
                     "  \"camera\": {\"target\": %s, \"sceneSize\": %s, \"distance\": %s,\n"
                     "             \"pitch\": %s, \"yaw\": %s, \"farPlane\": %d},\n",
                     JsonTriple(view.cameraTarget.data()).c_str(), JsonNumber(view.sceneSize).c_str(),
                     JsonNumber(view.cameraDistance).c_str(), JsonNumber(view.cameraPitch).c_str(),
                     JsonNumber(view.cameraYaw).c_str(), view.farPlane);
    } else {
        std::fprintf(out, "  \"camera\": null,\n");
    }
    std::fprintf(out, "  \"objects\": [");
    for (size_t k = 0; k < scene.objectNames.size(); ++k) {
        const ObjectKind kind = scene.objectKinds[k];
        const int32_t menuId = kFirstObjectMenuId + 2 * static_cast<int32_t>(k);
        const std::string transparencyId =
            KindHasTransparencyEntry(kind) ? std::to_string(kFirstTransparencyMenuId + 2 * static_cast<int32_t>(k)) : "null";
        std::fprintf(out,
                     "%s\n    {\"index\": %zu, \"name\": %s, \"kind\": \"%s\", \"elementCount\": %d, "
                     "\"verticesPerElement\": %d, \"firstVertex\": %d, \"visible\": %s, \"transparent\": %s, "
                     "\"menuId\": %d, \"transparencyMenuId\": %s, \"format\": \"%s\", \"values\": %s}",
                     k ? "," : "", k, JsonString(DecodeNameForDisplay(scene.objectNames[k])).c_str(),
                     ObjectKindTag(kind), scene.elementCounts[k], scene.verticesPerElement[k], scene.firstVertex[k],
                     scene.objectVisible[k] ? "true" : "false", scene.objectTransparent[k] ? "true" : "false", menuId,
                     transparencyId.c_str(), SourceFormatName(scene.objectFormats[k]),
                     JsonValueList(scene.objectValues[k]).c_str());
    }
    std::fprintf(out, "%s]", scene.objectNames.empty() ? "" : "\n  ");
    if (withVertices) {
        std::fprintf(out, ",\n  \"vertices\": [");
        int64_t i = 0;
        ForEachVertex(scene, [&](const SceneVertex& v) {
            std::string line = "[";
            const float* fields[3] = {v.position, v.normal, v.colour};
            const int sizes[3] = {3, 3, 4};
            for (int f = 0; f < 3; ++f) {
                for (int c = 0; c < sizes[f]; ++c) line += (f || c ? ", " : "") + JsonNumber(fields[f][c]);
            }
            std::fprintf(out, "%s\n    %s]", i++ ? "," : "", line.c_str());
        });
        std::fprintf(out, "%s]", scene.totalVertexCount > 0 ? "\n  " : "");
    }
    std::fprintf(out, "\n}\n");
}

// Whether anything set the bounds: a MAX block or a point read. Until then they hold
// their reset values, which are no bounds at all.
bool HasBounds(const SceneModel& scene) {
    for (int axis = 0; axis < 3; ++axis) {
        if (scene.boundsMin[axis] != kBoundsResetValue || scene.boundsMax[axis] != -kBoundsResetValue) return true;
    }
    return false;
}

void PrintTable(std::FILE* out, const std::vector<LoadRecord>& loads, const SceneModel& scene, const ViewState& view,
                bool withVertices) {
    for (const LoadRecord& load : loads) {
        std::fprintf(out, "Load %s: %s (0x%08X)\n", DecodeNameForDisplay(load.path).c_str(),
                     load.status == kStatusOk ? "ok" : "failed", static_cast<uint32_t>(load.status));
    }
    std::fprintf(out, "\nObjects: %d\n", scene.objectCount);
    std::fprintf(out, "  %5s  %-6s  %10s  %5s  %11s  %-7s  %s\n", "#", "kind", "elements", "v/el", "first", "menu",
                 "name");
    for (size_t k = 0; k < scene.objectNames.size(); ++k) {
        // Objects of other formats than scene files say which, and name their values.
        std::string source;
        if (scene.objectFormats[k] != SourceFormat::SceneFile) {
            source = std::string("  [") + SourceFormatName(scene.objectFormats[k]);
            const std::string values = ValueList(scene.objectValues[k]);
            source += (values.empty() ? std::string() : "; values " + values) + "]";
        }
        std::fprintf(out, "  %5zu  %-6s  %10d  %5d  %11d  %-7d  %s%s%s\n", k, ObjectKindTag(scene.objectKinds[k]),
                     scene.elementCounts[k], scene.verticesPerElement[k], scene.firstVertex[k],
                     kFirstObjectMenuId + 2 * static_cast<int>(k), DecodeNameForDisplay(scene.objectNames[k]).c_str(),
                     KindHasTransparencyEntry(scene.objectKinds[k]) ? "  (can be transparent)" : "", source.c_str());
    }
    std::fprintf(out, "\nVertices: %d\n", scene.totalVertexCount);
    if (!HasBounds(scene)) {
        std::fprintf(out, "Bounds: none, no file gave any\n");
    } else {
        std::fprintf(out, "Bounds (x, y, z)%s:\n  min %s %s %s\n  max %s %s %s\n",
                     scene.boundsFromFile ? ", declared by the file" : "", FormatNumber(scene.boundsMin[0]).c_str(),
                     FormatNumber(scene.boundsMin[1]).c_str(), FormatNumber(scene.boundsMin[2]).c_str(),
                     FormatNumber(scene.boundsMax[0]).c_str(), FormatNumber(scene.boundsMax[1]).c_str(),
                     FormatNumber(scene.boundsMax[2]).c_str());
    }
    if (view.cameraFitted) {
        std::fprintf(out,
                     "Camera: target %s %s %s, scene size %s, distance %s, pitch %s, yaw %s, far plane %d\n",
                     FormatNumber(view.cameraTarget[0]).c_str(), FormatNumber(view.cameraTarget[1]).c_str(),
                     FormatNumber(view.cameraTarget[2]).c_str(), FormatNumber(view.sceneSize).c_str(),
                     FormatNumber(view.cameraDistance).c_str(), FormatNumber(view.cameraPitch).c_str(),
                     FormatNumber(view.cameraYaw).c_str(), view.farPlane);
    } else {
        std::fprintf(out, "Camera: not fitted\n");
    }
    if (!withVertices) return;
    std::fprintf(out, "\nVertices (position x, elevation, y | normal | colour r, g, b, a):\n");
    int64_t i = 0;
    ForEachVertex(scene, [&](const SceneVertex& v) {
        std::fprintf(out, "  %8lld  %s %s %s | %s %s %s | %s %s %s %s\n", static_cast<long long>(i++),
                     FormatNumber(v.position[0]).c_str(), FormatNumber(v.position[1]).c_str(),
                     FormatNumber(v.position[2]).c_str(), FormatNumber(v.normal[0]).c_str(),
                     FormatNumber(v.normal[1]).c_str(), FormatNumber(v.normal[2]).c_str(),
                     FormatNumber(v.colour[0]).c_str(), FormatNumber(v.colour[1]).c_str(),
                     FormatNumber(v.colour[2]).c_str(), FormatNumber(v.colour[3]).c_str());
    });
}

}  // namespace

int RunInfoCommand(const CommandLine& options, std::FILE* out, std::FILE* err) {
    // The files load as the viewer and --render load them, without an upload; every
    // file is tried, and each one's result reported.
    Records records;
    HeadlessDialogs dialogs(err);
    HeadlessHost host(records.scene, nullptr);  // no drawing context: no buffers
    ShellContext ctx{.records = records, .dialogs = dialogs, .host = host};
    if (options.smooth) DispatchCommand(ctx, kCommandSmoothOnOpen);
    std::vector<LoadRecord> loads;
    bool allOk = true;
    records.shell.pendingScenePaths = options.files;
    LoadReport report;
    LoadSceneFile(ctx, &report);
    for (const FileLoad& file : report.files) {
        loads.push_back({file.path, file.status});
        if (file.status != kStatusOk) {
            allOk = false;
            std::fprintf(err, "talan3d: %s\n",
                         LoadFailureText(file.path, file.read, file.status, kLanguageEnglish).c_str());
        }
    }
    if (!report.skipped.empty()) std::fprintf(err, "talan3d: %s\n", SkippedRowsText(report.skipped, kLanguageEnglish).c_str());
    if (options.json) {
        PrintJson(out, loads, records.scene, records.view, options.vertices);
    } else {
        PrintTable(out, loads, records.scene, records.view, options.vertices);
    }
    return ExitStatus(allOk ? FailureKind::None : FailureKind::SceneFile);
}

}  // namespace talan
