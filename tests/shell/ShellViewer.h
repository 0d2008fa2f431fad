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

#include <QAction>
#include <QMenuBar>

namespace talan::testing {

// The viewer's records, menu bar and objects panel without a window or a drawing
// context. It answers the dialogs from its lists and logs the boxes it was asked to
// show (by caption) and what it was asked to do; the upload fails, as the real one
// does, when there is no vertex.
struct Viewer : Dialogs {
    explicit Viewer(uint32_t language) {
        shell.language = language;
        shell.clientWidth = 800;
        shell.clientHeight = 600;
        ctx.upload = [this] { return scene.totalVertexCount > 0 ? kStatusOk : kStatusInvalidArg; };
        ctx.closeWindow = [this] { log += "close; "; };
        ctx.endDrags = [this] { log += "drags end; "; };
        ctx.showStatus = [this](const StatusLine& line) {
            status = line.text;
            toolTip = line.toolTip;
        };
        ctx.copyText = [this](const std::string& text) { copied = text; };
        ctx.showProgress = false;
        panel = std::make_unique<ObjectsPanel>(ctx);  // in the language of the menus
        ctx.objectsPanel = panel.get();
        BuildMenus(ctx, &bar);
    }
    std::optional<std::string> OpenSceneFile(QWidget*, const std::string& folder) override {
        folders.push_back(folder);
        return answered < paths.size() ? paths[answered++] : std::nullopt;
    }
    std::optional<uint32_t> ChooseColour(QWidget*, std::array<uint32_t, 16>&) override {
        return std::exchange(colour, std::nullopt);
    }
    void ShowMessage(const std::string& text, const std::string& caption) override {
        log += caption + "; ";
        messages.push_back(text);
        if (onMessage) onMessage();
    }
    void ShowAbout(QWidget*, uint32_t language) override { log += "about " + std::to_string(language) + "; "; }

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
    // A scene file of this text, removed with the viewer.
    std::string File(std::string_view text) {
        static int files = 0;
        written.push_back(::testing::TempDir() + "menus_" + std::to_string(::getpid()) + "_" + std::to_string(++files));
        std::ofstream(written.back(), std::ios::binary) << text;
        return written.back();
    }
    ~Viewer() override { for (const std::string& path : written) std::remove(path.c_str()); }

    Records records;
    ShellState& shell = records.shell;
    ViewState& view = records.view;
    SceneModel& scene = records.scene;
    GraphicsState& graphics = records.graphics;
    MenuHandles menus;
    QMenuBar bar;
    ShellContext ctx{.records = records, .dialogs = *this,
                     .menus = &menus};
    std::unique_ptr<ObjectsPanel> panel;
    std::vector<std::optional<std::string>> paths;  // the open dialog's answers in turn; none (or none left): cancelled
    std::vector<std::string> written, folders;      // the files written; the folders the dialog was to start in
    size_t answered = 0;
    std::optional<uint32_t> colour;  // the colour dialog's next answer
    std::string log, status, toolTip, copied;
    std::function<void()> onMessage;      // while a message box is open
    std::vector<std::string> messages;  // the texts of the boxes shown
};

}  // namespace talan::testing
