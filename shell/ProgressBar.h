// The small window that shows how far the reading of one section has got.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include <QPoint>
#include <QRect>

class QProgressBar;
class QWidget;

namespace talan {

inline constexpr int kProgressWidth = 350;
inline constexpr int kProgressHeight = 50;

// Centred on the drawing area's size, in screen coordinates, as ((width − 350) / 2,
// (height − 50) / 2). A drawing area narrower or lower than the bar would put it out
// of sight, so the position is brought within `screen`.
QPoint ProgressBarPosition(uint32_t clientWidth, uint32_t clientHeight, const QRect& screen);

class ProgressBar {
public:
    ProgressBar();
    ~ProgressBar();
    void Show(const std::string& title, uint32_t clientWidth, uint32_t clientHeight);
    void SetPosition(int percent);  // 0 to 100; repainted at once, the read stays on this thread
    void Close();
    int Position() const;
    bool IsShown() const { return window_ != nullptr; }

private:
    std::unique_ptr<QWidget> window_;
    QProgressBar* bar_ = nullptr;
};

}  // namespace talan
