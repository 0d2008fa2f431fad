#include "shell/WindowHost.h"

#include "scene/TextDecoding.h"
#include "scene/ValueColours.h"
#include "shell/Commands.h"
#include "shell/FileReload.h"
#include "shell/LoadedFilesWatcher.h"
#include "shell/ObjectsPanel.h"
#include "shell/SavedViews.h"
#include "shell/SlabsAndPicks.h"
#include "shell/Texts.h"

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

namespace talan {

namespace {

// The check mark of one entry from the switch of its command.
void ShowCheckMark(const ShellContext& ctx, QAction* entry, const Command& command) {
    if (entry != nullptr && entry->isCheckable()) entry->setChecked(SwitchState(ctx, command).value_or(false));
}

}  // namespace

WindowHost::WindowHost(Records& records, Dialogs& dialogs, QMainWindow& window, DrawingArea& area)
    : ctx_{records, dialogs, *this}, window_(window), area_(area), status_(new QLabel(&window)) {
    ShellContext& ctx = ctx_;
    // The status line shows only while there is something to tell. It is a label of
    // the status bar, not a message of it: the menus' hints would wipe a message.
    window.statusBar()->addWidget(status_, 1);
    const uint32_t language = ctx.records.shell.language;
    const CommandHandler dispatch = [&ctx](const Command& command) { DispatchCommand(ctx, command); };
    BuildMenuBar(window.menuBar(), TextsFor(language).menu, menus_, dispatch);
    // The files opened last, as they are when the File menu opens.
    QObject::connect(menus_.fileMenu, &QMenu::aboutToShow, menus_.fileMenu, [this, dispatch] {
        ShowRecentFiles(menus_, ctx_.records.shell.recentFiles, dispatch);
    });
    // The saved views' entries show the current set's slots; an empty slot's entry is
    // disabled only while the menu shows, so that its key still says the slot is empty.
    QObject::connect(menus_.savedViewsSubmenu, &QMenu::aboutToShow, menus_.savedViewsSubmenu, [this] {
        const ViewSlots kept = CurrentViewSlots(ctx_.records.shell.savedViews);
        for (int32_t k = 0; k < kSavedViewSlots; ++k) {
            QAction* entry = menus_.actions.at(kCommandRestoreView1 + k);
            const std::string label = SavedViewLabel(k, kept[static_cast<size_t>(k)], ctx_.records.shell.language);
            entry->setText(QString::fromStdString(label).replace('&', QStringLiteral("&&")));
            entry->setEnabled(kept[static_cast<size_t>(k)].has_value());
        }
    });
    QObject::connect(menus_.savedViewsSubmenu, &QMenu::aboutToHide, menus_.savedViewsSubmenu, [this] {
        for (int32_t k = 0; k < kSavedViewSlots; ++k) menus_.actions.at(kCommandRestoreView1 + k)->setEnabled(true);
    });
    // The value entries name the values the scene's objects carry now.
    QObject::connect(menus_.colourBySubmenu, &QMenu::aboutToShow, menus_.colourBySubmenu, [this] {
        const std::vector<std::string> names = ValueNames(ctx_.records.scene);
        for (int32_t k = 0; k < kColourByValueEntries; ++k) {
            QAction* entry = menus_.actions.at(kCommandColourByValue1 + k);
            const bool shown = static_cast<size_t>(k) < names.size();
            entry->setVisible(shown);
            if (shown) {
                entry->setText(QString::fromStdString(DecodeNameForDisplay(names[static_cast<size_t>(k)]))
                                   .replace('&', QStringLiteral("&&")));
            }
        }
    });
    panel_ = new ObjectsPanel(
        ctx.records.scene, language, [&ctx](const std::vector<Command>& commands) { DispatchCommands(ctx, commands); },
        [&ctx](const Command& command) { return SwitchState(ctx, command); }, &window);
    window.addDockWidget(Qt::RightDockWidgetArea, panel_);
    // A loaded file that changes on disk is read again, or the user is asked first.
    watcher_ = std::make_unique<LoadedFilesWatcher>(
        [&ctx](const std::vector<std::string>& changed) { return LoadedFilesChanged(ctx, changed); });
    // The main window's own context menu would show and hide its docks behind the
    // commands' back.
    window.setContextMenuPolicy(Qt::NoContextMenu);
    ShowRecords();
    ShowStatus(StatusText(ctx));
}

WindowHost::~WindowHost() = default;

int32_t WindowHost::Upload() { return area_.UploadScene(); }

void WindowHost::Refresh() { area_.Redraw(); }

void WindowHost::EndDrags() { area_.EndDrags(); }

void WindowHost::Close() { window_.close(); }

void WindowHost::ShowRecords() {
    for (const auto& [id, entry] : menus_.actions) ShowCheckMark(ctx_, entry, Command::Fixed(id));
    for (size_t k = 0; k < menus_.objectEntries.size(); ++k) ShowObjectCheckMarks(static_cast<int32_t>(k));
    panel_->ShowRecords();
}

void WindowHost::ShowObjectCheckMarks(int32_t object) {
    for (ObjectFlag flag : {ObjectFlag::Visible, ObjectFlag::Transparent}) {
        ShowCheckMark(ctx_, ObjectEntry(menus_, flag, object), Command::OfObject(flag, object));
    }
}

void WindowHost::ObjectsChanged() {
    // Objects are only ever added (a load announces each one) or all removed (New).
    if (ctx_.records.scene.objectNames.empty()) RemoveObjectEntries(menus_);
    panel_->ListObjects();
}

void WindowHost::ShowStatus(const StatusLine& line) {
    status_->setText(QString::fromStdString(line.text));
    status_->setToolTip(QString::fromStdString(line.toolTip));
    window_.statusBar()->setVisible(!line.text.empty());
}

void WindowHost::WatchFiles(const std::vector<std::string>& paths) { watcher_->Watch(paths); }

void WindowHost::CopyText(const std::string& text) { QGuiApplication::clipboard()->setText(QString::fromStdString(text)); }

// One progress window for the whole load, which each section retitles; its clock
// starts with the load.
void WindowHost::LoadStarted() { progress_ = std::make_unique<ProgressBar>(&window_, progressShowDelayMs); }

void WindowHost::ObjectAnnounced(int32_t object, ObjectKind kind, std::string_view rawName) {
    ShellContext* ctx = &ctx_;
    AddObjectEntries(menus_, kind, rawName, object, [ctx](const Command& c) { DispatchCommand(*ctx, c); });
    ShowObjectCheckMarks(object);
}

void WindowHost::ProgressShown(std::string_view rawTitle) {
    if (showProgress && progress_) {
        progress_->Show(DecodeNameForDisplay(rawTitle), ctx_.records.shell.clientWidth, ctx_.records.shell.clientHeight);
    }
}

void WindowHost::ProgressChanged(int percent) {
    if (progress_) progress_->SetPosition(percent);
}

void WindowHost::ReadOver() {
    if (progress_) progress_->ReadOver();
}

// The progress window goes; what it covered shows the last picture until the first
// frame of the new scene is drawn.
void WindowHost::LoadOver() {
    if (progress_) progress_->Close();
    progress_.reset();
}

}  // namespace talan
