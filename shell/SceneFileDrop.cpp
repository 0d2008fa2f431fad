#include "shell/SceneFileDrop.h"

#include "shell/Commands.h"

#include <QDropEvent>
#include <QFile>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <QWidget>

namespace talan {

namespace {

constexpr int kRetryWhileLoadingMs = 100;

}  // namespace

std::vector<std::string> DroppedLocalFiles(const QMimeData& data) {
    std::vector<std::string> paths;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile() && !url.toLocalFile().isEmpty()) {
            paths.push_back(QFile::encodeName(url.toLocalFile()).toStdString());
        }
    }
    return paths;
}

SceneFileDropTarget::SceneFileDropTarget(QWidget* window, ShellContext& ctx) : QObject(window), ctx_(ctx) {
    window->setAcceptDrops(true);
    window->installEventFilter(this);
}

bool SceneFileDropTarget::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (!ctx_.records.shell.loading && drag->mimeData() != nullptr && !DroppedLocalFiles(*drag->mimeData()).empty()) {
                drag->acceptProposedAction();
            } else {
                drag->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            const std::vector<std::string> paths =
                drop->mimeData() != nullptr ? DroppedLocalFiles(*drop->mimeData()) : std::vector<std::string>{};
            if (paths.empty()) {
                drop->ignore();
                return true;
            }
            drop->acceptProposedAction();
            waiting_.push_back(paths);  // files dropped together load together
            if (!loadScheduled_) {
                loadScheduled_ = true;
                QTimer::singleShot(0, this, [this] { LoadWaitingFiles(); });
            }
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
    }
}

void SceneFileDropTarget::LoadWaitingFiles() {
    if (ctx_.records.shell.loading) {
        QTimer::singleShot(kRetryWhileLoadingMs, this, [this] { LoadWaitingFiles(); });
        return;
    }
    // Files dropped while these load (the error box lets drops through) join the queue.
    while (!waiting_.empty()) {
        ctx_.records.shell.pendingScenePaths = waiting_.front();
        waiting_.pop_front();
        LoadSceneFileWithMessage(ctx_);
    }
    loadScheduled_ = false;
}

}  // namespace talan
