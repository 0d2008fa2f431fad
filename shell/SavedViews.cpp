#include "shell/SavedViews.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <sstream>

#include "shell/Settings.h"
#include "shell/ShellContext.h"
#include "shell/Texts.h"

namespace talan {

namespace {

constexpr const char* kAxisWords[] = {"x", "y", "z"};

// A finite number of a word, the whole word read.
std::optional<double> FiniteNumber(const std::string& word) {
    double value = 0.0;
    const char* end = word.data() + word.size();
    const auto [stop, error] = std::from_chars(word.data(), end, value);
    if (error != std::errc() || stop != end || !std::isfinite(value)) return std::nullopt;
    return value;
}

// A "view" line's slot (0 to 8) and view, from its words after "view"; nothing for a
// line of another form or with a value no view can have.
std::optional<std::pair<int, SavedView>> ReadViewLine(const std::vector<std::string>& words) {
    if (words.size() != 12) return std::nullopt;
    const std::optional<double> slot = FiniteNumber(words[1]);
    if (!slot || *slot != std::floor(*slot) || *slot < 1 || *slot > kSavedViewSlots) return std::nullopt;
    double values[7];
    for (size_t k = 0; k < 7; ++k) {
        const std::optional<double> value = FiniteNumber(words[2 + k]);
        // Past a float's range the value is no longer finite once stored.
        if (!value || std::fabs(*value) > 1e30) return std::nullopt;
        values[k] = *value;
    }
    SavedView view;
    view.target = {static_cast<float>(values[0]), static_cast<float>(values[1]), static_cast<float>(values[2])};
    view.distance = static_cast<float>(values[3]);
    view.yaw = static_cast<float>(values[4]);
    view.pitch = static_cast<float>(values[5]);
    view.exaggeration = static_cast<float>(values[6]);
    if (view.distance < 0.0f || view.pitch < -90.0f || view.pitch > 90.0f || view.exaggeration < kMinExaggeration ||
        view.exaggeration > kMaxExaggeration) {
        return std::nullopt;
    }
    const std::optional<double> centre = FiniteNumber(words[10]), thickness = FiniteNumber(words[11]);
    if (!centre || !thickness) return std::nullopt;
    if (words[9] != "none") {
        const auto axis = std::find(std::begin(kAxisWords), std::end(kAxisWords), words[9]);
        if (axis == std::end(kAxisWords) || *thickness <= 0.0) return std::nullopt;
        view.section = {static_cast<int>(axis - std::begin(kAxisWords)), *centre, *thickness};
    }
    return std::pair(static_cast<int>(*slot) - 1, view);
}

// A number as it reads back the same.
std::string Exact(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

}  // namespace

std::string SavedViewsKey(const std::vector<std::string>& files) {
    std::string key;
    for (const std::string& file : files) key += (key.empty() ? "" : "\n") + file;
    return key;
}

void NoteSceneFileLoaded(SavedViews& views, const std::string& absolutePath) {
    const auto at = std::lower_bound(views.files.begin(), views.files.end(), absolutePath);
    if (at == views.files.end() || *at != absolutePath) views.files.insert(at, absolutePath);
}

ViewSlots CurrentViewSlots(const SavedViews& views) {
    const auto set = views.sets.find(SavedViewsKey(views.files));
    return set == views.sets.end() ? ViewSlots{} : set->second;
}

SavedView ViewOf(const ViewState& view) {
    return {view.cameraTarget, view.cameraDistance, view.cameraYaw, view.cameraPitch, view.exaggeration, view.section};
}

void RestoreView(ViewState& view, const SavedView& saved) {
    view.cameraTarget = saved.target;
    view.cameraDistance = saved.distance;
    view.cameraYaw = saved.yaw;
    view.cameraPitch = saved.pitch;
    view.exaggeration = saved.exaggeration;
    view.section = saved.section;
}

bool RunSavedViewCommand(ShellContext& ctx, int32_t id) {
    SavedViews& views = ctx.records.shell.savedViews;
    const StatusTexts& words = TextsFor(ctx.records.shell.language).status;
    if (id >= kCommandSaveView1 && id < kCommandSaveView1 + kSavedViewSlots) {
        const int slot = id - kCommandSaveView1;
        views.sets[SavedViewsKey(views.files)][static_cast<size_t>(slot)] = ViewOf(ctx.records.view);
        views.changed = true;
        ctx.records.shell.noticeText = FormatText(words.viewSaved, slot + 1);
        return true;
    }
    if (id < kCommandRestoreView1 || id >= kCommandRestoreView1 + kSavedViewSlots) return false;
    const int slot = id - kCommandRestoreView1;
    const std::optional<SavedView> saved = CurrentViewSlots(views)[static_cast<size_t>(slot)];
    if (saved) {
        RestoreView(ctx.records.view, *saved);
    } else {
        ctx.records.shell.noticeText = FormatText(words.noSavedView, slot + 1);
    }
    return true;
}

std::string SavedViewLabel(int slot, const std::optional<SavedView>& saved, uint32_t language) {
    const MenuTexts& t = TextsFor(language).menu;
    if (!saved) return FormatText(t.savedViewEmpty, slot + 1);
    // The yaw grows without end while the camera turns: shown as a heading.
    double yaw = std::fmod(static_cast<double>(saved->yaw), 360.0);
    if (yaw < 0.0) yaw += 360.0;
    return FormatText(t.savedViewEntry, slot + 1, yaw, static_cast<double>(saved->pitch),
                      static_cast<double>(saved->exaggeration));
}

std::map<std::string, ViewSlots> ReadSavedViewsText(std::string_view text) {
    std::map<std::string, ViewSlots> sets;
    std::vector<std::string> files;
    std::vector<std::pair<int, SavedView>> slots;
    const auto endSet = [&] {
        std::sort(files.begin(), files.end());
        files.erase(std::unique(files.begin(), files.end()), files.end());
        if (!files.empty() && !slots.empty()) {
            ViewSlots& kept = sets[SavedViewsKey(files)];
            for (const auto& [slot, view] : slots) kept[static_cast<size_t>(slot)] = view;
        }
        files.clear();
        slots.clear();
    };
    bool inSet = false;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line == "set") {
            endSet();
            inSet = true;
        } else if (line.substr(0, 5) == "file " && line.size() > 5 && inSet) {
            files.emplace_back(line.substr(5));
        } else if (line.substr(0, 5) == "view " && inSet) {
            std::istringstream in{std::string(line)};
            std::vector<std::string> words;
            for (std::string word; in >> word;) words.push_back(word);
            if (const auto slot = ReadViewLine(words)) slots.push_back(*slot);
        }
    }
    endSet();
    return sets;
}

