// Scene files dropped onto the viewer's window. Each local file is loaded in the
// order dropped, as "Open (Add)" loads a chosen file, with the same message when a
// load fails; anything that is not a local file is ignored.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include <QObject>

class QMimeData;
class QWidget;

namespace talan {

struct ShellContext;

// The local files among the dropped URLs, in order, as file names of this system.
std::vector<std::string> DroppedLocalFiles(const QMimeData& data);

// Watches `window`, which it makes accept drops: a drag that carries a local file is
// accepted unless a file is being read, and the files of a drop are loaded one after
// the other once the drop has ended, so that the program the files came from is not
// kept waiting by the loads.
class SceneFileDropTarget : public QObject {
public:
    SceneFileDropTarget(QWidget* window, ShellContext& ctx);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Loads the waiting files; while a load is in progress (its progress window lets
    // events through) it tries again later.
    void LoadWaitingFiles();

    ShellContext& ctx_;
    std::deque<std::vector<std::string>> waiting_;  // drops not yet loaded, each drop's files together
    bool loadScheduled_ = false;
};

}  // namespace talan
