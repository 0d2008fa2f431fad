// The small window that shows how far the reading of one section has got.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <QElapsedTimer>
#include <QPoint>
#include <QRect>

class QProgressBar;
class QWidget;

namespace talan {

inline constexpr int kProgressWidth = 350;
inline constexpr int kProgressHeight = 50;
inline constexpr int kProgressPaintIntervalMs = 30;  // the most time between two paints during a read

// Centred on the drawing area's size, in screen coordinates, as ((width − 350) / 2,
// (height − 50) / 2). A drawing area narrower or lower than the bar would put it out
// of sight, so the position is brought within `screen`.
QPoint ProgressBarPosition(uint32_t clientWidth, uint32_t clientHeight, const QRect& screen);

// The read runs on the window thread and does not return to the event loop until it
// ends, so the bar serves the window system's paint and expose events itself, at most
// every kProgressPaintIntervalMs. Input waits until the read is over.
class ProgressBar {
public:
    // `owner` is the main window: the bar is a tool window over it (none: on its own).
    explicit ProgressBar(QWidget* owner = nullptr);
    ~ProgressBar();
    void Show(const std::string& title, uint32_t clientWidth, uint32_t clientHeight);
    void SetPosition(int percent);  // 0 to 100
    void Close();
    int Position() const;
    bool IsShown() const { return window_ != nullptr; }

private:
    void Paint();

    QWidget* owner_;
    std::unique_ptr<QWidget> window_;
    QProgressBar* bar_ = nullptr;
    QElapsedTimer sincePaint_;  // since the events were last served; invalid before
};

}  // namespace talan
