// What the commands ask of the program around them: a window with its drawing area,
// menus, objects panel, status line and progress window, or nothing at all when a
// command-line mode runs them. The commands change the records and then tell the
// host; they never reach a widget themselves.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "scene/SceneModel.h"

namespace talan {

struct GraphicsState;

// The status line: the text it shows (empty hides it) and all it has to tell, its
// tool tip.
struct StatusLine {
    std::string text;
    std::string toolTip;
};

class Host {
public:
    virtual ~Host() = default;

    // Makes the vertex buffers from the scene in the drawing context; the status of
    // the upload.
    virtual int32_t Upload() = 0;
    // The picture changed: a new one is drawn.
    virtual void Refresh() = 0;
    // The mouse is let go: every drag ends.
    virtual void EndDrags() = 0;
    // Ends the program as the window's close box does.
    virtual void Close() = 0;

    // The records changed: every check mark, and the objects panel with whether it is
    // shown, is drawn from them again.
    virtual void ShowRecords() = 0;
    // The list of objects changed: a load added some, or New removed them all.
    virtual void ObjectsChanged() = 0;
    // The status line; empty text hides it.
    virtual void ShowStatus(const StatusLine& line) = 0;
    // Puts text on the clipboard.
    virtual void CopyText(const std::string& text) = 0;

    // A load, step by step: it starts, names each object as it is read (its entries
    // join the menus), shows each section's progress, ends its reading (what follows
    // serves no events for a while) and is over.
    virtual void LoadStarted() = 0;
    virtual void ObjectAnnounced(int32_t object, ObjectKind kind, std::string_view rawName) = 0;
    virtual void ProgressShown(std::string_view rawTitle) = 0;
    virtual void ProgressChanged(int percent) = 0;
    virtual void ReadOver() = 0;
    virtual void LoadOver() = 0;

    // The scene files loaded since the last New changed (a load added one, New
    // dropped them): the host watches these for changes on disk.
    virtual void WatchFiles(const std::vector<std::string>& paths) = 0;
};

// The host of a run without a window (--info, --render, --pick): there is nothing to
// show, so every operation but the upload does nothing. The upload makes buffers
// only when the run has a drawing context current and names its graphics; without
// them it only fails as an upload would on a scene without vertices.
class HeadlessHost : public Host {
public:
    HeadlessHost(SceneModel& scene, GraphicsState* graphics) : scene_(scene), graphics_(graphics) {}

    int32_t Upload() override;
    void Refresh() override {}
    void EndDrags() override {}
    void Close() override {}
    void ShowRecords() override {}
    void ObjectsChanged() override {}
    void ShowStatus(const StatusLine&) override {}
    void CopyText(const std::string&) override {}
    void LoadStarted() override {}
    void ObjectAnnounced(int32_t, ObjectKind, std::string_view) override {}
    void ProgressShown(std::string_view) override {}
    void ProgressChanged(int) override {}
    void ReadOver() override {}
    void LoadOver() override {}
    void WatchFiles(const std::vector<std::string>&) override {}

private:
    SceneModel& scene_;
    GraphicsState* graphics_;
};

}  // namespace talan
