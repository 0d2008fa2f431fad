// The small window that shows how far the reading of a scene file has got.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <QElapsedTimer>
#include <QPoint>
#include <QRect>
#include <QString>

class QProgressBar;
class QWidget;

namespace talan {

inline constexpr int kProgressWidth = 350;
inline constexpr int kProgressHeight = 50;
inline constexpr int kProgressPaintIntervalMs = 30;  // the most time between two paints during a read
inline constexpr int kProgressShowDelayMs = 200;     // a load shorter than this shows no window at all

// Centred on the drawing area's size, in screen coordinates, as ((width − 350) / 2,
// (height − 50) / 2). A drawing area narrower or lower than the bar would put it out
// of sight, so the position is brought within `screen`.
QPoint ProgressBarPosition(uint32_t clientWidth, uint32_t clientHeight, const QRect& screen);

// One window for a whole load: each section retitles it and moves its bar from 0 to
// 100. A file of thousands of small sections would otherwise open and close thousands
// of windows, each too short to be seen, so the window appears only once the load
// has run for a while (kProgressShowDelayMs).
//
// The read runs on the window thread and does not return to the event loop until it
// ends, so the bar serves the window system's paint and expose events itself, at most
// every kProgressPaintIntervalMs. Input waits until the load is over.
class ProgressBar {
public:
    // `owner` is the main window: the bar is a tool window over it (none: on its own).
    // The load's clock starts here; the window shows once it has run `showAfterMs`.
    explicit ProgressBar(QWidget* owner = nullptr, int showAfterMs = kProgressShowDelayMs);
    ~ProgressBar();
    // A section begins: the title is its name and the bar starts at 0.
    void Show(const std::string& title, uint32_t clientWidth, uint32_t clientHeight);
    void SetPosition(int percent);  // 0 to 100
    // The reading is over; what follows (normals, the upload to the graphics driver)
    // serves no events for a while, so the bar is shown full and painted now.
    void ReadOver();
    // The load is over: the window goes, and what it covered is repainted at once,
    // while the drawing area still keeps its last picture.
    void Close();
    int Position() const { return percent_; }
    bool IsShown() const { return window_ != nullptr; }

private:
    void Paint();
    void CreateWindow();

    QWidget* owner_;
    int showAfterMs_;
    std::unique_ptr<QWidget> window_;  // none until the load has run long enough
    QProgressBar* bar_ = nullptr;
    QString title_;
    int percent_ = -1;                 // -1 before the first section
    uint32_t clientWidth_ = 0, clientHeight_ = 0;
    QElapsedTimer sinceStart_;         // since the load began
    QElapsedTimer sincePaint_;         // since the events were last served; invalid before
};

}  // namespace talan
