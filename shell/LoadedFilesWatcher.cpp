#include "shell/LoadedFilesWatcher.h"

#include <QFile>
#include <QFileInfo>

#include "shell/FileReload.h"

namespace talan {

LoadedFilesWatcher::LoadedFilesWatcher(Handler handler, QObject* parent)
    : QObject(parent), quietMs(kReloadQuietMs), handler_(std::move(handler)) {
    quiet_.setSingleShot(true);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, this, [this](const QString& path) { FileChanged(path); });
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, this,
            [this](const QString& folder) { FolderChanged(folder); });
    connect(&quiet_, &QTimer::timeout, this, [this] { Settled(); });
}

void LoadedFilesWatcher::Watch(const std::vector<std::string>& paths) {
    if (!watcher_.files().isEmpty()) watcher_.removePaths(watcher_.files());
    if (!watcher_.directories().isEmpty()) watcher_.removePaths(watcher_.directories());
    files_.clear();
    changed_.clear();
    quiet_.stop();
    QStringList folders;
    for (const std::string& path : paths) {
        const QString file = QFile::decodeName(path.c_str());
        if (files_.contains(file)) continue;
        files_.append(file);
        const QString folder = QFileInfo(file).absolutePath();
        if (!folders.contains(folder)) folders.append(folder);
        if (QFileInfo::exists(file)) watcher_.addPath(file);
    }
    if (!folders.isEmpty()) watcher_.addPaths(folders);
}

void LoadedFilesWatcher::Rearm(const QString& path) {
    if (watcher_.files().contains(path)) watcher_.removePath(path);
    if (QFileInfo::exists(path)) watcher_.addPath(path);
}

void LoadedFilesWatcher::FileChanged(const QString& path) {
    if (!files_.contains(path)) return;
    Rearm(path);
    changed_.insert(path);
    quiet_.start(quietMs);
}

// Something in a folder of the files changed: a file whose watch ended (it was
// removed or renamed over) and that is there again has changed.
void LoadedFilesWatcher::FolderChanged(const QString& folder) {
    const QStringList watched = watcher_.files();
    for (const QString& file : files_) {
        if (watched.contains(file) || QFileInfo(file).absolutePath() != folder || !QFileInfo::exists(file)) continue;
        watcher_.addPath(file);
        changed_.insert(file);
        quiet_.start(quietMs);
    }
}

void LoadedFilesWatcher::Settled() {
    if (telling_) return;  // told once the handler is over
    std::vector<std::string> changed;
    for (const QString& file : files_) {
        // A file still missing is told once it is back.
        if (!changed_.contains(file) || !QFileInfo::exists(file)) continue;
        Rearm(file);
        changed_.remove(file);
        changed.push_back(QFile::encodeName(file).toStdString());
    }
    if (changed.empty()) return;
    const qsizetype missing = changed_.size();
    telling_ = true;
    const bool taken = handler_(changed);
    telling_ = false;
    if (!taken) {
        for (const std::string& path : changed) changed_.insert(QFile::decodeName(path.c_str()));
    }
    // Changes not taken, or made while the handler ran, are told after the next quiet
    // spell.
    if ((!taken || changed_.size() > missing) && !quiet_.isActive()) quiet_.start(quietMs);
}

}  // namespace talan
