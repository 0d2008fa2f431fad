// Watches the scene files on disk and tells, once a changed file has been quiet for
// a moment, which ones changed. Editors often write a new file and rename it over
// the old one, which ends the watch of the old file: the watcher watches the files'
// folders too, and watches a file again whenever it is back.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include <QFileSystemWatcher>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

namespace talan {

class LoadedFilesWatcher : public QObject {
public:
    // Told the changed files, in the order they were given to Watch; it returns false
    // when it cannot take them now, and is told again after the next quiet spell.
    using Handler = std::function<bool(const std::vector<std::string>& changed)>;

    explicit LoadedFilesWatcher(Handler handler, QObject* parent = nullptr);

    // Watches these files from now on, and no other; changes not yet told are dropped.
    void Watch(const std::vector<std::string>& paths);
    // The files watched, as given (a file missing now is watched once it is back).
    const QStringList& Files() const { return files_; }

    int quietMs;  // how long a changed file must stay unchanged before it is told

private:
    void FileChanged(const QString& path);
    void FolderChanged(const QString& folder);
    // Watches `path` afresh if it is there: a replaced file is a new file.
    void Rearm(const QString& path);
    void Settled();

    Handler handler_;
    QFileSystemWatcher watcher_;
    QTimer quiet_;
    QStringList files_;
    QSet<QString> changed_;
    bool telling_ = false;  // the handler runs (a question may be open): changes wait
};

}  // namespace talan
