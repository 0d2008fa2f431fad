#include "shell/SlabsAndPicks.h"

#include <cstdio>

#include "scene/TextDecoding.h"
#include "shell/Menus.h"

namespace talan {

namespace {

// A slab starts a twentieth of the scene's size thick.
constexpr double kSlabsPerScene = 20.0;
// The pitch that looks straight down on a horizontal slice; drags keep it within 89.
constexpr float kLookDownPitch = 89.0f;

bool Spanish(const ShellContext& ctx) { return ctx.shell.language == kLanguageSpanish; }

std::string Format(const char* format, double a, double b = 0, double c = 0, double d = 0, double e = 0) {
    char text[160];
    std::snprintf(text, sizeof text, format, a, b, c, d, e);
    return text;
}

// The word for an element of a kind: what a click picked one of.
const char* ElementWord(ObjectKind kind, bool spanish) {
    switch (kind) {
        case ObjectKind::T3: return spanish ? "triángulo" : "triangle";
        case ObjectKind::LIN:
        case ObjectKind::SUP: return spanish ? "segmento" : "segment";
        case ObjectKind::BLKKDX: return spanish ? "bloque" : "block";
        case ObjectKind::PTS: return spanish ? "punto" : "point";
        case ObjectKind::SONKDX: return spanish ? "tramo" : "interval";
    }
    return "";
}

std::string PickText(const ShellContext& ctx, const PickResult& pick) {
    const bool spanish = Spanish(ctx);
    const auto k = static_cast<size_t>(pick.element.object);
    const ObjectKind kind = ctx.scene.objectKinds[k];
    return Format(spanish ? "Punto %.2f, %.2f, %.2f" : "Point %.2f, %.2f, %.2f", pick.point[0], pick.point[1],
                  pick.point[2]) +
           (spanish ? ": objeto " : ": object ") + std::to_string(k) + " \"" +
           DecodeNameForDisplay(ctx.scene.objectNames[k]) + "\" (" + ObjectKindTag(kind) + "), " +
           ElementWord(kind, spanish) + " " + std::to_string(pick.element.element);
}

std::string MeasureText(const ShellContext& ctx) {
    const MeasureMarks& marks = ctx.view.measure;
    const bool spanish = Spanish(ctx);
    if (marks.count < 2) {
        if (marks.count == 0) return spanish ? "Medir: pulse el primer punto" : "Measure: click the first point";
        return spanish ? "Medir: pulse el segundo punto" : "Measure: click the second point";
    }
    const Measurement m = Measure(marks.points[0], marks.points[1]);
    return Format(spanish ? "Medida: inclinada %.2f, horizontal %.2f, dz %.2f, azimut %.2f°, buzamiento %.2f°"
                          : "Measured: slope %.2f, horizontal %.2f, dz %.2f, azimuth %.2f°, dip %.2f°",
                  m.slopeDistance, m.horizontalDistance, m.dz, m.azimuth, m.dip);
}

// A slab across `axis` centred on what the camera looks at, or none when that slab
// is there already.
void ToggleSlab(ShellContext& ctx, int axis) {
    SectionSlab& slab = ctx.view.section;
    if (slab.axis == axis) {
        slab = SectionSlab{};
        return;
    }
    const double size = ctx.view.sceneSize > 0 ? ctx.view.sceneSize : 1.0;
    slab = {axis, ctx.view.cameraTarget[static_cast<size_t>(axis)], size / kSlabsPerScene};
}

// Turns the camera to look straight along the slab's normal: east or north at the
// level for a vertical slab, down on a slice.
void LookAlongSlab(ViewState& view) {
    switch (view.section.axis) {
        case 0:
            view.cameraYaw = 90.0f;
            view.cameraPitch = 0.0f;
            break;
        case 1:
            view.cameraYaw = 0.0f;
            view.cameraPitch = 0.0f;
            break;
        case 2: view.cameraPitch = kLookDownPitch; break;
        default: break;
    }
}

}  // namespace

bool RunSlabOrPickCommand(ShellContext& ctx, int32_t id) {
    SectionSlab& slab = ctx.view.section;
    switch (id) {
        case kCommandSectionX:
        case kCommandSectionY:
        case kCommandSectionZ: ToggleSlab(ctx, id - kCommandSectionX); break;
        case kCommandSectionForward: slab.centre += slab.thickness; break;
        case kCommandSectionBack: slab.centre -= slab.thickness; break;
        case kCommandSectionThicker: slab.thickness *= 2; break;
        case kCommandSectionThinner: slab.thickness /= 2; break;
        case kCommandSectionRemove: slab = SectionSlab{}; break;
        case kCommandLookAlongSection: LookAlongSlab(ctx.view); break;
        case kCommandMeasure: {
            // M starts a measurement, or, with one under way or drawn, takes it away.
            MeasureMarks& marks = ctx.view.measure;
            const bool start = !marks.Shown();
            marks = MeasureMarks{};
            marks.measuring = start;
            break;
        }
        case kCommandCopyResult:
            if (ctx.copyText && !ctx.shell.resultText.empty()) ctx.copyText(ctx.shell.resultText);
            break;
        default: return false;
    }
    return true;
}

std::optional<bool> SlabOrPickSwitch(const ShellContext& ctx, int32_t id) {
    if (id >= kCommandSectionX && id <= kCommandSectionZ) return ctx.view.section.axis == id - kCommandSectionX;
    if (id == kCommandMeasure) return ctx.view.measure.Shown();
    return std::nullopt;
}

void Picked(ShellContext& ctx, const PickResult& pick) {
    MeasureMarks& marks = ctx.view.measure;
    if (marks.measuring) {
        if (!pick.hit) return;
        marks.points[static_cast<size_t>(marks.count++)] = pick.point;
        if (marks.count == 2) {
            marks.measuring = false;
            ctx.shell.resultText = MeasureText(ctx);
        }
        return;
    }
    ctx.shell.pickText = pick.hit ? PickText(ctx, pick) : std::string();
    if (pick.hit) ctx.shell.resultText = ctx.shell.pickText;
}

void ClearSlabAndPicks(ShellContext& ctx) {
    ctx.view.section = SectionSlab{};
    ctx.view.measure = MeasureMarks{};
    ctx.shell.pickText.clear();
    ctx.shell.resultText.clear();
}

std::string StatusText(const ShellContext& ctx) {
    std::string text;
    const auto add = [&text](const std::string& part) { text += (text.empty() ? "" : "     ") + part; };
    const SectionSlab& slab = ctx.view.section;
    if (slab.Active()) {
        static constexpr const char* kAxisNames[3] = {"X", "Y", "Z"};
        const std::string axis = kAxisNames[slab.axis];
        add(Spanish(ctx) ? "Sección según " + axis + Format(" = %.2f, espesor %.2f", slab.centre, slab.thickness)
                         : "Section across " + axis + Format(" = %.2f, %.2f thick", slab.centre, slab.thickness));
    }
    if (!ctx.shell.pickText.empty()) add(ctx.shell.pickText);
    if (ctx.view.measure.Shown()) add(MeasureText(ctx));
    return text;
}

}  // namespace talan
