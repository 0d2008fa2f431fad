#include "shell/ProgressBar.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include <QCoreApplication>
#include <QGuiApplication>
#include <QProgressBar>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>
#include <QWidget>

namespace talan {

QPoint ProgressBarPosition(uint32_t clientWidth, uint32_t clientHeight, const QRect& screen) {
    auto centre = [](uint32_t extent, int size, int low, int high) {
        if (extent < static_cast<uint32_t>(size)) return low;  // would wrap far out of sight
        const int64_t at = (int64_t{extent} - size) / 2;
        return static_cast<int>(std::clamp<int64_t>(at, low, std::max(low, high - size)));
    };
    return {centre(clientWidth, kProgressWidth, screen.left(), screen.right() + 1),
            centre(clientHeight, kProgressHeight, screen.top(), screen.bottom() + 1)};
}

ProgressBar::ProgressBar(QWidget* owner, int showAfterMs) : owner_(owner), showAfterMs_(showAfterMs) {
    sinceStart_.start();
}
ProgressBar::~ProgressBar() = default;

void ProgressBar::Show(const std::string& title, uint32_t clientWidth, uint32_t clientHeight) {
    title_ = QString::fromStdString(title);
    percent_ = 0;
    clientWidth_ = clientWidth;
    clientHeight_ = clientHeight;
    Paint();
}

void ProgressBar::SetPosition(int percent) {
    if (percent_ < 0) return;  // no section yet
    percent_ = percent;
    Paint();
}

// The window shows the section being read when the events are served: a title set
// for every one of thousands of small sections would only keep the window manager busy.
void ProgressBar::Paint() {
    if (sincePaint_.isValid() && sincePaint_.elapsed() < kProgressPaintIntervalMs) return;
    if (window_ == nullptr && sinceStart_.elapsed() >= showAfterMs_) CreateWindow();
    if (window_ != nullptr) {
        if (window_->windowTitle() != title_) window_->setWindowTitle(title_);
        bar_->setValue(percent_);
    }
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sincePaint_.start();
}

void ProgressBar::CreateWindow() {
    // A title and a close box only, no task-bar entry, kept over the main window.
    window_ = std::make_unique<QWidget>(
        owner_, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    window_->setWindowTitle(title_);
    window_->setFixedSize(kProgressWidth, kProgressHeight);
    bar_ = new QProgressBar(window_.get());
    bar_->setRange(0, 100);
    bar_->setValue(percent_);
    bar_->setTextVisible(false);
    bar_->setStyleSheet(QStringLiteral("QProgressBar::chunk { background-color: #00ff00; }"));
    auto* layout = new QVBoxLayout(window_.get());
    layout->addWidget(bar_);
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    window_->move(ProgressBarPosition(clientWidth_, clientHeight_, area));
    window_->show();
    // The window manager maps the window a little later; until it is on the screen
    // nothing painted shows, and the read may not serve events again for a while.
    QElapsedTimer waited;
    waited.start();
    while (window_->windowHandle() != nullptr && !window_->windowHandle()->isExposed() && waited.elapsed() < 250) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    window_->repaint();
}

void ProgressBar::ReadOver() {
    if (window_ == nullptr) return;
    percent_ = 100;
    bar_->setValue(percent_);
    window_->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    sincePaint_.start();
}

void ProgressBar::Close() {
    if (window_ == nullptr) return;
    bar_ = nullptr;
    window_.reset();
    // The main window may not return to its event loop for long (the first frame of a
    // big model); without this the screen would keep the bar's last picture meanwhile.
    if (owner_ != nullptr) owner_->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace talan
