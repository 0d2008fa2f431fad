#include "shell/SlabsAndPicks.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "scene/TextDecoding.h"
#include "shell/CommandIds.h"
#include "shell/Texts.h"

namespace talan {

namespace {

// A slab starts a twentieth of what the shown objects span along its axis thick.
constexpr double kSlabsPerExtent = 20.0;
// The pitch that looks straight down on a horizontal slice: the heading stays up on
// the picture. A later drag brings the pitch back within the drags' own limits.
constexpr float kLookDownPitch = 90.0f;

// The status line's words in the language of the moment.
const StatusTexts& Words(const ShellContext& ctx) { return TextsFor(ctx.records.shell.language).status; }

// A value as "%.2f" shows it, without the minus of one that rounds to zero.
double Shown(double value) { return std::fabs(value) < 0.005 ? 0.0 : value; }

// An azimuth within [0, 360) once shown with two decimals: just west of north reads
// 0.00, not 360.00.
double ShownAzimuth(double degrees) { return degrees >= 359.995 ? 0.0 : Shown(degrees); }

// Where an element lies along one file axis.
struct AxisSpan {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();
    bool Empty() const { return !(low <= high); }
};

// Calls visit(AxisSpan) with the span along file `axis` of every element of the shown
// objects, in object order, until visit returns false. Elements whose coordinates
// along the axis are all NaN are passed over.
template <typename Visit>
void ForEachShownElementSpan(const SceneModel& scene, int axis, Visit&& visit) {
    const auto a = static_cast<size_t>(axis);
    const size_t stored = axis == 0 ? 0 : axis == 1 ? 2 : 1;  // vertices keep (x, elevation, y)
    for (size_t k = 0; k < scene.firstStored.size(); ++k) {
        if (!scene.objectVisible[k]) continue;
        const auto first = static_cast<size_t>(scene.firstStored[k]);
        const auto elements = static_cast<size_t>(scene.elementCounts[k]);
        if (IsBlockModel(scene, k)) {
            for (size_t e = 0; e < elements; ++e) {
                const BlockRecord& block = scene.blockRecords[first + e];
                const AxisSpan span{std::fmin(block.low[a], block.high[a]), std::fmax(block.low[a], block.high[a])};
                if (!span.Empty() && !visit(span)) return;
            }
            continue;
        }
        const auto perElement = static_cast<size_t>(scene.verticesPerElement[k]);
        for (size_t e = 0; e < elements; ++e) {
            AxisSpan span;
            for (size_t v = 0; v < perElement; ++v) {
                const double c = scene.sceneVertices[first + e * perElement + v].position[stored];
                span.low = std::fmin(span.low, c);
                span.high = std::fmax(span.high, c);
            }
            if (!span.Empty() && !visit(span)) return;
        }
    }
}

// What the shown objects span along `axis`; empty when nothing is shown.
AxisSpan ShownSpan(const SceneModel& scene, int axis) {
    AxisSpan all;
    ForEachShownElementSpan(scene, axis, [&all](const AxisSpan& span) {
        all.low = std::min(all.low, span.low);
        all.high = std::max(all.high, span.high);
        return true;
    });
    return all;
}

// Whether some element of the shown objects reaches into the slab, where the
// picture keeps at least a piece of it.
bool SlabHoldsShownElement(const SceneModel& scene, const SectionSlab& slab) {
    const double low = slab.centre - slab.thickness / 2, high = slab.centre + slab.thickness / 2;
    bool found = false;
    ForEachShownElementSpan(scene, slab.axis, [&](const AxisSpan& span) {
        found = span.low <= high && span.high >= low;
        return !found;
    });
    return found;
}

std::string PickText(const ShellContext& ctx, const PickResult& pick) {
    const StatusTexts& words = Words(ctx);
    const auto k = static_cast<size_t>(pick.element.object);
    const ObjectKind kind = ctx.records.scene.objectKinds[k];
    // The name goes in whole, whatever bytes it holds, between the two patterns.
    return FormatText(words.pickPoint, pick.point[0], pick.point[1], pick.point[2], k) + " \"" +
           DecodeNameForDisplay(ctx.records.scene.objectNames[k]) + "\" " +
           FormatText(words.pickElement, ObjectKindTag(kind), words.elementWords[static_cast<int>(kind)],
                      static_cast<long long>(pick.element.element));
}

std::string MeasureText(const ShellContext& ctx) {
    const MeasureMarks& marks = ctx.records.view.measure;
    const StatusTexts& words = Words(ctx);
    if (marks.count < 2) return marks.count == 0 ? words.measureFirst : words.measureSecond;
    const Measurement m = Measure(marks.points[0], marks.points[1]);
    return FormatText(words.measured, Shown(m.slopeDistance), Shown(m.horizontalDistance), Shown(m.dz),
                      ShownAzimuth(m.azimuth), Shown(m.dip));
}

// A slab across `axis`, or none when that slab is there already. It is centred on
// what the camera looks at, brought within what the shown objects span along the
// axis (a pan may have taken the point far outside), and a twentieth of that span
// thick. Without such a span (nothing shown, or flat along the axis) it is a
// twentieth of the scene's size thick.
void ToggleSlab(ShellContext& ctx, int axis) {
    SectionSlab& slab = ctx.records.view.section;
    if (slab.axis == axis) {
        slab = SectionSlab{};
        return;
    }
    double centre = ctx.records.view.cameraTarget[static_cast<size_t>(axis)];
    double thickness = 0.0;
    if (const AxisSpan span = ShownSpan(ctx.records.scene, axis); !span.Empty()) {
        centre = std::clamp(centre, span.low, span.high);
        thickness = (span.high - span.low) / kSlabsPerExtent;
    }
    if (!(thickness > 0.0 && std::isfinite(thickness))) {
        thickness = (ctx.records.view.sceneSize > 0 ? ctx.records.view.sceneSize : 1.0) / kSlabsPerExtent;
    }
    slab = {axis, centre, thickness};
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
    SectionSlab& slab = ctx.records.view.section;
    switch (id) {
        case kCommandSectionX:
        case kCommandSectionY:
        case kCommandSectionZ: ToggleSlab(ctx, id - kCommandSectionX); break;
        case kCommandSectionForward: slab.centre += slab.thickness; break;
        case kCommandSectionBack: slab.centre -= slab.thickness; break;
        case kCommandSectionThicker: slab.thickness *= 2; break;
        case kCommandSectionThinner: slab.thickness /= 2; break;
        case kCommandSectionRemove: slab = SectionSlab{}; break;
        case kCommandLookAlongSection: LookAlongSlab(ctx.records.view); break;
        case kCommandMeasure: {
            // M starts a measurement, or, with one under way or drawn, takes it away.
            MeasureMarks& marks = ctx.records.view.measure;
            const bool start = !marks.Shown();
            marks = MeasureMarks{};
            marks.measuring = start;
            break;
        }
        case kCommandCopyResult:
            if (!ctx.records.shell.resultText.empty()) ctx.host.CopyText(ctx.records.shell.resultText);
            break;
        default: return false;
    }
    return true;
}

std::optional<bool> SlabOrPickSwitch(const ShellContext& ctx, int32_t id) {
    if (id >= kCommandSectionX && id <= kCommandSectionZ) return ctx.records.view.section.axis == id - kCommandSectionX;
    if (id == kCommandMeasure) return ctx.records.view.measure.Shown();
    return std::nullopt;
}

void Picked(ShellContext& ctx, const PickResult& pick) {
    MeasureMarks& marks = ctx.records.view.measure;
    if (marks.measuring) {
        if (!pick.hit) return;
        marks.points[static_cast<size_t>(marks.count++)] = pick.point;
        if (marks.count == 2) {
            marks.measuring = false;
            ctx.records.shell.resultText = MeasureText(ctx);
        }
        return;
    }
    ctx.records.shell.pickText = pick.hit ? PickText(ctx, pick) : std::string();
    if (pick.hit) ctx.records.shell.resultText = ctx.records.shell.pickText;
}

void ClearSlabAndPicks(ShellContext& ctx) {
    ctx.records.view.section = SectionSlab{};
    ctx.records.view.measure = MeasureMarks{};
    ctx.records.shell.pickText.clear();
    ctx.records.shell.resultText.clear();
}

StatusLine StatusText(const ShellContext& ctx) {
    StatusLine line;
    const auto add = [](std::string& text, const std::string& part) { text += (text.empty() ? "" : "     ") + part; };
    // A part goes into the tool tip always, and into the line unless it would crowd out
    // the measurement: the line shows a finished measurement alone, and a pick made
    // before a measurement began gives way to its prompt.
    const auto part = [&](const std::string& text, bool inLine) {
        add(line.toolTip, text);
        if (inLine) add(line.text, text);
    };
    const MeasureMarks& marks = ctx.records.view.measure;
    const bool measured = marks.count == 2;
    const SectionSlab& slab = ctx.records.view.section;
    if (slab.Active()) {
        static constexpr const char* kAxisNames[3] = {"X", "Y", "Z"};
        const StatusTexts& words = Words(ctx);
        const bool empty = !SlabHoldsShownElement(ctx.records.scene, slab);
        part(FormatText(words.section, kAxisNames[slab.axis], Shown(slab.centre), Shown(slab.thickness)) +
                 (empty ? words.sectionEmpty : ""),
             !measured);
    }
    if (!ctx.records.shell.pickText.empty()) part(ctx.records.shell.pickText, !marks.Shown());
    if (marks.Shown()) part(MeasureText(ctx), true);
    if (!ctx.records.shell.reloadNote.empty()) part(ctx.records.shell.reloadNote, !measured);
    // The picture is stretched, not the numbers: said so whenever it is.
    if (const float factor = ctx.records.view.exaggeration; factor != 1.0f) {
        part(FormatText(Words(ctx).exaggeration, static_cast<double>(factor)), !measured);
    }
    if (!ctx.records.shell.noticeText.empty()) part(ctx.records.shell.noticeText, true);
    return line;
}

}  // namespace talan