std::string SavedViewsText(const std::map<std::string, ViewSlots>& sets) {
    std::string text;
    for (const auto& [key, slots] : sets) {
        // A set of nothing loaded, or of a path that would break its line, is not kept.
        if (key.empty() || key.find('\r') != std::string::npos ||
            std::none_of(slots.begin(), slots.end(), [](const auto& slot) { return slot.has_value(); })) {
            continue;
        }
        text += "set\n";
        for (size_t start = 0; start <= key.size();) {
            const size_t end = std::min(key.find('\n', start), key.size());
            text += "file " + key.substr(start, end - start) + "\n";
            start = end + 1;
        }
        for (size_t k = 0; k < slots.size(); ++k) {
            if (!slots[k]) continue;
            const SavedView& v = *slots[k];
            const bool slab = v.section.Active();
            text += "view " + std::to_string(k + 1);
            for (const float value : {v.target[0], v.target[1], v.target[2], v.distance, v.yaw, v.pitch, v.exaggeration}) {
                text += " " + Exact(value);
            }
            text += std::string(" ") + (slab ? kAxisWords[v.section.axis] : "none") + " " +
                    Exact(slab ? v.section.centre : 0.0) + " " + Exact(slab ? v.section.thickness : 0.0) + "\n";
        }
    }
    return text;
}

std::map<std::string, ViewSlots> LoadSavedViews(const std::string& path) {
    const std::optional<std::string> text = ReadFileText(path);
    return text ? ReadSavedViewsText(*text) : std::map<std::string, ViewSlots>{};
}

Failure SaveSavedViews(const std::string& path, const std::map<std::string, ViewSlots>& sets) {
    const std::string reason = ReplaceFileText(path, SavedViewsText(sets));
    if (reason.empty()) return {};
    return {FailureKind::WriteFile, kStatusFail, "the saved views could not be saved in " + path + ": " + reason};
}

}  // namespace talan
