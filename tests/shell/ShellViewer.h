// The viewer's shell without a window, for tests that choose menu commands.
#pragma once

#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// The shell's headers bring the GL declarations; Qt's must come after them.
#include "shell/Commands.h"
#include "shell/ObjectsPanel.h"
#include "shell/WindowHost.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QUrl>

namespace talan::testing {

// Drags these files, then the addresses of `urls`, over `window` and drops them there;
// whether the drag was accepted.
inline bool DropFiles(QWidget& window, const std::vector<std::string>& paths, std::vector<QUrl> urls = {}) {
    QMimeData data;
    for (const std::string& path : paths) urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
    data.setUrls(QList<QUrl>(urls.begin(), urls.end()));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &enter);
    if (!enter.isAccepted()) return false;
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&window, &drop);
    return drop.isAccepted();
}

// The records of a viewer in a language, its drawing area 800 x 600.
inline Records StartRecords(uint32_t language) {
    Records records;
    records.shell.language = language;
    records.shell.clientWidth = 800;
    records.shell.clientHeight = 600;
    return records;
}

// A main window whose close box is only logged: the window stays.
struct LoggedWindow : QMainWindow {
    explicit LoggedWindow(std::string& log) : log_(log) {}
    void closeEvent(QCloseEvent* event) override {
        log_ += "close; ";
        event->ignore();
    }
    std::string& log_;
};

// The viewer's window host, with its menu bar, objects panel and status line, in a
// window that is not shown, over a drawing area without a drawing context. It
// answers the dialogs from its lists and logs the boxes it was asked to show (by
// caption) and what it was asked to do; the upload fails, as the real one does, when
// there is no vertex.
struct Viewer : Dialogs, DrawingArea {
    explicit Viewer(uint32_t language) : records(StartRecords(language)) { host.showProgress = false; }
    int32_t UploadScene() override { return scene.totalVertexCount > 0 ? kStatusOk : kStatusInvalidArg; }
    void Redraw() override {
        if (onRedraw) onRedraw();
    }
    void EndDrags() override { log += "drags end; "; }
    std::vector<std::string> OpenSceneFiles(const std::string& folder) override {
        folders.push_back(folder);
        if (!together.empty()) return std::exchange(together, {});
        if (answered >= paths.size()) return {};
        const std::optional<std::string>& answer = paths[answered++];
        return answer ? std::vector<std::string>{*answer} : std::vector<std::string>{};
    }
    std::optional<uint32_t> ChooseColour(std::array<uint32_t, 16>&) override {
        return std::exchange(colour, std::nullopt);
    }
    void ShowMessage(const std::string& text, const std::string& caption) override {
        log += caption + "; ";
        messages.push_back(text);
        if (onMessage) onMessage();
    }
    void ShowAbout(uint32_t language) override { log += "about " + std::to_string(language) + "; "; }
    bool Question(const std::string& text, const std::string& caption) override {
        log += caption + "?; ";
        messages.push_back(text);
        const bool yes = asked < answers.size() && answers[asked];
        ++asked;
        return yes;
    }

    // Chooses the entries of `ids` in turn, as clicks do; an object's entry by the
    // identifier --info reports.
    template <typename... Ids> void Choose(Ids... ids) {
        for (const int32_t id : {static_cast<int32_t>(ids)...}) {
            const Command c = CommandOfIdentifier(id);
            QAction* entry = c.object >= 0 ? ObjectEntry(menus, c.flag, c.object) : menus.actions.at(id);
            ASSERT_NE(entry, nullptr) << id;
            entry->trigger();
        }
    }
    void Open(int32_t command, std::string_view text) {  // a file of this text is the next dialog's answer
        paths.push_back(File(text));
        Choose(command);
    }
    bool Checked(int32_t id) const { return menus.actions.at(id)->isChecked(); }
    // The status line's text and tool tip, and what was put on the clipboard.
    std::string Status() const { return host.StatusLabel().text().toStdString(); }
    std::string ToolTip() const { return host.StatusLabel().toolTip().toStdString(); }
    static std::string Copied() { return QGuiApplication::clipboard()->text().toStdString(); }
    // A scene file of this text, removed with the viewer; `extension` ends its name.
    std::string File(std::string_view text, std::string_view extension = "") {
        static int files = 0;
        written.push_back(::testing::TempDir() + "menus_" + std::to_string(::getpid()) + "_" + std::to_string(++files) +
                          std::string(extension));
        std::ofstream(written.back(), std::ios::binary) << text;
        return written.back();
    }
    ~Viewer() override { for (const std::string& path : written) std::remove(path.c_str()); }

    std::string log;  // before the window, which logs its closing here
    Records records;
    ShellState& shell = records.shell;
    ViewState& view = records.view;
    SceneModel& scene = records.scene;
    GraphicsState& graphics = records.graphics;
    LoggedWindow window{log};
    WindowHost host{records, *this, window, *this};
    ShellContext& ctx = host.Context();
    const MenuHandles& menus = host.Menus();
    ObjectsPanel* panel = &host.Panel();
    std::vector<std::optional<std::string>> paths;  // the open dialog's answers in turn; none (or none left): cancelled
    std::vector<std::string> together;  // files chosen together in the next dialog, before `paths`
    std::vector<std::string> written, folders;      // the files written; the folders the dialog was to start in
    size_t answered = 0;
    std::optional<uint32_t> colour;  // the colour dialog's next answer
    std::vector<bool> answers;       // the questions' answers in turn; none left: no
    size_t asked = 0;                // the questions asked
    std::function<void()> onMessage;      // while a message box is open
    std::function<void()> onRedraw;       // when a new picture is asked for
    std::vector<std::string> messages;  // the texts of the boxes shown
};

}  // namespace talan::testing
