// The viewer window as the commands' host: its menu bar, objects panel, status line,
// progress window, clipboard and drawing area show what the commands changed.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "shell/Host.h"
#include "shell/Menus.h"
#include "shell/ProgressBar.h"
#include "shell/ShellContext.h"

class QLabel;
class QMainWindow;

namespace talan {

class LoadedFilesWatcher;
class ObjectsPanel;

// The drawing area as the window host reaches it: the viewer's SceneView, or a
// test's stand-in without a drawing context.
class DrawingArea {
public:
    virtual ~DrawingArea() = default;
    // Makes the vertex buffers from the scene in the area's context; the upload's
    // status.
    virtual int32_t UploadScene() = 0;
    // Something the picture shows has changed: a new picture is drawn.
    virtual void Redraw() = 0;
    // Ends every drag, as losing the mouse does.
    virtual void EndDrags() = 0;
};

class WindowHost : public Host {
public:
    // Shows `records` in `window`, which the host fills with its menu bar, objects
    // panel and status line, and in `area`; all must outlive the host. Menu entries
    // and the panel's check boxes dispatch their commands in Context().
    WindowHost(Records& records, Dialogs& dialogs, QMainWindow& window, DrawingArea& area);
    ~WindowHost() override;

    // The context the window's commands run in: the records, the dialogs and this host.
    ShellContext& Context() { return ctx_; }

    int32_t Upload() override;
    void Refresh() override;
    void EndDrags() override;
    void Close() override;
    void ShowRecords() override;
    void ObjectsChanged() override;
    void ShowStatus(const StatusLine& line) override;
    void CopyText(const std::string& text) override;
    void LoadStarted() override;
    void ObjectAnnounced(int32_t object, ObjectKind kind, std::string_view rawName) override;
    void ProgressShown(std::string_view rawTitle) override;
    void ProgressChanged(int percent) override;
    void ReadOver() override;
    void LoadOver() override;
    void WatchFiles(const std::vector<std::string>& paths) override;

    const MenuHandles& Menus() const { return menus_; }
    ObjectsPanel& Panel() const { return *panel_; }
    const QLabel& StatusLabel() const { return *status_; }
    LoadedFilesWatcher& Watcher() const { return *watcher_; }

    bool showProgress = true;  // progress windows while a file is read
    int progressShowDelayMs = kProgressShowDelayMs;  // a load shows its progress window once it has run this long

private:
    void ShowObjectCheckMarks(int32_t object);

    ShellContext ctx_;
    QMainWindow& window_;
    DrawingArea& area_;
    MenuHandles menus_;
    ObjectsPanel* panel_;  // owned by the window
    QLabel* status_;       // owned by the window's status bar
    std::unique_ptr<ProgressBar> progress_;  // during a load
    std::unique_ptr<LoadedFilesWatcher> watcher_;  // goes with the host, whose context it calls
};

}  // namespace talan
